#pragma once

#include <cstdint>
#include <memory>

#include "imaging/PLPicDecoder.h"

class PLBmpDecoder;
class PLGIFDecoder;
class PLJPEGDecoder;
class PLPCXDecoder;
class PLPGMDecoder;
class PLPNGDecoder;
class PLPPMDecoder;
class PLPSDDecoder;
class PLPictDecoder;
class PLTGADecoder;
class PLTIFFDecoder;

// Format codes found by detection.
enum PLFormatCode
{
    PL_FT_UNKNOWN = 0,
    PL_FT_WINBMP = 1,
    PL_FT_MACPICT = 2,
    PL_FT_TARGA = 3,
    PL_FT_TIFF = 4,
    PL_FT_JPEG = 5,
    PL_FT_PNG = 6,
    PL_FT_EPSTIFF = 7,
    PL_FT_WMF = 8,
    PL_FT_EMF = 9,
    PL_FT_PCX = 10,
    PL_FT_PGM = 11,
    PL_FT_GIF = 12,
    PL_FT_PPM = 13,
    PL_FT_PSD = 14,
};

// The decoder the program uses: recognises the format by the file name's
// extension (WMF, EMF) and the leading bytes, and hands the input to the
// matching format decoder. Metafiles are played through GDI: builds
// without Windows report them with code 6.
class PLAnyPicDecoder : public PLPicDecoder
{
public:
    PLAnyPicDecoder();
    ~PLAnyPicDecoder() override;

    // The format code of the last decode (0 before any, or when unknown).
    int LastFormatCode() const { return m_Type; }

    // The format of data whose first available bytes are given (available
    // may be less than size near the end of short inputs: tests that need
    // bytes beyond it do not match).
    static int SniffFormat(const uint8_t* data, int available, int size);

    // The format code that a source's name gives by its extension: WMF and
    // EMF (any case), else 0.
    static int FormatFromName(const char* name);

    // Metafile signatures: an enhanced metafile header record, the key of
    // the placeable header, and the standard Windows metafile header.
    static bool IsEnhancedMetafile(const uint8_t* data, int available);
    static bool IsPlaceableMetafile(const uint8_t* data, int available);
    static bool IsWindowsMetafile(const uint8_t* data, int available);

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
    void ResetState() override;

private:
    PLPicDecoder* DecoderFor(int formatCode) const;
    void DecodeEpsPreview(PLDataSource* source, PLBmp* bmp);

    int m_Type;
    std::unique_ptr<PLBmpDecoder> m_pBmpDec;
    std::unique_ptr<PLTGADecoder> m_pTGADec;
    std::unique_ptr<PLTIFFDecoder> m_pTIFFDec;
    std::unique_ptr<PLJPEGDecoder> m_pJPEGDec;
    std::unique_ptr<PLPictDecoder> m_pPictDec;
    std::unique_ptr<PLPNGDecoder> m_pPNGDec;
    std::unique_ptr<PLPicDecoder> m_pWEMFDec;  // none without Windows
    std::unique_ptr<PLPCXDecoder> m_pPCXDec;
    std::unique_ptr<PLPGMDecoder> m_pPGMDec;
    std::unique_ptr<PLGIFDecoder> m_pGIFDec;
    std::unique_ptr<PLPPMDecoder> m_pPPMDec;
    std::unique_ptr<PLPSDDecoder> m_pPSDDec;
};
