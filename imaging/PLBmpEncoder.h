#pragma once

#include "imaging/PLPicEncoder.h"

// Windows BMP: palette depths as they are, true colour as 24 bpp.
class PLBmpEncoder : public PLPicEncoder
{
public:
    PLBmpEncoder();
    ~PLBmpEncoder() override;

protected:
    void EncodeBody(PLBmp* bmp, PLDataSink* sink) override;
};
