#include "imaging/PLPSDDecoder.h"

#include <cstdlib>
#include <cstring>
#include <functional>

#include "imaging/PLBmp.h"
#include "imaging/PLBmpLock.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLMemSource.h"
#include "imaging/PLTextException.h"

namespace
{
const int kMaxChannels = 56;
const int kMaxSide = 30000;
const uint16_t kRunLength = 1;
const int kResolutionResource = 1005;

uint16_t BE16(const uint8_t* p)
{
    return uint16_t((p[0] << 8) | p[1]);
}

uint32_t BE32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Reads within one section of the file; running past its end is damage.
class SectionReader
{
public:
    SectionReader(const uint8_t* data, int64_t size, const char* damaged)
        : m_pData(data), m_Size(size), m_Damaged(damaged) {}

    const uint8_t* Take(int64_t n)
    {
        if (n < 0 || n > m_Size - m_Pos)
            PLPicDecoder::ThrowError(PL_ERR_FORMAT, m_Damaged);
        const uint8_t* p = m_pData + m_Pos;
        m_Pos += n;
        return p;
    }
    uint8_t Byte() { return *Take(1); }
    uint16_t U16() { return BE16(Take(2)); }
    uint32_t U32() { return BE32(Take(4)); }
    int64_t Left() const { return m_Size - m_Pos; }

private:
    const uint8_t* m_pData;
    int64_t m_Size;
    int64_t m_Pos = 0;
    const char* m_Damaged;
};

// A section length from the file: it must lie within what is left.
const uint8_t* ReadSection(PLDataSource* source, uint32_t length)
{
    if (int64_t(length) > source->GetBytesLeft())
        throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");
    return source->ReadBytes(int(length));
}

// One channel's packed rows: a table of height packed lengths, then the rows.
void ReadPackedRows(PLDataSource* source, const uint8_t* lengths, int width, int height,
                    std::vector<uint8_t>& row, const std::function<void(int, const uint8_t*)>& place)
{
    for (int y = 0; y < height; ++y)
    {
        const int packedLength = BE16(lengths + 2 * y);
        const uint8_t* packed = source->ReadBytes(packedLength);
        // Every row is packed, however short.
        PLPicDecoder::DecodePackBits(packed, packedLength, row.data(), width);
        place(y, row.data());
    }
}
} // namespace

PLPSDDecoder::PLPSDDecoder()
{
    ResetState();
}

PLPSDDecoder::~PLPSDDecoder() = default;

void PLPSDDecoder::ResetState()
{
    m_Header = FileHeader();
    for (int i = 0; i < 256; ++i)
        m_Palette[i] = PLPixel32(uint8_t(i), uint8_t(i), uint8_t(i), 255);
    m_Resolution = PLPoint();
    m_bLayerSection = false;
    m_Layers.clear();
    m_NextLayer = 0;
}

void PLPSDDecoder::ReadHeader(PLDataSource* source)
{
    const uint8_t* p = source->ReadBytes(26);
    if (std::memcmp(p, "8BPS", 4) != 0)
        ThrowError(PL_ERR_FORMAT, "PSD decoder: This isn't a photoshop file.");
    FileHeader& h = m_Header;
    h.version = BE16(p + 4);
    h.channels = BE16(p + 12);
    h.height = int(BE32(p + 14) > uint32_t(kMaxSide) ? uint32_t(kMaxSide) + 1 : BE32(p + 14));
    h.width = int(BE32(p + 18) > uint32_t(kMaxSide) ? uint32_t(kMaxSide) + 1 : BE32(p + 18));
    h.depth = BE16(p + 22);
    h.mode = BE16(p + 24);

    if (h.version != 1)
        ThrowError(PL_ERR_FORMAT, "PSD decoder: Only version 1 files are supported.");
    if (h.channels < 1 || h.channels > kMaxChannels)
        ThrowError(PL_ERR_FORMAT, "PSD decoder: Illegal number of channels.");
    if (h.width < 1 || h.width > kMaxSide || h.height < 1 || h.height > kMaxSide)
        ThrowError(PL_ERR_FORMAT, "PSD decoder: Illegal image size.");
    if (h.depth != 8)
        ThrowError(PL_ERR_UNSUPPORTED, "PSD decoder: Only 8 bits per channel are supported.");
}

