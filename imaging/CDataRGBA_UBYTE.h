#pragma once

#include <cstdint>

// Pixel type of the scaler: four bytes in the bitmap's B, G, R, A order,
// accumulated in four signed 32-bit sums of weight x byte (weights are fixed
// point, 256 = 1.0).
class CDataRGBA_UBYTE
{
public:
    struct Pixel
    {
        uint8_t v[4];
    };

    class Accumulator
    {
    public:
        Accumulator() { Clear(); }
        void Clear() { m_Sum[0] = m_Sum[1] = m_Sum[2] = m_Sum[3] = 0; }
        void Add(int weight, const Pixel& p)
        {
            for (int c = 0; c < 4; ++c)
                m_Sum[c] += weight * p.v[c];
        }
        void Store(Pixel& p) const
        {
            for (int c = 0; c < 4; ++c)
            {
                int v = (m_Sum[c] + 128) / 256;
                p.v[c] = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }

    private:
        int32_t m_Sum[4];
    };
};

static_assert(sizeof(CDataRGBA_UBYTE::Pixel) == 4, "scaler pixels are four bytes");
