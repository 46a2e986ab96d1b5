#pragma once

#include <memory>

#include "imaging/PLPicEncoder.h"

// JPEG through libjpeg. Palette bitmaps are converted to 32 bpp first.
class PLJPEGEncoder : public PLPicEncoder
{
public:
    PLJPEGEncoder();
    ~PLJPEGEncoder() override;

    // 0 keeps the library's default quality.
    void SetQuality(int quality) { m_Quality = quality; }
    void SetOptimisedCoding(bool optimise) { m_bOptimizeCoding = optimise; }
    void SetSmoothing(int smoothing) { m_SmoothingFactor = smoothing; }
    // Explicit dots per inch; 0, 0 uses the bitmap's resolution.
    void SetResolutionDensity(int x, int y)
    {
        m_DensityX = x;
        m_DensityY = y;
    }

    struct State;

protected:
    void EncodeBody(PLBmp* bmp, PLDataSink* sink) override;
    bool CanEncodeDepth(int bpp) const override;

private:
    std::unique_ptr<State> m_pState;
    int m_Quality;
    bool m_bOptimizeCoding;
    int m_SmoothingFactor;
    int m_DensityX;
    int m_DensityY;
};
