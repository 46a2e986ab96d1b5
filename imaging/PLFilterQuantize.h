#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/PLFilter.h"
#include "imaging/PLPixel32.h"

// Reduces a 32-bpp bitmap to 8 bpp with a 256-entry palette. The palette
// comes from a median-cut of the colours (box), their frequency
// (popularity), a fixed table or the caller; pixels are mapped to the
// nearest entry, optionally with ordered or error-diffusion dithering.
class PLFilterQuantize : public PLFilter
{
public:
    enum PaletteMode
    {
        PLDTH_PAL_BOX = 0,
        PLDTH_PAL_POPULARITY = 1,
        PLDTH_PAL_FIXED = 2,
        PLDTH_PAL_USER = 3,
    };
    enum DitherMode
    {
        PLDTH_NONE = 0,
        PLDTH_ORDERED = 1,
        PLDTH_FS = 2,
    };

    PLFilterQuantize(int paletteMode, int ditherMode);
    ~PLFilterQuantize() override;

    // The source must be 32 bpp (else code 6); the destination becomes 8 bpp.
    void Apply(PLBmp* source, PLBmp* dest) override;

    void SetUserPalette(const PLPixel32* entries);
    static const PLPixel32* GetFixedPalette();
    static void SetFixedPalette(PLBmp* bmp);

    // Histogram of 15-bit colour cells; counts saturate at 65535.
    void AddColour(const PLPixel32& colour, unsigned count);
    void AddBitmap(PLBmp* bmp);
    unsigned GetColourCount(const PLPixel32& colour) const;

    struct Box
    {
        uint8_t min[3];   // red, green, blue levels 0..31
        uint8_t max[3];
        uint8_t mean[3];
        uint32_t count;
    };
    const Box& GetBox(int i) const { return m_Boxes[size_t(i)]; }

private:
    struct Cell
    {
        int index = -1;      // palette index once looked up
        uint32_t count = 0;
    };

    static int CellOf(int r, int g, int b) { return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); }

    void ClearHistogram();
    void BuildBoxPalette(PLPixel32* palette);
    void BuildPopularityPalette(PLPixel32* palette);
    void ShrinkBox(Box& box) const;
    void SplitBox(Box& newBox, Box& oldBox, int channel) const;
    int FindIndex(int r, int g, int b, const PLPixel32* palette);
    void MapPixels(PLBmp* source, PLBmp* dest);

    unsigned m_PaletteMode;
    int m_DitherMode;
    std::vector<PLPixel32> m_UserPalette;  // empty: none
    std::vector<Cell> m_Histogram;
    std::vector<Box> m_Boxes;
};
