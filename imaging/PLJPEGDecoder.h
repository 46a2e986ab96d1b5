#pragma once

#include <memory>

#include "imaging/PLPicDecoder.h"

// JPEG through libjpeg: greyscale becomes 8 bpp, everything else 32 bpp
// without alpha (CMYK and inverted Adobe CMYK converted to RGB). Data that
// ends early decodes with what was read.
class PLJPEGDecoder : public PLPicDecoder
{
public:
    PLJPEGDecoder();
    ~PLJPEGDecoder() override;

    // Fast (non-fancy) upsampling of the chroma channels; on by default.
    void SetFastUpsampling(bool fast) { m_bFastUpsampling = fast; }

    struct State;

protected:
    void DecodeBody(PLDataSource* source, PLBmp* bmp) override;

private:
    std::unique_ptr<State> m_pState;
    bool m_bFastUpsampling;
};
