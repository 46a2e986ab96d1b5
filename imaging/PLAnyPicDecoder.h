#pragma once

#include <cstdint>
#include <memory>

#include "imaging/PLPicDecoder.h"

class PLJPEGDecoder;
class PLPNGDecoder;
class PLGIFDecoder;
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

// The decoder the program uses: recognises the format by file name and
// leading bytes and hands the input to the matching format decoder.
// Formats without a decoder in this build are reported with code 6.
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

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;
    void ResetState() override;

private:
    PLPicDecoder* DecoderFor(int formatCode) const;
    void DecodeEpsPreview(PLDataSource* source, PLBmp* bmp);

    int m_Type;
    std::unique_ptr<PLTIFFDecoder> m_pTIFFDec;
    std::unique_ptr<PLJPEGDecoder> m_pJPEGDec;
    std::unique_ptr<PLPNGDecoder> m_pPNGDec;
    std::unique_ptr<PLGIFDecoder> m_pGIFDec;
};
