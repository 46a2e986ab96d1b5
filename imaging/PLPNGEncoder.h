#pragma once

#include "imaging/PLPicEncoder.h"

// PNG through libpng: palette depths as palette images (with 2^bpp entries),
// true colour as RGB, or RGBA when the alpha flag is set.
class PLPNGEncoder : public PLPicEncoder
{
public:
    PLPNGEncoder();
    ~PLPNGEncoder() override;

protected:
    void EncodeBody(PLBmp* bmp, PLDataSink* sink) override;

private:
    PLBmp* m_pBmp;
    PLDataSink* m_pSink;
};
