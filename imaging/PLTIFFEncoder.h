#pragma once

#include "imaging/PLPicEncoder.h"

class PLTiffHandle;

// TIFF through libtiff, written into the sink's buffer: 1 bpp as
// min-is-black or min-is-white, palette depths with a colour map, true
// colour as 8-bit RGB.
class PLTIFFEncoder : public PLPicEncoder
{
public:
    PLTIFFEncoder();
    ~PLTIFFEncoder() override;

    // A libtiff compression code; PackBits (32773) by default.
    void SetCompression(int compression) { m_Compression = compression; }

protected:
    void EncodeBody(PLBmp* bmp, PLDataSink* sink) override;
    virtual void WriteImage(PLBmp* bmp, PLTiffHandle& tiff);

private:
    void WriteStandardTags(PLBmp* bmp, PLTiffHandle& tiff);

    int m_Compression;
};
