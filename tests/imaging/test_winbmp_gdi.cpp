// The Windows-bound operations of PLWinBmp: GDI drawing, bitmap handles,
// the clipboard and resources.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
// A top-down DIB section selected into a memory DC.
struct Canvas
{
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    int width, height;

    Canvas(int w, int h, int bpp = 32, uint32_t fill = 0x111111) : width(w), height(h)
    {
        struct
        {
            BITMAPINFOHEADER header;
            RGBQUAD colours[16];
        } info = {};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = w;
        info.header.biHeight = -h;
        info.header.biPlanes = 1;
        info.header.biBitCount = WORD(bpp);
        for (int i = 0; i < 16; ++i)
            info.colours[i] = RGBQUAD{BYTE(i * 16), BYTE(i * 8), BYTE(255 - i * 16), 0};
        void* p = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        old = SelectObject(dc, bitmap);
        if (bpp == 32)
            for (int i = 0; i < w * h; ++i)
                bits[i] = fill;
        GdiFlush();
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    uint32_t At(int x, int y) const
    {
        GdiFlush();
        return bits[y * width + x] & 0xFFFFFF;
    }
};

void Stripes(PLWinBmp& bmp, int w, int h)
{
    bmp.Create(w, h, 32, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bmp.GetLineArray32()[y][x] = PLPixel32(uint8_t(y * 10), uint8_t(x * 20), 7, 255);
}

uint32_t Rgb(int r, int g, int b)
{
    return uint32_t(r << 16 | g << 8 | b);
}
} // namespace

TEST(WinBmpGdi, DrawAndDrawRegion)
{
    PLWinBmp bmp;
    Stripes(bmp, 4, 20);
    Canvas canvas(4, 20);
    // The rectangle is in top-down picture coordinates: the top 10 lines.
    bmp.DrawRegion(canvas.dc, 0, 0, 0, 0, 4, 10);
    EXPECT_EQ(canvas.At(1, 0), Rgb(0, 20, 7));
    EXPECT_EQ(canvas.At(3, 9), Rgb(90, 60, 7));
    EXPECT_EQ(canvas.At(0, 10), 0x111111u);

    Canvas full(4, 20);
    bmp.Draw(full.dc, 0, 0);
    EXPECT_EQ(full.At(2, 19), Rgb(190, 40, 7));

    Canvas twice(8, 40);
    bmp.DrawAtScale(twice.dc, 0, 0, 2.0);
    EXPECT_EQ(twice.At(7, 39), Rgb(190, 60, 7));
}

TEST(WinBmpGdi, FromBitmapHandles)
{
    Canvas rgb(5, 3, 24);
    SetPixelV(rgb.dc, 4, 2, RGB(10, 20, 30));
    PLWinBmp bmp;
    bmp.CreateFromBitmapHandle(rgb.bitmap);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 32);
    ASSERT_EQ(bmp.GetSize(), PLPoint(5, 3));
    const PLPixel32 p = bmp.GetLineArray32()[2][4];
    EXPECT_EQ(p.r, 10);
    EXPECT_EQ(p.g, 20);
    EXPECT_EQ(p.b, 30);

    // 4 bpp is read as 8 bpp; index 0 of the section's colour table is red.
    Canvas four(3, 2, 4);
    bmp.CreateFromBitmapHandle(four.bitmap);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    const PLPixel32 red = bmp.GetPixelColour(bmp.GetLineArray()[1], 2);
    EXPECT_EQ(red.r, 255);
    EXPECT_EQ(red.g, 0);
    EXPECT_EQ(red.b, 0);

    EXPECT_EQ(CatchImageError([&] { bmp.CreateFromBitmapHandle(nullptr); }).code, 2);
}

TEST(WinBmpGdi, DibBlockAndClipboard)
{
    PLWinBmp bmp;
    MakePattern(bmp, 9, 5, 8, false);
    HGLOBAL block = bmp.DuplicateDibBlock();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(int64_t(GlobalSize(block)), bmp.GetDibBlockBytes());
    void* data = GlobalLock(block);
    EXPECT_EQ(std::memcmp(data, bmp.GetBitmapInfo(), size_t(bmp.GetDibBlockBytes())), 0);
    GlobalUnlock(block);
    GlobalFree(block);

    ASSERT_TRUE(bmp.PutOnClipboard());
    PLWinBmp back;
    ASSERT_TRUE(back.TakeFromClipboard(CF_DIB));
    EXPECT_TRUE(back == bmp);
    EXPECT_FALSE(back.TakeFromClipboard(CF_TIFF));
}

TEST(WinBmpGdi, DibWithPaletteHandle)
{
    PLWinBmp bmp;
    MakePattern(bmp, 4, 4, 8, false);
    std::vector<uint8_t> dib(reinterpret_cast<uint8_t*>(bmp.GetBitmapInfo()),
                             reinterpret_cast<uint8_t*>(bmp.GetBitmapInfo()) + bmp.GetDibBlockBytes());
    struct
    {
        WORD version, count;
        PALETTEENTRY entries[2];
    } logPalette = {0x300, 2, {{1, 2, 3, 0}, {4, 5, 6, 0}}};
    HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logPalette));
    PLWinBmp withPalette;
    withPalette.CreateFromDibWithPalette(dib.data(), dib.size(), palette);
    DeleteObject(palette);
    EXPECT_EQ(withPalette.GetPalette()[1], PLPixel32(4, 5, 6, 0));
    EXPECT_EQ(withPalette.GetPalette()[2], bmp.GetPalette()[2]);
    EXPECT_EQ(MaxColourDiff(withPalette, bmp, false) >= 0, true);
    EXPECT_EQ(withPalette.GetLineArray()[3][3], bmp.GetLineArray()[3][3]);
}

TEST(WinBmpGdi, MissingResources)
{
    PLWinBmp bmp;
    ImageError e = CatchImageError([&] { bmp.LoadFromResource(GetModuleHandleA(nullptr), 999); });
    EXPECT_EQ(e.code, 4);
    PLAnyPicDecoder decoder;
    e = CatchImageError([&] { decoder.DecodeResource(GetModuleHandleA(nullptr), 999, &bmp); });
    EXPECT_EQ(e.code, 4);
    EXPECT_EQ(e.text, "Decoder error: Opening resource 999 failed\n");
    EXPECT_EQ(bmp.GetSize(), PLPoint(16, 16));
}