void PLPSDDecoder::ReadColourModeData(PLDataSource* source)
{
    // The whole section is skipped; only its first 768 bytes are a palette.
    const uint32_t length = ReadBE32(source);
    const uint8_t* data = ReadSection(source, length);
    if (length >= 768)
        for (int i = 0; i < 256; ++i)
            m_Palette[i] = PLPixel32(data[i], data[256 + i], data[512 + i], 255);
}

void PLPSDDecoder::ReadImageResources(PLDataSource* source)
{
    const uint32_t length = ReadBE32(source);
    if (length == 0 || (length & 0x80000000u))
        return;
    SectionReader r(ReadSection(source, length), length, "PSD decoder: Damaged image resource.");
    // The smallest resource: signature, id, empty name with its pad, size.
    while (r.Left() >= 12)
    {
        if (std::memcmp(r.Take(4), "8BIM", 4) != 0)
            ThrowError(PL_ERR_FORMAT, "PSD decoder: Wrong signature in resource data block.");
        const int id = r.U16();
        const int nameLength = r.Byte();
        r.Take(nameLength + ((nameLength & 1) ? 0 : 1));
        const uint32_t size = r.U32();
        const uint8_t* data = r.Take(size);
        if (size & 1)
            r.Take(r.Left() > 0 ? 1 : 0);
        if (id == kResolutionResource && size >= 16)
            m_Resolution = PLPoint(int(BE32(data) >> 16), int(BE32(data + 8) >> 16));
    }
}

void PLPSDDecoder::ReadLayerHeaders(PLDataSource* source)
{
    const uint32_t length = ReadBE32(source);
    if (length == 0 || (length & 0x80000000u))
        return;
    // Reading the section whole leaves the source at its end, past the
    // layers' pixels; the records point into it.
    m_bLayerSection = true;
    SectionReader section(ReadSection(source, length), length, "PSD decoder: Damaged layer section.");
    if (section.Left() < 4)
        return;
    const uint32_t infoLength = section.U32();
    if (infoLength == 0 || (infoLength & 0x80000000u))
        return;
    SectionReader info(section.Take(infoLength), infoLength, "PSD decoder: Damaged layer records.");
    const int count = std::abs(int(int16_t(info.U16())));
    m_Layers.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
    {
        Layer layer;
        layer.top = int32_t(info.U32());
        layer.left = int32_t(info.U32());
        layer.bottom = int32_t(info.U32());
        layer.right = int32_t(info.U32());
        const int channels = info.U16();
        for (int c = 0; c < channels; ++c)
        {
            LayerChannel channel;
            channel.id = int16_t(info.U16());
            const uint32_t channelLength = info.U32();
            if (channelLength > uint32_t(infoLength))
                ThrowError(PL_ERR_FORMAT, "PSD decoder: Damaged layer records.");
            channel.length = int(channelLength);
            layer.channels.push_back(channel);
        }
        info.Take(12);  // blend signature and key, opacity, clipping, flags, filler
        info.Take(info.U32());
        m_Layers.push_back(layer);
    }
    // The channels' data follow the records, layer by layer.
    for (Layer& layer : m_Layers)
        for (LayerChannel& channel : layer.channels)
            channel.data = info.Take(channel.length);
}

void PLPSDDecoder::CheckMode(int channels) const
{
    switch (m_Header.mode)
    {
    case 1:
    case 2:
        break;
    case 3:
        if (channels < 3)
            ThrowError(PL_ERR_FORMAT, "PSD decoder: Too few channels for an RGB image.");
        break;
    default:
        ThrowError(PL_ERR_UNSUPPORTED, "This PSD color mode is not supported.");
    }
}

void PLPSDDecoder::CreateBitmap(PLBmp* bmp, int width, int height, int channels)
{
    CheckMode(channels);
    switch (m_Header.mode)
    {
    case 1:
        bmp->Create(width, height, 8, false, m_Resolution);
        bmp->SetGreyRamp();
        break;
    case 2:
        bmp->Create(width, height, 8, false, m_Resolution);
        bmp->SetPalette(m_Palette);
        break;
    default:
        bmp->Create(width, height, 32, channels > 3, m_Resolution);
        if (channels == 3)
        {
            // No alpha channel: the fourth bytes are opaque.
            PLBmpLock lock(bmp, false, true);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    bmp->GetLineArray32()[y][x].a = 255;
        }
        break;
    }
}

void PLPSDDecoder::CheckCompression(int compression)
{
    if (compression > 3)
        ThrowError(PL_ERR_FORMAT, "PSD decoder: Compression unknown.");
    if (compression != kRunLength)
        ThrowError(PL_ERR_FORMAT, "PSD decoder: Compression type not supported.");
}

