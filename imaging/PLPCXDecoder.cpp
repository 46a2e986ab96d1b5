#include "imaging/PLPCXDecoder.h"

#include <cstring>
#include <vector>

#include "imaging/PLBmp.h"
#include "imaging/PLBmpLock.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLTextException.h"

namespace
{
const int kHeaderBytes = 128;
const int kPaletteBytes = 769;  // separator byte and 256 entries
const uint8_t kPaletteSeparator = 0x0C;

// The run-length stream of the whole image, taken a line at a time. Runs may
// span lines; a source that ends early leaves the rest of the image zero.
class PcxRunReader
{
public:
    PcxRunReader(PLDataSource* source, int64_t expected) : m_pSource(source), m_Left(expected) {}

    void ReadLine(uint8_t* dst, int bytes)
    {
        int out = 0;
        while (out < bytes && !m_bEnded)
        {
            if (m_Run > 0)
            {
                const int n = m_Run < bytes - out ? m_Run : bytes - out;
                std::memset(dst + out, m_Value, size_t(n));
                out += n;
                m_Run -= n;
                continue;
            }
            if (m_pSource->GetBytesLeft() < 1)
            {
                m_bEnded = true;
                break;
            }
            const uint8_t b = *m_pSource->ReadBytes(1);
            if (b < 192)
            {
                dst[out++] = b;
                --m_Left;
                continue;
            }
            if (m_pSource->GetBytesLeft() < 1)
            {
                m_bEnded = true;
                break;
            }
            const int count = b & 63;
            m_Value = *m_pSource->ReadBytes(1);
            if (count > m_Left)
                PLPicDecoder::ThrowError(PL_ERR_LAYOUT, "repeat count spans end of image.");
            m_Run = count;
            m_Left -= count;
        }
        if (out < bytes)
            std::memset(dst + out, 0, size_t(bytes - out));
    }

private:
    PLDataSource* m_pSource;
    int64_t m_Left;   // bytes the image still expects
    int m_Run = 0;    // bytes of the current run not yet written
    uint8_t m_Value = 0;
    bool m_bEnded = false;
};
} // namespace

PLPCXDecoder::PLPCXDecoder() = default;

PLPCXDecoder::~PLPCXDecoder() = default;

void PLPCXDecoder::UnpackPacked(const uint8_t* line, int bitsPerPixel, int width, uint8_t* indices)
{
    const int perByte = 8 / bitsPerPixel;
    const int mask = (1 << bitsPerPixel) - 1;
    for (int x = 0; x < width; ++x)
    {
        const int shift = 8 - bitsPerPixel * (x % perByte + 1);
        indices[x] = uint8_t((line[x / perByte] >> shift) & mask);
    }
}

void PLPCXDecoder::UnpackPlanar(const uint8_t* line, int planes, int bytesPerLine, int width, uint8_t* indices)
{
    std::memset(indices, 0, size_t(width));
    for (int k = 0; k < planes; ++k)
    {
        const uint8_t* plane = line + int64_t(k) * bytesPerLine;
        for (int x = 0; x < width; ++x)
            if ((plane[x >> 3] >> (7 - (x & 7))) & 1)
                indices[x] |= uint8_t(1 << k);
    }
}

void PLPCXDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    // The file's last bytes, for the 256-colour palette that follows the image.
    const uint8_t* fileStart = source->GetRemainingData();
    const int fileBytes = source->GetBytesLeft();

    const uint8_t* h = source->ReadBytes(kHeaderBytes);
    if (h[0] != 10)
        ThrowError(PL_ERR_SIGNATURE, "Error decoding pcx: Not a PCX file.");
    if (h[2] != 1)
        ThrowError(PL_ERR_SIGNATURE, "File has unknown encoding scheme.");
    const int bitsPerPixel = h[3];
    const uint16_t xmin = uint16_t(h[4] | (h[5] << 8));
    const uint16_t ymin = uint16_t(h[6] | (h[7] << 8));
    const uint16_t xmax = uint16_t(h[8] | (h[9] << 8));
    const uint16_t ymax = uint16_t(h[10] | (h[11] << 8));
    const int xres = h[12] | (h[13] << 8);
    const int yres = h[14] | (h[15] << 8);
    const int planes = h[65];
    const int bytesPerLine = h[66] | (h[67] << 8);
    const int width = uint16_t(xmax - xmin + 1);
    const int height = uint16_t(ymax - ymin + 1);

    PLPixel32 palette[256];
    for (int i = 0; i < 16; ++i)
        palette[i] = PLPixel32(h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i], 255);

    PLBmp::CheckDimensions(width, height, 32);

    if (bitsPerPixel == 1)
    {
        if (planes > 4)
            ThrowError(PL_ERR_FORMAT, "Can't handle image with more than 4 planes.");
    }
    else if (!((bitsPerPixel == 2 || bitsPerPixel == 4 || bitsPerPixel == 8) && (planes == 1 || planes == 3)))
    {
        ThrowError(PL_ERR_FORMAT, "Can't handle bits per pixel image with planes.");
    }
    if (planes < 1)
        ThrowError(PL_ERR_FORMAT, "Can't handle bits per pixel image with planes.");
    const bool trueColour = bitsPerPixel == 8 && planes == 3;
    if (planes > 1 && bitsPerPixel > 1 && !trueColour)
        ThrowError(PL_ERR_LAYOUT, "Can't handle more than 1 bit per pixel.");

    // A line too short for the width would make the unpacking read past it.
    const int64_t neededPerPlane = trueColour ? width : (int64_t(width) * (planes > 1 ? 1 : bitsPerPixel) + 7) / 8;
    if (bytesPerLine < neededPerPlane)
        ThrowError(PL_ERR_FORMAT, "Bytes per line too small for the image width.");

    const int64_t lineBytes = int64_t(planes) * bytesPerLine;
    // Two bytes of run-length data give 63 bytes of image at most: data that
    // cannot fill the image even so is damage, refused before the bitmap is
    // made. A file cut short of that still decodes what it holds.
    const int64_t imageBytes = lineBytes * height;
    const int64_t rest = imageBytes % 63;
    RequireData(source, imageBytes / 63 * 2 + (rest == 0 ? 0 : (rest == 1 ? 1 : 2)));
    bmp->Create(width, height, 32, false, PLPoint());

    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    // Indexed pictures: the 256-colour palette follows the image data, so
    // the indices are kept until it has been read.
    std::vector<uint8_t> indices(trueColour ? 0 : size_t(width) * size_t(height));
    PcxRunReader reader(source, lineBytes * height);

    {
        PLBmpLock lock(bmp, false, true);
        for (int y = 0; y < height; ++y)
        {
            reader.ReadLine(line.data(), int(lineBytes));
            if (trueColour)
            {
                PLPixel32* dst = bmp->GetLineArray32()[y];
                const uint8_t* r = line.data();
                const uint8_t* g = r + bytesPerLine;
                const uint8_t* b = g + bytesPerLine;
                for (int x = 0; x < width; ++x)
                    dst[x] = PLPixel32(r[x], g[x], b[x], 255);
                continue;
            }
            uint8_t* lineIndices = indices.data() + size_t(y) * size_t(width);
            if (planes == 1)
                UnpackPacked(line.data(), bitsPerPixel, width, lineIndices);
            else
                UnpackPlanar(line.data(), planes, bytesPerLine, width, lineIndices);
        }
    }
    bmp->SetResolution(PLPoint(xres, yres));
    if (trueColour)
        return;

    if (bitsPerPixel == 8)
    {
        // Writers that pad the image data put the palette at the very end.
        const uint8_t* entries = nullptr;
        if (fileBytes - kPaletteBytes >= kHeaderBytes &&
            fileStart[fileBytes - kPaletteBytes] == kPaletteSeparator)
        {
            entries = fileStart + fileBytes - kPaletteBytes + 1;
        }
        else
        {
            source->ReadBytes(1);
            entries = source->ReadBytes(768);
        }
        for (int i = 0; i < 256; ++i)
            palette[i] = PLPixel32(entries[3 * i], entries[3 * i + 1], entries[3 * i + 2], 255);
    }
    else if (bitsPerPixel == 1 && planes == 1)
    {
        palette[0] = PLPixel32(0, 0, 0, 255);
        palette[1] = PLPixel32(255, 255, 255, 255);
    }

    PLBmpLock lock(bmp, false, true);
    for (int y = 0; y < height; ++y)
    {
        PLPixel32* dst = bmp->GetLineArray32()[y];
        const uint8_t* lineIndices = indices.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x)
            dst[x] = palette[lineIndices[x]];
    }
}
