#pragma once

#include <cmath>
#include <vector>

#include "imaging/PLContribDef.h"

// Separable two-pass scaler in integer fixed point: the horizontal pass keeps
// the height, the vertical pass then changes only the height. The weights
// are computed once per output position per pass.
template <class DataClass>
class C2PassScale
{
public:
    typedef typename DataClass::Pixel Pixel;
    typedef typename DataClass::Accumulator Accumulator;
    typedef bool (*ProgressFn)(int percent);

    explicit C2PassScale(const PLContribDef& contribDef, ProgressFn progress = nullptr)
        : m_pProgress(progress), m_bCanceled(false), m_ContribDef(contribDef)
    {
    }
    virtual ~C2PassScale() = default;

    bool IsCanceled() const { return m_bCanceled; }

    void ScaleHorizontal(Pixel* const* src, int srcWidth, int height, Pixel* const* dst, int newWidth)
    {
        const Table table = ReserveContributions(newWidth, srcWidth);
        for (int y = 0; y < height && !m_bCanceled; ++y)
        {
            const Pixel* in = src[y];
            Pixel* out = dst[y];
            for (int i = 0; i < newWidth; ++i)
            {
                const Contribution& c = table.positions[size_t(i)];
                Accumulator acc;
                for (int j = c.left; j <= c.right; ++j)
                    acc.Add(c.weights[size_t(j - c.left)], in[j]);
                acc.Store(out[i]);
            }
            Report(y, height);
        }
    }

    void ScaleVertical(Pixel* const* src, int width, int srcHeight, Pixel* const* dst, int newHeight)
    {
        const Table table = ReserveContributions(newHeight, srcHeight);
        for (int i = 0; i < newHeight && !m_bCanceled; ++i)
        {
            const Contribution& c = table.positions[size_t(i)];
            Pixel* out = dst[i];
            for (int k = 0; k < width; ++k)
            {
                Accumulator acc;
                for (int j = c.left; j <= c.right; ++j)
                    acc.Add(c.weights[size_t(j - c.left)], src[j][k]);
                acc.Store(out[k]);
            }
            Report(i, newHeight);
        }
    }

    struct Contribution
    {
        std::vector<int> weights;
        int left = 0;
        int right = 0;
    };
    struct Table
    {
        std::vector<Contribution> positions;
        int windowSize = 0;
    };

    // Weights for an output of `length` positions over `srcLength` source
    // samples; each position's weights add up to exactly 256.
    Table ReserveContributions(int length, int srcLength) const
    {
        Table table;
        const double scale = double(length) / srcLength;
        double width = m_ContribDef.GetWidth();
        double factor = 1.0;
        if (scale < 1.0)
        {
            width = width / scale;
            factor = scale;
        }
        table.windowSize = 2 * int(std::ceil(width)) + 1;
        table.positions.resize(size_t(length));

        for (int i = 0; i < length; ++i)
        {
            Contribution& c = table.positions[size_t(i)];
            const double centre = (i + 0.5) / scale - 0.5;
            int left = int(std::floor(centre - width));
            if (left < 0)
                left = 0;
            int right = int(std::ceil(centre + width));
            if (right >= srcLength - 1)
                right = srcLength - 1;
            if (right - left + 1 > table.windowSize)
            {
                if (left < srcLength)
                    ++left;
                else
                    --right;
            }
            if (right - left + 1 > table.windowSize)
                right = left + table.windowSize - 1;
            if (left > right)
                left = right;
            c.left = left;
            c.right = right;
            c.weights.assign(size_t(right - left + 1), 0);

            int sum = 0;
            for (int j = left; j <= right; ++j)
            {
                int w = int(factor * m_ContribDef.GetWeight(factor * (centre - j)) * 256.0);
                c.weights[size_t(j - left)] = w;
                sum += w;
            }
            if (sum == 0)
            {
                // Shrinking by more than about 160:1 truncates every weight
                // to 0, which would give black: take the nearest sample.
                int nearest = int(std::floor(centre + 0.5));
                nearest = nearest < left ? left : (nearest > right ? right : nearest);
                c.weights[size_t(nearest - left)] = 256;
                sum = 256;
            }
            if (sum > 0)
            {
                int total = 0;
                const size_t last = c.weights.size() - 1;
                for (size_t k = 0; k < last; ++k)
                {
                    c.weights[k] = c.weights[k] * 256 / sum;
                    total += c.weights[k];
                }
                c.weights[last] = 256 - total;
            }
        }
        return table;
    }

private:
    void Report(int done, int total)
    {
        if (m_pProgress && !m_pProgress(int(100.0 * (done + 1) / total)))
            m_bCanceled = true;
    }

    ProgressFn m_pProgress;
    bool m_bCanceled;
    const PLContribDef& m_ContribDef;
};
