#include "imaging/PLAnyPicDecoder.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "imaging/PLDataSource.h"
#include "imaging/PLGIFDecoder.h"
#include "imaging/PLJPEGDecoder.h"
#include "imaging/PLMemSource.h"
#include "imaging/PLPNGDecoder.h"
#include "imaging/PLTIFFDecoder.h"
#include "imaging/PLTextException.h"

namespace
{
// Detection looks this far: the PICT test reads bytes 522 to 525.
const int kSniffBytes = 540;

uint32_t ReadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool Starts(const uint8_t* b, int available, const char* sig, int n)
{
    return available >= n && std::memcmp(b, sig, size_t(n)) == 0;
}

bool OneOf(int v, std::initializer_list<int> values)
{
    return std::find(values.begin(), values.end(), v) != values.end();
}
} // namespace

PLAnyPicDecoder::PLAnyPicDecoder()
    : m_Type(PL_FT_UNKNOWN),
      m_pTIFFDec(new PLTIFFDecoder),
      m_pJPEGDec(new PLJPEGDecoder),
      m_pPNGDec(new PLPNGDecoder),
      m_pGIFDec(new PLGIFDecoder)
{
}

PLAnyPicDecoder::~PLAnyPicDecoder() = default;

void PLAnyPicDecoder::ResetState()
{
    m_Type = PL_FT_UNKNOWN;
}

int PLAnyPicDecoder::SniffFormat(const uint8_t* b, int available, int size)
{
    if (!b || available < 0)
        return PL_FT_UNKNOWN;

    if (available >= 2)
    {
        static const char* const bmpSigs[] = {"BA", "IC", "CI", "BM", "CP"};
        for (const char* sig : bmpSigs)
            if (b[0] == uint8_t(sig[0]) && b[1] == uint8_t(sig[1]))
                return PL_FT_WINBMP;
    }

    // Targa has no signature: a plausibility test of the header.
    if (available >= 17 && b[1] <= 1 && OneOf(b[2], {0, 1, 2, 3, 9, 10, 11}) &&
        OneOf(b[7], {0, 8, 15, 16, 24, 32}) && OneOf(b[16], {8, 15, 16, 24, 32}))
        return PL_FT_TARGA;

    if (Starts(b, available, "II\x2A\x00", 4) || Starts(b, available, "MM\x00\x2A", 4))
        return PL_FT_TIFF;

    if (Starts(b, available, "GIF8", 4))
        return PL_FT_GIF;

    if (size > 540 && available >= 526)
    {
        const uint8_t* p = b + 522;
        if ((p[0] == 0x00 && p[1] == 0x11 && p[2] == 0x02 && p[3] == 0xFF) ||
            (p[0] == 0x00 && p[1] == 0x11 && p[2] == 0x01) ||
            (p[0] == 0x11 && p[1] == 0x01 && p[2] == 0x01 && p[3] == 0x00))
            return PL_FT_MACPICT;
    }

    if (Starts(b, available, "\xFF\xD8\xFF", 3))
        return PL_FT_JPEG;

    if (Starts(b, available, "\x89PNG", 4))
        return PL_FT_PNG;

    if ((Starts(b, available, "\xC5\xD0\xD3\xC6", 4) || Starts(b, available, "\xC6\xD3\xD0\xC5", 4)) &&
        available >= 28 && ReadLE32(b + 20) != 0 && ReadLE32(b + 24) != 0)
        return PL_FT_EPSTIFF;

    if (available >= 3 && b[0] == 0x0A && b[2] == 0x01)
        return PL_FT_PCX;

    if (available >= 2 && b[0] == 'P')
    {
        if (b[1] == '2' || b[1] == '5')
            return PL_FT_PGM;
        if (b[1] == '3' || b[1] == '6')
            return PL_FT_PPM;
    }

    if (Starts(b, available, "8BPS", 4))
        return PL_FT_PSD;

    return PL_FT_UNKNOWN;
}

PLPicDecoder* PLAnyPicDecoder::DecoderFor(int formatCode) const
{
    switch (formatCode)
    {
    case PL_FT_TIFF:
    case PL_FT_EPSTIFF:
        return m_pTIFFDec.get();
    case PL_FT_JPEG:
        return m_pJPEGDec.get();
    case PL_FT_PNG:
        return m_pPNGDec.get();
    case PL_FT_GIF:
        return m_pGIFDec.get();
    default:
        return nullptr;
    }
}

void PLAnyPicDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    std::string name = source->GetName();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return char(std::toupper(static_cast<unsigned char>(c))); });
    if (name.find(".WMF") != std::string::npos)
        m_Type = PL_FT_WMF;
    else if (name.find(".EMF") != std::string::npos)
        m_Type = PL_FT_EMF;
    else
    {
        int available = 0;
        const uint8_t* head = source->PeekBuffer(kSniffBytes, &available);
        m_Type = SniffFormat(head, available, source->GetBytesLeft());
    }

    if (m_Type == PL_FT_UNKNOWN)
        ThrowError(PL_ERR_UNKNOWN_TYPE, "Unknown file type.");

    PLPicDecoder* decoder = DecoderFor(m_Type);
    if (!decoder)
        ThrowError(PL_ERR_UNSUPPORTED, "Library not compiled for this file type.");

    if (m_Type == PL_FT_EPSTIFF)
        DecodeEpsPreview(source, bmp);
    else
        decoder->DecodeInto(source, bmp, 0);
}

void PLAnyPicDecoder::DecodeEpsPreview(PLDataSource* source, PLBmp* bmp)
{
    int available = 0;
    const uint8_t* head = source->PeekBuffer(30, &available);
    if (available < 28)
        ThrowError(PL_ERR_END_OF_DATA, "EPS header is truncated.");
    const uint32_t offset = ReadLE32(head + 20);
    const uint32_t length = ReadLE32(head + 24);
    if (offset > uint32_t(source->GetBytesLeft()))
        throw PLTextException(PL_ERR_END_OF_DATA, "End of file reached while decoding.\n");
    source->ReadBytes(int(offset));

    // The preview is its own TIFF: decode it over its own bytes only.
    const int left = source->GetBytesLeft();
    const int previewBytes = length < uint32_t(left) ? int(length) : left;
    PLMemSource preview;
    preview.Open(source->GetRemainingData(), previewBytes);
    m_pTIFFDec->DecodeInto(&preview, bmp, 0);
}