const uint8_t* PLPSDDecoder::ReadRowTable(PLDataSource* source, int channels, int height)
{
    CheckCompression(ReadBE16(source));
    const int64_t rows = int64_t(channels) * height;
    RequireData(source, 2 * rows);
    const uint8_t* lengths = source->ReadBytes(int(2 * rows));
    int64_t packed = 0;
    for (int64_t i = 0; i < rows; ++i)
        packed += BE16(lengths + 2 * i);
    RequireData(source, packed);
    return lengths;
}

void PLPSDDecoder::PlaceRow(PLBmp* bmp, int channel, int y, const uint8_t* row) const
{
    const int width = bmp->GetWidth();
    if (m_Header.mode != 3)
    {
        if (channel == 0)
            std::memcpy(bmp->GetLineArray()[y], row, size_t(width));
        return;
    }
    if (channel > 3)
        return;
    static const int kOffset[4] = {2, 1, 0, 3};  // red, green, blue, alpha in B, G, R, A
    uint8_t* line = bmp->GetLineArray()[y] + kOffset[channel];
    for (int x = 0; x < width; ++x)
        line[4 * x] = row[x];
}

void PLPSDDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    try
    {
        OpenLayers(source);
        ReadMergedImage(source, bmp);
    }
    catch (...)
    {
        m_Layers.clear();
        throw;
    }
    m_Layers.clear();
}

int PLPSDDecoder::OpenLayers(PLDataSource* source)
{
    ResetState();
    ReadHeader(source);
    ReadColourModeData(source);
    ReadImageResources(source);
    ReadLayerHeaders(source);
    return int(m_Layers.size());
}

PLPoint PLPSDDecoder::GetNextLayerOffset() const
{
    if (m_NextLayer >= m_Layers.size())
        return PLPoint();
    const Layer& layer = m_Layers[m_NextLayer];
    return PLPoint(layer.left, layer.top);
}

void PLPSDDecoder::ReadNextLayer(PLBmp* bmp)
{
    if (m_NextLayer >= m_Layers.size())
        ThrowError(PL_ERR_FORMAT, "PSD decoder: No more layers.");
    const Layer& layer = m_Layers[m_NextLayer++];
    const int64_t width = int64_t(layer.right) - layer.left;
    const int64_t height = int64_t(layer.bottom) - layer.top;
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
        ThrowError(PL_ERR_FORMAT, "PSD decoder: Illegal layer size.");
    const int channels = int(layer.channels.size());
    CheckMode(channels);
    PLBmp::CheckDimensions(width, height, m_Header.mode == 3 ? 32 : 8);
    // Every channel's rows must be there before the bitmap is made.
    for (const LayerChannel& channel : layer.channels)
    {
        PLMemSource data;
        data.Open(channel.data, channel.length);
        ReadRowTable(&data, 1, int(height));
    }
    CreateBitmap(bmp, int(width), int(height), channels);

    PLBmpLock lock(bmp, false, true);
    std::vector<uint8_t> row(static_cast<size_t>(width));
    for (size_t c = 0; c < layer.channels.size(); ++c)
    {
        const LayerChannel& channel = layer.channels[c];
        PLMemSource data;
        data.Open(channel.data, channel.length);
        const uint8_t* lengths = ReadRowTable(&data, 1, int(height));
        ReadPackedRows(&data, lengths, int(width), int(height), row,
                       [&](int y, const uint8_t* r) { PlaceRow(bmp, int(c), y, r); });
    }
}

void PLPSDDecoder::ReadMergedImage(PLDataSource* source, PLBmp* bmp)
{
    // The source already stands after the layer section (read whole).
    const FileHeader& h = m_Header;
    CheckMode(h.channels);
    PLBmp::CheckDimensions(h.width, h.height, h.mode == 3 ? 32 : 8);
    const uint8_t* lengths = ReadRowTable(source, h.channels, h.height);
    CreateBitmap(bmp, h.width, h.height, h.channels);

    {
        PLBmpLock lock(bmp, false, true);
        std::vector<uint8_t> row(static_cast<size_t>(h.width));
        for (int c = 0; c < h.channels; ++c)
            ReadPackedRows(source, lengths + 2 * int64_t(c) * h.height, h.width, h.height, row,
                           [&](int y, const uint8_t* r) { PlaceRow(bmp, c, y, r); });
    }
    bmp->DropEmptyAlpha();
}
