#include "TestFormats.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace testimg
{
void PutLE16(Bytes& out, unsigned v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutLE32(Bytes& out, uint32_t v)
{
    PutLE16(out, v & 0xFFFF);
    PutLE16(out, v >> 16);
}

void PutBE16(Bytes& out, unsigned v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutBE32(Bytes& out, uint32_t v)
{
    PutBE16(out, v >> 16);
    PutBE16(out, v & 0xFFFF);
}

namespace
{
void Append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

bool SameUnit(const uint8_t* a, const uint8_t* b, int unit)
{
    return std::memcmp(a, b, size_t(unit)) == 0;
}

const PLPixel32& Pixel(const PLBmp& pic, int x, int y)
{
    return pic.GetLineArray32()[y][x];
}

uint8_t Index(const PLBmp& pic, int x, int y)
{
    return pic.GetLineArray()[y][x];
}
} // namespace

Bytes PackBits(const uint8_t* data, size_t bytes, int unit)
{
    Bytes out;
    const size_t units = bytes / size_t(unit);
    size_t i = 0;
    while (i < units)
    {
        size_t run = 1;
        while (i + run < units && run < 128 && SameUnit(data + (i + run) * unit, data + i * unit, unit))
            ++run;
        if (run >= 2)
        {
            out.push_back(uint8_t(257 - run));
            out.insert(out.end(), data + i * unit, data + (i + 1) * unit);
            i += run;
            continue;
        }
        // A literal stretch up to the next repeat.
        size_t n = 1;
        while (i + n < units && n < 128 &&
               !(i + n + 1 < units && SameUnit(data + (i + n) * unit, data + (i + n + 1) * unit, unit)))
            ++n;
        out.push_back(uint8_t(n - 1));
        out.insert(out.end(), data + i * unit, data + (i + n) * unit);
        i += n;
    }
    return out;
}

// --- BMP --------------------------------------------------------------------

namespace
{
// One line of RLE8 or RLE4 data (pixels as indices), ending with end-of-line.
void RleLine(Bytes& out, const uint8_t* px, int width, bool four)
{
    int x = 0;
    while (x < width)
    {
        int run = 1;
        while (x + run < width && run < 255 && px[x + run] == px[x])
            ++run;
        if (run >= 2 || width - x < 3)
        {
            if (run < 2)
                run = 1;
            out.push_back(uint8_t(run));
            out.push_back(four ? uint8_t((px[x] << 4) | px[x]) : px[x]);
            x += run;
            continue;
        }
        int n = 1;
        while (x + n < width && n < 255 && !(x + n + 1 < width && px[x + n] == px[x + n + 1]))
            ++n;
        if (n < 3)
        {
            out.push_back(1);
            out.push_back(four ? uint8_t(px[x] << 4) : px[x]);
            ++x;
            continue;
        }
        out.push_back(0);
        out.push_back(uint8_t(n));
        Bytes bytes;
        if (four)
        {
            for (int i = 0; i < n; i += 2)
                bytes.push_back(uint8_t((px[x + i] << 4) | (i + 1 < n ? px[x + i + 1] : 0)));
        }
        else
        {
            bytes.assign(px + x, px + x + n);
        }
        if (bytes.size() & 1)
            bytes.push_back(0);
        Append(out, bytes);
        x += n;
    }
    out.push_back(0);
    out.push_back(0);
}
} // namespace

Bytes MakeBmp(const PLBmp& pic, const BmpLayout& l)
{
    const int width = pic.GetWidth();
    const int height = pic.GetHeight();
    const bool core = l.headerSize == 12;
    const int entrySize = core ? 3 : 4;
    const uint32_t entries = l.bitCount <= 8 ? (l.coloursUsed ? l.coloursUsed : (1u << l.bitCount)) : 0;
    const bool bitFields = l.compression == 3;
    const uint32_t maskBytes = bitFields && l.headerSize == 40 ? 12 : 0;

    // Pixels in file order.
    Bytes pixels;
    const int64_t pitch = ((int64_t(width) * l.bitCount + 31) / 32) * 4;
    for (int k = 0; k < height; ++k)
    {
        const int y = l.topDown ? k : height - 1 - k;
        if (l.compression == 1 || l.compression == 2)
        {
            RleLine(pixels, pic.GetLineArray()[y], width, l.compression == 2);
            continue;
        }
        Bytes line(size_t(pitch), 0);
        for (int x = 0; x < width; ++x)
        {
            switch (l.bitCount)
            {
            case 1:
                line[size_t(x >> 3)] |= uint8_t((Index(pic, x, y) & 1) << (7 - (x & 7)));
                break;
            case 4:
                line[size_t(x >> 1)] |= uint8_t((Index(pic, x, y) & 15) << ((x & 1) ? 0 : 4));
                break;
            case 8:
                line[size_t(x)] = Index(pic, x, y);
                break;
            case 16:
            {
                const PLPixel32& p = Pixel(pic, x, y);
                unsigned v = l.fiveSixFive ? ((p.r >> 3) << 11) | ((p.g >> 2) << 5) | (p.b >> 3)
                                           : ((p.r >> 3) << 10) | ((p.g >> 3) << 5) | (p.b >> 3);
                line[size_t(2 * x)] = uint8_t(v);
                line[size_t(2 * x + 1)] = uint8_t(v >> 8);
                break;
            }
            case 24:
            {
                const PLPixel32& p = Pixel(pic, x, y);
                line[size_t(3 * x)] = p.b;
                line[size_t(3 * x + 1)] = p.g;
                line[size_t(3 * x + 2)] = p.r;
                break;
            }
            default:
                std::memcpy(&line[size_t(4 * x)], &Pixel(pic, x, y), 4);
                break;
            }
        }
        Append(pixels, line);
    }
    if (l.compression == 1 || l.compression == 2)
    {
        pixels.push_back(0);
        pixels.push_back(1);
    }

    const uint32_t arrays = uint32_t(l.arrays) * 14;
    const uint32_t offset = arrays + 14 + l.headerSize + maskBytes + entries * uint32_t(entrySize) + uint32_t(l.gap);
    Bytes out;
    for (int i = 0; i < l.arrays; ++i)
    {
        out.push_back('B');
        out.push_back('A');
        PutLE32(out, 40);
        PutLE32(out, i + 1 < l.arrays ? uint32_t(14 * (i + 1)) : 0);
        PutLE16(out, 640);
        PutLE16(out, 480);
    }
    out.push_back('B');
    out.push_back('M');
    PutLE32(out, offset + uint32_t(pixels.size()));
    PutLE32(out, 0);
    PutLE32(out, offset);
    if (core)
    {
        PutLE32(out, 12);
        PutLE16(out, unsigned(width));
        PutLE16(out, unsigned(height));
        PutLE16(out, 1);
        PutLE16(out, unsigned(l.bitCount));
    }
    else
    {
        PutLE32(out, l.headerSize);
        PutLE32(out, uint32_t(width));
        PutLE32(out, uint32_t(l.topDown ? -height : height));
        PutLE16(out, 1);
        PutLE16(out, unsigned(l.bitCount));
        PutLE32(out, l.compression);
        PutLE32(out, uint32_t(pixels.size()));
        PutLE32(out, uint32_t(l.pelsPerMeter));
        PutLE32(out, uint32_t(l.pelsPerMeter));
        PutLE32(out, l.coloursUsed);
        PutLE32(out, 0);
        Bytes rest(l.headerSize - 40, 0);
        if (bitFields && rest.size() >= 12)
        {
            testimg::PutLE32(&rest[0], l.fiveSixFive ? 0xF800 : 0x7C00);
            testimg::PutLE32(&rest[4], l.fiveSixFive ? 0x7E0 : 0x3E0);
            testimg::PutLE32(&rest[8], 0x1F);
        }
        Append(out, rest);
        if (maskBytes)
        {
            PutLE32(out, l.fiveSixFive ? 0xF800 : 0x7C00);
            PutLE32(out, l.fiveSixFive ? 0x7E0 : 0x3E0);
            PutLE32(out, 0x1F);
        }
    }
    for (uint32_t i = 0; i < entries; ++i)
    {
        const PLPixel32 e = pic.GetPalette() && int(i) < pic.GetNumColors() ? pic.GetPalette()[i] : PLPixel32();
        out.push_back(e.b);
        out.push_back(e.g);
        out.push_back(e.r);
        if (!core)
            out.push_back(0);
    }
    out.insert(out.end(), size_t(l.gap), 0xEE);
    Append(out, pixels);
    return out;
}

void Expect16Bit(PLBmp& pic)
{
    for (int y = 0; y < pic.GetHeight(); ++y)
        for (int x = 0; x < pic.GetWidth(); ++x)
        {
            PLPixel32& p = pic.GetLineArray32()[y][x];
            p = PLPixel32(p.r & 0xF8, p.g & 0xF8, p.b & 0xF8, 255);
        }
    pic.SetHasAlpha(false);
}

// --- TGA --------------------------------------------------------------------

namespace
{
void TgaColour(Bytes& out, const PLPixel32& p, int bits)
{
    switch (bits)
    {
    case 15:
    case 16:
    {
        unsigned v = ((p.r >> 3) << 10) | ((p.g >> 3) << 5) | (p.b >> 3);
        if (bits == 16 && p.a >= 128)
            v |= 0x8000;
        PutLE16(out, v);
        break;
    }
    case 24:
        out.push_back(p.b);
        out.push_back(p.g);
        out.push_back(p.r);
        break;
    default:
        out.push_back(p.b);
        out.push_back(p.g);
        out.push_back(p.r);
        out.push_back(p.a);
        break;
    }
}
} // namespace

Bytes MakeTga(const PLBmp& pic, const TgaLayout& l)
{
    const int width = pic.GetWidth();
    const int height = pic.GetHeight();
    const bool mapped = l.imageType == 1 || l.imageType == 9;
    const int mapLength = mapped ? (l.mapLength >= 0 ? l.mapLength : pic.GetNumColors()) : 0;

    Bytes out;
    out.push_back(uint8_t(l.idLength));
    out.push_back(mapped ? 1 : 0);
    out.push_back(uint8_t(l.imageType));
    PutLE16(out, unsigned(l.firstEntry));
    PutLE16(out, unsigned(mapLength));
    out.push_back(mapped ? uint8_t(l.mapEntrySize) : 0);
    PutLE16(out, 0);
    PutLE16(out, 0);
    PutLE16(out, unsigned(width));
    PutLE16(out, unsigned(height));
    out.push_back(uint8_t(l.pixelDepth));
    out.push_back(uint8_t(l.topFirst ? 0x20 : 0));
    for (int i = 0; i < l.idLength; ++i)
        out.push_back(uint8_t('a' + i % 26));
    for (int k = 0; k < mapLength; ++k)
        TgaColour(out, pic.GetPalette()[(l.firstEntry + k) % 256], l.mapEntrySize);

    // Every pixel as its bytes, in stored order.
    std::vector<Bytes> stream;
    for (int k = 0; k < height; ++k)
    {
        const int y = l.topFirst ? k : height - 1 - k;
        for (int x = 0; x < width; ++x)
        {
            Bytes value;
            if (l.pixelDepth == 8)
                value.push_back(Index(pic, x, y));
            else
                TgaColour(value, Pixel(pic, x, y), l.pixelDepth);
            stream.push_back(value);
        }
    }
    if (l.imageType < 9)
    {
        for (const Bytes& v : stream)
            Append(out, v);
        return out;
    }
    size_t i = 0;
    while (i < stream.size())
    {
        size_t run = 1;
        while (i + run < stream.size() && run < 128 && stream[i + run] == stream[i])
            ++run;
        if (run >= 2)
        {
            out.push_back(uint8_t(0x80 | (run - 1)));
            Append(out, stream[i]);
            i += run;
            continue;
        }
        size_t n = 1;
        while (i + n < stream.size() && n < 128 && !(i + n + 1 < stream.size() && stream[i + n] == stream[i + n + 1]))
            ++n;
        out.push_back(uint8_t(n - 1));
        for (size_t k = 0; k < n; ++k)
            Append(out, stream[i + k]);
        i += n;
    }
    return out;
}

void ExpectTga16(PLBmp& pic, int pixelDepth)
{
    for (int y = 0; y < pic.GetHeight(); ++y)
        for (int x = 0; x < pic.GetWidth(); ++x)
        {
            PLPixel32& p = pic.GetLineArray32()[y][x];
            const uint8_t alpha = pixelDepth == 16 ? (p.a >= 128 ? 0x80 : 0) : 255;
            p = PLPixel32(p.r & 0xF8, p.g & 0xF8, p.b & 0xF8, alpha);
        }
}

// --- PCX --------------------------------------------------------------------

namespace
{
void PcxEncode(Bytes& out, const Bytes& data)
{
    size_t i = 0;
    while (i < data.size())
    {
        size_t run = 1;
        while (i + run < data.size() && run < 63 && data[i + run] == data[i])
            ++run;
        if (run == 1 && data[i] < 0xC0)
        {
            out.push_back(data[i]);
        }
        else
        {
            out.push_back(uint8_t(0xC0 | run));
            out.push_back(data[i]);
        }
        i += run;
    }
}
} // namespace

Bytes MakePcx(const PLBmp& pic, const PcxLayout& l)
{
    const int width = pic.GetWidth();
    const int height = pic.GetHeight();
    const bool trueColour = l.bitsPerPixel == 8 && l.planes == 3;
    int bytesPerLine = trueColour ? width : (width * (l.planes > 1 ? 1 : l.bitsPerPixel) + 7) / 8;
    bytesPerLine += l.extraBytesPerLine;
    bytesPerLine += bytesPerLine & 1;

    Bytes out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = uint8_t(l.bitsPerPixel);
    testimg::PutLE32(&out[4], uint32_t(l.xmin) | (uint32_t(l.ymin) << 16));
    testimg::PutLE32(&out[8], uint32_t(l.xmin + width - 1) | (uint32_t(l.ymin + height - 1) << 16));
    testimg::PutLE32(&out[12], uint32_t(l.dpi) | (uint32_t(l.dpi) << 16));
    if (!trueColour && pic.GetPalette())
        for (int i = 0; i < 16 && i < pic.GetNumColors(); ++i)
        {
            out[size_t(16 + 3 * i)] = pic.GetPalette()[i].r;
            out[size_t(17 + 3 * i)] = pic.GetPalette()[i].g;
            out[size_t(18 + 3 * i)] = pic.GetPalette()[i].b;
        }
    out[65] = uint8_t(l.planes);
    out[66] = uint8_t(bytesPerLine);
    out[67] = uint8_t(bytesPerLine >> 8);
    out[68] = 1;

    Bytes image;
    for (int y = 0; y < height; ++y)
    {
        Bytes line(size_t(bytesPerLine) * size_t(l.planes), 0);
        for (int x = 0; x < width; ++x)
        {
            if (trueColour)
            {
                const PLPixel32& p = Pixel(pic, x, y);
                line[size_t(x)] = p.r;
                line[size_t(bytesPerLine + x)] = p.g;
                line[size_t(2 * bytesPerLine + x)] = p.b;
                continue;
            }
            const int index = Index(pic, x, y);
            if (l.planes > 1)
            {
                for (int k = 0; k < l.planes; ++k)
                    if ((index >> k) & 1)
                        line[size_t(k * bytesPerLine + (x >> 3))] |= uint8_t(0x80 >> (x & 7));
                continue;
            }
            const int perByte = 8 / l.bitsPerPixel;
            const int shift = 8 - l.bitsPerPixel * (x % perByte + 1);
            line[size_t(x / perByte)] |= uint8_t(index << shift);
        }
        if (l.runsAcrossLines)
            Append(image, line);
        else
            PcxEncode(out, line);
    }
    if (l.runsAcrossLines)
        PcxEncode(out, image);
    if (l.bitsPerPixel == 8 && l.planes == 1)
    {
        out.push_back(0x0C);
        for (int i = 0; i < 256; ++i)
        {
            out.push_back(pic.GetPalette()[i].r);
            out.push_back(pic.GetPalette()[i].g);
            out.push_back(pic.GetPalette()[i].b);
        }
    }
    return out;
}

// --- PGM / PPM ----------------------------------------------------------------

Bytes MakePnm(const PLBmp& pic, char kind, int maxValue, const std::string& sep)
{
    const bool text = kind == '2' || kind == '3';
    const bool colour = kind == '3' || kind == '6';
    std::string head = std::string("P") + kind + sep + std::to_string(pic.GetWidth()) + sep +
                       std::to_string(pic.GetHeight()) + sep + std::to_string(maxValue) + "\n";
    Bytes out(head.begin(), head.end());
    auto sample = [&](uint8_t v) {
        const unsigned s = unsigned((v * maxValue + 127) / 255);
        if (text)
        {
            std::string t = std::to_string(s) + " ";
            out.insert(out.end(), t.begin(), t.end());
        }
        else if (maxValue > 255)
        {
            PutBE16(out, s);
        }
        else
        {
            out.push_back(uint8_t(s));
        }
    };
    for (int y = 0; y < pic.GetHeight(); ++y)
    {
        for (int x = 0; x < pic.GetWidth(); ++x)
        {
            if (colour)
            {
                const PLPixel32& p = Pixel(pic, x, y);
                sample(p.r);
                sample(p.g);
                sample(p.b);
            }
            else
            {
                sample(Index(pic, x, y));
            }
        }
        if (text)
            out.push_back('\n');
    }
    return out;
}

// --- PSD --------------------------------------------------------------------

namespace
{
// Channel c of a picture as rows: grey or index for 8 bpp; R, G, B, A for 32.
Bytes ChannelRow(const PLBmp& pic, int c, int y, int left, int width)
{
    Bytes row(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
    {
        if (pic.GetBitsPerPixel() == 8)
        {
            row[size_t(x)] = c == 0 ? Index(pic, left + x, y) : uint8_t(x * 7 + c);
            continue;
        }
        const PLPixel32& p = Pixel(pic, left + x, y);
        const uint8_t v[4] = {p.r, p.g, p.b, p.a};
        row[size_t(x)] = c < 4 ? v[c] : uint8_t(x + y + c);
    }
    return row;
}

// Packed-length table and packed rows of count channels from the first.
void PsdChannels(Bytes& out, const PLBmp& pic, int first, int count, int left, int top, int width, int height)
{
    std::vector<Bytes> packed;
    for (int c = first; c < first + count; ++c)
        for (int y = 0; y < height; ++y)
        {
            Bytes row = ChannelRow(pic, c, top + y, left, width);
            packed.push_back(PackBits(row.data(), row.size()));
        }
    for (const Bytes& p : packed)
        PutBE16(out, unsigned(p.size()));
    for (const Bytes& p : packed)
        Append(out, p);
}

Bytes PsdLayerChannel(const PLBmp& pic, int c, int left, int top, int width, int height)
{
    Bytes out;
    PutBE16(out, 1);
    PsdChannels(out, pic, c, 1, left, top, width, height);
    return out;
}
} // namespace

Bytes MakePsd(const PLBmp& pic, const PsdLayout& l)
{
    const int width = pic.GetWidth();
    const int height = pic.GetHeight();
    Bytes out = {'8', 'B', 'P', 'S'};
    PutBE16(out, 1);
    out.insert(out.end(), 6, 0);
    PutBE16(out, unsigned(l.channels));
    PutBE32(out, uint32_t(height));
    PutBE32(out, uint32_t(width));
    PutBE16(out, 8);
    PutBE16(out, unsigned(l.mode));

    if (l.mode == 2)
    {
        PutBE32(out, uint32_t(768 + l.colourModeExtra));
        for (int part = 0; part < 3; ++part)
            for (int i = 0; i < 256; ++i)
            {
                const PLPixel32& e = pic.GetPalette()[i];
                out.push_back(part == 0 ? e.r : (part == 1 ? e.g : e.b));
            }
        out.insert(out.end(), size_t(l.colourModeExtra), 0x55);
    }
    else
    {
        PutBE32(out, uint32_t(l.colourModeExtra));
        out.insert(out.end(), size_t(l.colourModeExtra), 0x55);
    }

    Bytes resources;
    // An unrelated resource with a 3-character name (no pad byte) and odd data.
    resources.insert(resources.end(), {'8', 'B', 'I', 'M'});
    PutBE16(resources, 1028);
    resources.push_back(3);
    resources.insert(resources.end(), {'a', 'b', 'c'});
    PutBE32(resources, 5);
    resources.insert(resources.end(), {1, 2, 3, 4, 5, 0});
    if (l.resolution)
    {
        resources.insert(resources.end(), {'8', 'B', 'I', 'M'});
        PutBE16(resources, 1005);
        resources.push_back(0);
        resources.push_back(0);
        PutBE32(resources, 16);
        PutBE32(resources, uint32_t(l.resolution) << 16);
        PutBE16(resources, 1);
        PutBE16(resources, 1);
        PutBE32(resources, uint32_t(l.resolution) << 16);
        PutBE16(resources, 1);
        PutBE16(resources, 1);
    }
    PutBE32(out, uint32_t(resources.size()));
    Append(out, resources);

    if (l.layer)
    {
        const int lw = (width + 1) / 2, lh = (height + 1) / 2;
        std::vector<Bytes> channels;
        for (int c = 0; c < l.channels; ++c)
            channels.push_back(PsdLayerChannel(pic, c, 0, 0, lw, lh));
        Bytes info;
        PutBE16(info, 1);
        PutBE32(info, 0);
        PutBE32(info, 0);
        PutBE32(info, uint32_t(lh));
        PutBE32(info, uint32_t(lw));
        PutBE16(info, unsigned(l.channels));
        for (int c = 0; c < l.channels; ++c)
        {
            PutBE16(info, unsigned(c));
            PutBE32(info, uint32_t(channels[size_t(c)].size()));
        }
        info.insert(info.end(), {'8', 'B', 'I', 'M', 'n', 'o', 'r', 'm', 255, 0, 0, 0});
        PutBE32(info, 4);
        info.insert(info.end(), {0, 0, 0, 0});
        for (const Bytes& c : channels)
            Append(info, c);
        if (info.size() & 1)
            info.push_back(0);
        Bytes section;
        PutBE32(section, uint32_t(info.size()));
        Append(section, info);
        PutBE32(section, 0);  // global mask
        PutBE32(out, uint32_t(section.size()));
        Append(out, section);
    }
    else
    {
        PutBE32(out, 0);
    }

    PutBE16(out, unsigned(l.compression));
    if (l.compression == 1)
        PsdChannels(out, pic, 0, l.channels, 0, 0, width, height);
    else
        out.insert(out.end(), size_t(width) * size_t(height) * size_t(l.channels), 0x33);
    return out;
}

// --- PICT -------------------------------------------------------------------

namespace
{
void PictRect(Bytes& out, int top, int left, int bottom, int right)
{
    PutBE16(out, unsigned(top));
    PutBE16(out, unsigned(left));
    PutBE16(out, unsigned(bottom));
    PutBE16(out, unsigned(right));
}

// File header, size, frame and version; version 2 with its header opcode.
Bytes PictStart(const PLBmp& pic, const PictLayout& l)
{
    Bytes out(512, 0);
    PutBE16(out, 0);
    PictRect(out, 0, 0, pic.GetHeight(), pic.GetWidth());
    if (l.version == 1)
    {
        out.push_back(0x11);
        out.push_back(0x01);
        if (l.vectorOpcodes)
        {
            out.push_back(0x01);  // clip region
            PutBE16(out, 10);
            PictRect(out, 0, 0, pic.GetHeight(), pic.GetWidth());
            out.push_back(0xA0);  // short comment
            PutBE16(out, 100);
            out.push_back(0x31);  // paint rectangle
            PictRect(out, 1, 1, 2, 2);
        }
        return out;
    }
    PutBE16(out, 0x0011);
    PutBE16(out, 0x02FF);
    if (l.header)
    {
        PutBE16(out, 0x0C00);
        PutBE16(out, unsigned(l.headerVersion));
        PutBE16(out, 0xFFFF);
        PutBE32(out, uint32_t(l.dpi) << 16);
        PutBE32(out, uint32_t(l.dpi) << 16);
        PictRect(out, 0, 0, pic.GetHeight(), pic.GetWidth());
        PutBE32(out, 0);
    }
    if (l.vectorOpcodes)
    {
        PutBE16(out, 0x001E);  // default highlight
        PutBE16(out, 0x0001);  // clip region
        PutBE16(out, 10);
        PictRect(out, 0, 0, pic.GetHeight(), pic.GetWidth());
        PutBE16(out, 0x00A1);  // long comment
        PutBE16(out, 7);
        PutBE16(out, 3);
        out.insert(out.end(), {'x', 'y', 'z'});
        out.push_back(0);  // alignment
        PutBE16(out, 0x0031);  // paint rectangle
        PictRect(out, 1, 1, 2, 2);
        PutBE16(out, 0x0028);  // long text
        PictRect(out, 0, 0, 0, 0);
        out.resize(out.size() - 4);
        out.push_back(2);
        out.insert(out.end(), {'h', 'i'});
        out.push_back(0);  // alignment
        PutBE16(out, 0x8000);  // reserved, no data
        PutBE16(out, 0x0100);  // reserved, 2 bytes
        PutBE16(out, 0);
        PutBE16(out, 0x8201);  // reserved, 4-byte length
        PutBE32(out, 2);
        PutBE16(out, 0);
        PutBE16(out, 0x00B0);  // reserved, no data
        PutBE16(out, 0x0070);  // frame polygon
        PutBE16(out, 10);
        PictRect(out, 0, 0, 1, 1);
    }
    return out;
}

void PictEnd(Bytes& out, const PictLayout& l)
{
    if (l.version == 1)
    {
        out.push_back(0xFF);
        return;
    }
    if ((out.size() - 512) & 1)
        out.push_back(0);
    PutBE16(out, 0x00FF);
}

void PixMapHeader(Bytes& out, int packType, int pixelSize, int cmpCount, int cmpSize, int dpi)
{
    PutBE16(out, 0);  // version
    PutBE16(out, unsigned(packType));
    PutBE32(out, 0);
    PutBE32(out, uint32_t(dpi) << 16);
    PutBE32(out, uint32_t(dpi) << 16);
    PutBE16(out, pixelSize > 8 ? 16 : 0);  // pixel type
    PutBE16(out, unsigned(pixelSize));
    PutBE16(out, unsigned(cmpCount));
    PutBE16(out, unsigned(cmpSize));
    PutBE32(out, 0);
    PutBE32(out, 0);
    PutBE32(out, 0);
}

void PictRows(Bytes& out, const std::vector<Bytes>& rows, int rowBytes, bool packed, int unit)
{
    for (const Bytes& row : rows)
    {
        if (!packed || rowBytes < 8)
        {
            Bytes stored = row;
            stored.resize(size_t(rowBytes), 0);
            Append(out, stored);
            continue;
        }
        Bytes p = PackBits(row.data(), row.size(), unit);
        if (rowBytes > 250)
            PutBE16(out, unsigned(p.size()));
        else
            out.push_back(uint8_t(p.size()));
        Append(out, p);
    }
}
} // namespace

Bytes MakePict(const PLBmp& pic, const PictLayout& l)
{
    const int width = pic.GetWidth();
    const int height = pic.GetHeight();
    Bytes out = PictStart(pic, l);
    if (l.version == 2 && ((out.size() - 512) & 1))
        out.push_back(0);
    if (l.version == 1)
        out.push_back(uint8_t(l.opcode));
    else
        PutBE16(out, unsigned(l.opcode));
    const bool packed = l.opcode != 0x90 && l.opcode != 0x91;
    const int size = l.pixelSize;

    int rowBytes = l.rowBytes;
    if (rowBytes < 0)
    {
        rowBytes = size == 32 ? width * 4 : (width * size + 7) / 8;
        if (size == 1 || size == 8)
            rowBytes += rowBytes & 1;
    }
    const int natural = size == 32 ? width * 4 : (width * size + 7) / 8;
    std::vector<Bytes> rows;
    for (int y = 0; y < height; ++y)
    {
        Bytes row(size_t(std::max(rowBytes, natural)), 0);
        for (int x = 0; x < width; ++x)
        {
            switch (size)
            {
            case 1:
                row[size_t(x >> 3)] |= uint8_t((Index(pic, x, y) & 1) << (7 - (x & 7)));
                break;
            case 8:
                row[size_t(x)] = Index(pic, x, y);
                break;
            case 16:
            {
                const PLPixel32& p = Pixel(pic, x, y);
                const unsigned v = ((p.r >> 3) << 10) | ((p.g >> 3) << 5) | (p.b >> 3);
                row[size_t(2 * x)] = uint8_t(v >> 8);
                row[size_t(2 * x + 1)] = uint8_t(v);
                break;
            }
            default:
            {
                const PLPixel32& p = Pixel(pic, x, y);
                const int first = l.cmpCount == 4 ? 1 : 0;
                if (l.cmpCount == 4)
                    row[size_t(x)] = p.a;
                row[size_t((first + 0) * width + x)] = p.r;
                row[size_t((first + 1) * width + x)] = p.g;
                row[size_t((first + 2) * width + x)] = p.b;
                break;
            }
            }
        }
        // Only the planes of a 32-bit row are packed; other rows are as long
        // as the record says.
        row.resize(size == 32 ? size_t(width) * size_t(l.cmpCount) : size_t(rowBytes));
        rows.push_back(row);
    }

    if (l.opcode == 0x9A)
    {
        PutBE32(out, 0xFF);
        PutBE16(out, unsigned(rowBytes) | 0x8000);
        PictRect(out, 0, 0, height, width);
        const int packType = l.packType >= 0 ? l.packType : (size == 32 ? 4 : (size == 16 ? 3 : 0));
        PixMapHeader(out, packType, size, size > 8 ? l.cmpCount : 1, size == 16 ? 5 : 8, l.dpi);
    }
    else if (size == 1)
    {
        PutBE16(out, unsigned(rowBytes));
        PictRect(out, 0, 0, height, width);
    }
    else
    {
        PutBE16(out, unsigned(rowBytes) | 0x8000);
        PictRect(out, 0, 0, height, width);
        const int packType = l.packType >= 0 ? l.packType : 0;
        PixMapHeader(out, packType, size, 1, size, l.dpi);
        // Colour table: the picture's palette, indices in order.
        const int entries = pic.GetNumColors();
        PutBE32(out, 0);
        PutBE16(out, 0);
        PutBE16(out, unsigned(entries - 1));
        for (int i = 0; i < entries; ++i)
        {
            const PLPixel32& e = pic.GetPalette()[i];
            PutBE16(out, unsigned(i));
            PutBE16(out, e.r * 257u);
            PutBE16(out, e.g * 257u);
            PutBE16(out, e.b * 257u);
        }
    }
    PictRect(out, 0, 0, height, width);
    PictRect(out, 0, 0, height, width);
    PutBE16(out, 0);  // mode
    if (l.opcode == 0x91 || l.opcode == 0x99)
    {
        PutBE16(out, 10);
        PictRect(out, 0, 0, height, width);
    }
    PictRows(out, rows, rowBytes, packed, size == 16 ? 2 : 1);
    PictEnd(out, l);
    return out;
}

Bytes MakePictJpeg(const Bytes& jpeg)
{
    Bytes out(512, 0);
    PutBE16(out, 0);
    PictRect(out, 0, 0, 16, 16);
    PutBE16(out, 0x0011);
    PutBE16(out, 0x02FF);
    PutBE16(out, 0x0C00);
    out.insert(out.end(), 24, 0);
    PutBE16(out, 0x8200);
    // A QuickTime image description in front of the JPEG data.
    Bytes description(154, 0);
    description[0] = 0;
    description[3] = 86;
    std::memcpy(&description[4], "jpeg", 4);
    PutBE32(out, uint32_t(description.size() + jpeg.size()));
    Append(out, description);
    Append(out, jpeg);
    if ((out.size() - 512) & 1)
        out.push_back(0);
    PutBE16(out, 0x00FF);
    return out;
}

Bytes MakePictVectorOnly()
{
    Bytes out(512, 0);
    PutBE16(out, 0);
    PictRect(out, 0, 0, 10, 10);
    PutBE16(out, 0x0011);
    PutBE16(out, 0x02FF);
    PutBE16(out, 0x0031);
    PictRect(out, 1, 1, 5, 5);
    PutBE16(out, 0x00FF);
    return out;
}
// --- metafiles, byte by byte ----------------------------------------------------

EmfBuilder::EmfBuilder(unsigned handles)
{
    Add(1, {0, 0, 100, 100, 0, 0, 2000, 2000, 0x464D4520u, 0x10000u, 0, 0, handles, 0, 0, 0, 1024, 768, 320, 240});
    m_Records = 1;
}

EmfBuilder& EmfBuilder::Add(uint32_t type, std::initializer_list<uint32_t> words)
{
    Bytes body;
    for (uint32_t w : words)
        PutLE32(body, w);
    return AddBody(type, body);
}

EmfBuilder& EmfBuilder::AddBody(uint32_t type, const Bytes& body)
{
    PutLE32(m_Data, type);
    PutLE32(m_Data, uint32_t(8 + body.size()));
    Append(m_Data, body);
    ++m_Records;
    return *this;
}

Bytes EmfBuilder::Finish(bool withEnd) const
{
    Bytes out = m_Data;
    if (withEnd)
        AppendEnd(out);
    PutLE32(&out[48], uint32_t(out.size()));
    PutLE32(&out[52], m_Records + (withEnd ? 1 : 0));
    return out;
}

void EmfBuilder::AppendEnd(Bytes& out)
{
    for (uint32_t w : {14u, 20u, 0u, 16u, 20u})
        PutLE32(out, w);
}

Bytes EmfFont(uint32_t slot, int32_t height, int32_t escapement)
{
    Bytes font;
    for (uint32_t w : {slot, uint32_t(height), 0u, uint32_t(escapement), uint32_t(escapement), 700u, 0u, 0u})
        PutLE32(font, w);
    for (char c : std::string("Arial"))
    {
        font.push_back(uint8_t(c));
        font.push_back(0);
    }
    font.resize(4 + 92, 0);
    return font;
}

Bytes EmfText(int32_t x, int32_t y, const std::string& text)
{
    // Bounds, graphics mode, scales, then the text's reference point, count,
    // offset, options, rectangle and (no) spacing.
    Bytes body;
    for (uint32_t w : {0u, 0u, 0u, 0u, 1u, 0x3F800000u, 0x3F800000u, uint32_t(x), uint32_t(y), uint32_t(text.size()), 76u,
                       0u, 0u, 0u, 0u, 0u, 0u})
        PutLE32(body, w);
    for (char c : text)
    {
        body.push_back(uint8_t(c));
        body.push_back(0);
    }
    while (body.size() % 4)
        body.push_back(0);
    return body;
}

WmfBuilder& WmfBuilder::Add(unsigned function, std::initializer_list<unsigned> params)
{
    PutLE32(m_Records, uint32_t(3 + params.size()));
    PutLE16(m_Records, function);
    for (unsigned p : params)
        PutLE16(m_Records, p);
    return *this;
}

WmfBuilder& WmfBuilder::AddBytes(unsigned function, const Bytes& params)
{
    PutLE32(m_Records, uint32_t(3 + (params.size() + 1) / 2));
    PutLE16(m_Records, function);
    Append(m_Records, params);
    if (params.size() & 1)
        m_Records.push_back(0);
    return *this;
}

Bytes WmfBuilder::Finish() const
{
    Bytes out;
    PutLE16(out, 1);
    PutLE16(out, 9);
    PutLE16(out, 0x300);
    PutLE32(out, uint32_t((18 + m_Records.size() + 6) / 2));
    PutLE16(out, m_Objects);
    PutLE32(out, 100);
    PutLE16(out, 0);
    Append(out, m_Records);
    PutLE32(out, 3);
    PutLE16(out, 0);
    return out;
}

Bytes MakeDib(int width, int height, int bpp, uint32_t compression, size_t lineBytesGiven)
{
    Bytes out;
    PutLE32(out, 40);
    PutLE32(out, uint32_t(width));
    PutLE32(out, uint32_t(height));
    PutLE16(out, 1);
    PutLE16(out, unsigned(bpp));
    PutLE32(out, compression);
    out.insert(out.end(), 20, 0);
    if (bpp <= 8)
        out.insert(out.end(), size_t(4) << bpp, 0x40);
    const size_t stride = ((size_t(width) * size_t(bpp) + 31) / 32) * 4;
    const size_t lines = size_t(height < 0 ? -height : height);
    out.insert(out.end(), lineBytesGiven ? lineBytesGiven : stride * lines, 0x11);
    return out;
}

PLPixel32 DibColour(int index)
{
    return PLPixel32(uint8_t(index * 4), uint8_t(255 - index * 3), uint8_t(index * 7 % 256), 0);
}

Bytes MakeDib8(uint32_t colourCount)
{
    Bytes dib;
    PutLE32(dib, 40);
    PutLE32(dib, 8);
    PutLE32(dib, 8);
    PutLE16(dib, 1);
    PutLE16(dib, 8);
    PutLE32(dib, 0);
    PutLE32(dib, 0);
    PutLE32(dib, 0);
    PutLE32(dib, 0);
    PutLE32(dib, colourCount);
    PutLE32(dib, 0);
    for (int i = 0; i < 256; ++i)
    {
        const PLPixel32 c = DibColour(i);
        dib.insert(dib.end(), {c.b, c.g, c.r, 0});
    }
    for (int row = 7; row >= 0; --row)  // bottom-up
        for (int x = 0; x < 8; ++x)
            dib.push_back(uint8_t(row * 8 + x));
    return dib;
}

#ifdef _WIN32
// --- metafiles, recorded through GDI -------------------------------------------

namespace
{
// A red rectangle over the left half of the picture.
void DrawRedHalf(HDC dc, int width, int height)
{
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r = {0, 0, width / 2, height};
    FillRect(dc, &r, red);
    DeleteObject(red);
}

} // namespace

// An enhanced metafile whose frame is the given size in 0.01 mm, drawn in
// logical units of 0.01 mm.
Bytes MakeEmf(int width, int height)
{
    HDC screen = GetDC(nullptr);
    RECT frame = {0, 0, width, height};
    HDC dc = CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, width, height, nullptr);
    const int pxWidth = width * GetDeviceCaps(screen, HORZRES) / (GetDeviceCaps(screen, HORZSIZE) * 100);
    const int pxHeight = height * GetDeviceCaps(screen, VERTRES) / (GetDeviceCaps(screen, VERTSIZE) * 100);
    SetViewportExtEx(dc, pxWidth, pxHeight, nullptr);
    DrawRedHalf(dc, width, height);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    ReleaseDC(nullptr, screen);
    const UINT bytes = GetEnhMetaFileBits(emf, 0, nullptr);
    Bytes out(bytes);
    GetEnhMetaFileBits(emf, bytes, out.data());
    DeleteEnhMetaFile(emf);
    return out;
}

namespace
{
// A Windows metafile of the drawing in logical units 0..width, 0..height.
template <typename Draw>
Bytes RecordWmf(int width, int height, Draw draw)
{
    HDC dc = CreateMetaFileA(nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, width, height, nullptr);
    draw(dc);
    HMETAFILE wmf = CloseMetaFile(dc);
    const UINT bytes = GetMetaFileBitsEx(wmf, 0, nullptr);
    Bytes out(bytes);
    GetMetaFileBitsEx(wmf, bytes, out.data());
    DeleteMetaFile(wmf);
    return out;
}
} // namespace

Bytes MakeWmf(int width, int height)
{
    return RecordWmf(width, height, [&](HDC dc) { DrawRedHalf(dc, width, height); });
}

void DrawMany(HDC dc, int width, int height, uint32_t colourCount)
{
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT left = {0, 0, width / 2, height};
    FillRect(dc, &left, red);
    DeleteObject(red);

    const int x = width / 2 + width / 20, top = height / 20, cell = width / 12;
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 255));
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 128, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, hatch);
    SaveDC(dc);
    Ellipse(dc, x, top, x + cell, top + cell);
    Arc(dc, x + cell, top, x + 2 * cell, top + cell, x, top, x + 2 * cell, top + cell);
    Pie(dc, x + 2 * cell, top, x + 3 * cell, top + cell, x, top, x + 2 * cell, top + cell);
    RestoreDC(dc, -1);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    POINT points[4] = {{x, top + cell}, {x + cell, top + 2 * cell}, {x + 2 * cell, top + cell}, {x, top + cell}};
    Polygon(dc, points, 4);
    Polyline(dc, points, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(hatch);

    HRGN region = CreateRectRgn(x, top + 2 * cell, x + cell, top + 3 * cell);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRgn(dc, region, blue);
    FrameRgn(dc, region, blue, 1, 1);
    DeleteObject(region);
    DeleteObject(blue);

    HFONT font = CreateFontA(-cell / 2, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, x + cell, top + 2 * cell, "Note", 4);
    SelectObject(dc, oldFont);
    DeleteObject(font);

    // Bitmaps without an image size.
    const Bytes dib = MakeDib8(colourCount);
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const uint8_t* bits = dib.data() + 40 + 1024;
    StretchDIBits(dc, x + 2 * cell, top + 2 * cell, cell, cell, 0, 0, 8, 8, bits, info, DIB_RGB_COLORS, SRCCOPY);
    SetDIBitsToDevice(dc, x + 3 * cell, top + 2 * cell, 8, 8, 0, 0, 0, 8, bits, info, DIB_RGB_COLORS);
}

Bytes MakeRecordedWmf(int width, int height)
{
    return RecordWmf(width, height, [&](HDC dc) { DrawMany(dc, width, height, 0); });
}

Bytes MakeRecordedEmf(int width, int height, Bytes* converted)
{
    HDC screen = GetDC(nullptr);
    const int mmWidth = width * GetDeviceCaps(screen, HORZSIZE) * 100 / GetDeviceCaps(screen, HORZRES);
    const int mmHeight = height * GetDeviceCaps(screen, VERTSIZE) * 100 / GetDeviceCaps(screen, VERTRES);
    RECT frame = {0, 0, mmWidth, mmHeight};
    HDC dc = CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
    DrawMany(dc, width, height, 256);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    UINT bytes = GetEnhMetaFileBits(emf, 0, nullptr);
    Bytes out(bytes);
    GetEnhMetaFileBits(emf, bytes, out.data());
    if (converted)
    {
        bytes = GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, screen);
        converted->assign(bytes, 0);
        GetWinMetaFileBits(emf, bytes, converted->data(), MM_ANISOTROPIC, screen);
    }
    DeleteEnhMetaFile(emf);
    ReleaseDC(nullptr, screen);
    return out;
}

Bytes MakePlaceable(const Bytes& wmf, int left, int top, int right, int bottom, int unitsPerInch)
{
    Bytes out;
    PutLE32(out, 0x9AC6CDD7u);
    PutLE16(out, 0);
    PutLE16(out, unsigned(left));
    PutLE16(out, unsigned(top));
    PutLE16(out, unsigned(right));
    PutLE16(out, unsigned(bottom));
    PutLE16(out, unsigned(unitsPerInch));
    PutLE32(out, 0);
    unsigned sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= unsigned(out[i] | (out[i + 1] << 8));
    PutLE16(out, sum);
    out.insert(out.end(), wmf.begin(), wmf.end());
    return out;
}
#endif
} // namespace testimg
