#include "imaging/PLAnyPicDecoder.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "imaging/PLBmpDecoder.h"
#include "imaging/PLDataSource.h"
#include "imaging/PLGIFDecoder.h"
#include "imaging/PLJPEGDecoder.h"
#include "imaging/PLMemSource.h"
#include "imaging/PLPCXDecoder.h"
#include "imaging/PLPGMDecoder.h"
#include "imaging/PLPNGDecoder.h"
#include "imaging/PLPPMDecoder.h"
#include "imaging/PLPSDDecoder.h"
#include "imaging/PLPictDecoder.h"
#include "imaging/PLTGADecoder.h"
#include "imaging/PLTIFFDecoder.h"
#include "imaging/PLTextException.h"
#ifdef _WIN32
#include "imaging/PLWEMFDecoder.h"
#endif

namespace
{
// Detection looks this far: the PICT test reads bytes 522 to 525.
const int kSniffBytes = 540;

uint32_t LE32(const uint8_t* p)
{
    return PLPicDecoder::ReadLittleEndianLong(p);
}

unsigned LE16(const uint8_t* p)
{
    return unsigned(p[0] | (p[1] << 8));
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
      m_pBmpDec(new PLBmpDecoder),
      m_pTGADec(new PLTGADecoder),
      m_pTIFFDec(new PLTIFFDecoder),
      m_pJPEGDec(new PLJPEGDecoder),
      m_pPictDec(new PLPictDecoder(m_pJPEGDec.get())),
      m_pPNGDec(new PLPNGDecoder),
#ifdef _WIN32
      m_pWEMFDec(new PLWEMFDecoder),
#endif
      m_pPCXDec(new PLPCXDecoder),
      m_pPGMDec(new PLPGMDecoder),
      m_pGIFDec(new PLGIFDecoder),
      m_pPPMDec(new PLPPMDecoder),
      m_pPSDDec(new PLPSDDecoder)
{
}

PLAnyPicDecoder::~PLAnyPicDecoder() = default;

void PLAnyPicDecoder::ResetState()
{
    m_Type = PL_FT_UNKNOWN;
}

bool PLAnyPicDecoder::IsEnhancedMetafile(const uint8_t* b, int available)
{
    return b && available >= 44 && LE32(b) == 1 && std::memcmp(b + 40, " EMF", 4) == 0;
}

bool PLAnyPicDecoder::IsPlaceableMetafile(const uint8_t* b, int available)
{
    return b && available >= 4 && LE32(b) == 0x9AC6CDD7u;
}

bool PLAnyPicDecoder::IsWindowsMetafile(const uint8_t* b, int available)
{
    // Type (memory or disk), header size in words, version 1 or 3.
    return b && available >= 6 && (LE16(b) == 1 || LE16(b) == 2) && LE16(b + 2) == 9 &&
           (LE16(b + 4) == 0x100 || LE16(b + 4) == 0x300);
}

int PLAnyPicDecoder::FormatFromName(const char* name)
{
    if (!name)
        return PL_FT_UNKNOWN;
    const char* dot = std::strrchr(name, '.');
    if (!dot || std::strpbrk(dot, "\\/"))
        return PL_FT_UNKNOWN;
    std::string extension(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return char(std::toupper(static_cast<unsigned char>(c))); });
    if (extension == "WMF")
        return PL_FT_WMF;
    if (extension == "EMF")
        return PL_FT_EMF;
    return PL_FT_UNKNOWN;
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

    // Metafiles come before the Targa test, which an enhanced metafile's
    // header can pass.
    if (IsEnhancedMetafile(b, available))
        return PL_FT_EMF;
    if (IsPlaceableMetafile(b, available) || IsWindowsMetafile(b, available))
        return PL_FT_WMF;

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
        available >= 28 && LE32(b + 20) != 0 && LE32(b + 24) != 0)
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
    case PL_FT_WINBMP:
        return m_pBmpDec.get();
    case PL_FT_MACPICT:
        return m_pPictDec.get();
    case PL_FT_TARGA:
        return m_pTGADec.get();
    case PL_FT_TIFF:
    case PL_FT_EPSTIFF:
        return m_pTIFFDec.get();
    case PL_FT_JPEG:
        return m_pJPEGDec.get();
    case PL_FT_PNG:
        return m_pPNGDec.get();
    case PL_FT_WMF:
    case PL_FT_EMF:
        return m_pWEMFDec.get();
    case PL_FT_PCX:
        return m_pPCXDec.get();
    case PL_FT_PGM:
        return m_pPGMDec.get();
    case PL_FT_GIF:
        return m_pGIFDec.get();
    case PL_FT_PPM:
        return m_pPPMDec.get();
    case PL_FT_PSD:
        return m_pPSDDec.get();
    default:
        return nullptr;
    }
}

void PLAnyPicDecoder::DecodeBody(PLDataSource* source, PLBmp* bmp)
{
    // Imported metafiles are decoded later from memory, without a name:
    // their content is recognised too.
    m_Type = FormatFromName(source->GetName());
    if (m_Type == PL_FT_UNKNOWN)
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
    const uint32_t offset = LE32(head + 20);
    const uint32_t length = LE32(head + 24);
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
