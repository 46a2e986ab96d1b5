// GIF: every image drawn on its screen in turn, clipping, truncation, error paths.
#include <vector>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
std::vector<PLPixel32> Colours(int n)
{
    std::vector<PLPixel32> map;
    for (int i = 0; i < n; ++i)
        map.push_back(PLPixel32(uint8_t(i * 50), uint8_t(255 - i * 20), uint8_t(i * 9)));
    return map;
}

GifImage Image(int left, int top, int width, int height, int colours, unsigned seed = 3)
{
    GifImage image;
    image.left = left;
    image.top = top;
    image.width = width;
    image.height = height;
    uint32_t state = seed;
    for (int i = 0; i < width * height; ++i)
    {
        state = state * 1103515245u + 12345u;
        image.pixels.push_back(uint8_t((state >> 16) % unsigned(colours)));
    }
    return image;
}

void ExpectImageAt(const PLBmp& bmp, const GifImage& image)
{
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            ASSERT_EQ(bmp.GetLineArray()[image.top + y][image.left + x],
                      image.pixels[size_t(y * image.width + x)])
                << x << "," << y;
}
} // namespace

TEST(Gif, FirstImageOnItsScreenWithBackground)
{
    GifLayout layout;
    layout.screenWidth = 20;
    layout.screenHeight = 10;
    layout.background = 3;
    layout.globalMap = Colours(4);
    layout.graphicsControl = true;
    layout.images.push_back(Image(5, 2, 6, 4, 3));
    PLWinBmp bmp;
    EXPECT_EQ(DecodeAny(MakeGif(layout), bmp), 12);
    ASSERT_EQ(bmp.GetWidth(), 20);
    ASSERT_EQ(bmp.GetHeight(), 10);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(bmp.GetPalette()[2], PLPixel32(100, 215, 18));
    ExpectImageAt(bmp, layout.images[0]);
    EXPECT_EQ(bmp.GetLineArray()[0][0], 3);
    EXPECT_EQ(bmp.GetLineArray()[9][19], 3);
    EXPECT_EQ(bmp.GetLineArray()[2][4], 3);
}

TEST(Gif, InterlacedRowsAndManyPixels)
{
    GifLayout layout;
    layout.screenWidth = 7;
    layout.screenHeight = 5;
    layout.globalMap = Colours(2);
    layout.images.push_back(Image(0, 0, 7, 5, 2));
    layout.images[0].interlace = true;  // rows stored as 0, 4, 2, 1, 3
    PLAnyBmp bmp;
    DecodeAny(MakeGif(layout), bmp);
    ExpectImageAt(bmp, layout.images[0]);

    GifLayout big;
    big.screenWidth = 300;
    big.screenHeight = 40;
    big.globalMap = Colours(5);
    big.images.push_back(Image(0, 0, 300, 40, 256, 9));
    DecodeAny(MakeGif(big), bmp);
    ExpectImageAt(bmp, big.images[0]);
}

TEST(Gif, EveryImageAtItsPositionWithTheLastColourMap)
{
    // A red 8 x 8 first image (index 0 of the global map), then a 4 x 4 image
    // at (2, 2) of index 1 with its own map: blue outside, a green square.
    GifLayout layout;
    layout.screenWidth = 8;
    layout.screenHeight = 8;
    layout.globalMap = {PLPixel32(255, 0, 0), PLPixel32(255, 255, 255)};
    GifImage first;
    first.width = first.height = 8;
    first.pixels.assign(64, 0);
    GifImage second;
    second.left = second.top = 2;
    second.width = second.height = 4;
    second.localMap = {PLPixel32(0, 0, 255), PLPixel32(0, 255, 0)};
    second.pixels.assign(16, 1);
    layout.images = {first, second};
    PLWinBmp bmp;
    ASSERT_EQ(DecodeAny(MakeGif(layout), bmp), 12);
    PLAnyBmp colours;
    colours.CopyAtDepth(bmp, 32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
        {
            const bool square = x >= 2 && x < 6 && y >= 2 && y < 6;
            EXPECT_EQ(colours.GetLineArray32()[y][x], square ? PLPixel32(0, 255, 0) : PLPixel32(0, 0, 255))
                << x << "," << y;
        }
}

TEST(Gif, AnimationDrawsEveryFrameInTurn)
{
    // 33 frames of varied sizes and places, some interlaced, some partly off
    // the screen, a few with their own maps: the picture is every frame
    // drawn over the last, with the map of the last frame that has one.
    GifLayout layout;
    layout.screenWidth = 40;
    layout.screenHeight = 30;
    layout.background = 2;
    layout.globalMap = Colours(16);
    layout.graphicsControl = true;
    std::vector<uint8_t> expected(40 * 30, 2);
    std::vector<PLPixel32> map = layout.globalMap;
    for (int i = 0; i < 33; ++i)
    {
        GifImage image = Image((i * 7) % 37, (i * 5) % 28, 3 + (i * 3) % 11, 2 + (i * 2) % 9, 16, unsigned(i + 5));
        image.interlace = i % 4 == 1;
        if (i % 10 == 3)
        {
            image.localMap = Colours(16);
            image.localMap[0] = PLPixel32(uint8_t(i), 1, 2);
            map = image.localMap;
        }
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                if (image.left + x < 40 && image.top + y < 30)
                    expected[size_t((image.top + y) * 40 + image.left + x)] = image.pixels[size_t(y * image.width + x)];
        layout.images.push_back(image);
    }
    PLAnyBmp bmp;
    ASSERT_EQ(DecodeAny(MakeGif(layout), bmp), 12);
    ASSERT_EQ(bmp.GetWidth(), 40);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(bmp.GetLineArray()[y][x], expected[size_t(y * 40 + x)]) << x << "," << y;
    EXPECT_EQ(bmp.GetPalette()[0], map[0]);
    EXPECT_EQ(bmp.GetPalette()[0], PLPixel32(23, 1, 2));
    EXPECT_EQ(bmp.GetPalette()[15], map[15]);
}

TEST(Gif, DamageInALaterFrameKeepsTheFramesBefore)
{
    GifLayout layout;
    layout.screenWidth = 10;
    layout.screenHeight = 10;
    layout.globalMap = Colours(4);
    layout.images.push_back(Image(0, 0, 10, 10, 4, 1));
    layout.images.push_back(Image(0, 0, 10, 10, 4, 2));
    const Bytes whole = MakeGif(layout);
    layout.images.pop_back();
    const size_t firstEnd = MakeGif(layout).size() - 1;  // before the terminator
    PLAnyBmp bmp;
    // Cut inside the second frame's descriptor and inside its pixels.
    for (size_t cut : {firstEnd + 4, firstEnd + 14, whole.size() - 10})
    {
        Bytes part(whole.begin(), whole.begin() + long(cut));
        ASSERT_EQ(CatchImageError([&] { DecodeAny(part, bmp); }).code, 0) << cut;
        EXPECT_EQ(bmp.GetLineArray()[9][9], layout.images[0].pixels[99]) << cut;
    }
    // A second frame of an unknown record type: the first frame stays.
    Bytes wrong = whole;
    wrong[firstEnd] = 0x99;
    ASSERT_EQ(CatchImageError([&] { DecodeAny(wrong, bmp); }).code, 0);
    ExpectImageAt(bmp, layout.images[0]);
}

TEST(Gif, ScreenOfSizeZeroAndImagesOffTheScreen)
{
    GifLayout zero;
    zero.globalMap = Colours(4);
    zero.images.push_back(Image(2, 1, 5, 3, 4));
    PLAnyBmp bmp;
    DecodeAny(MakeGif(zero), bmp);
    EXPECT_EQ(bmp.GetWidth(), 7);
    EXPECT_EQ(bmp.GetHeight(), 4);
    ExpectImageAt(bmp, zero.images[0]);

    // Larger than its screen and placed past its edge: clipped, nothing
    // written outside the bitmap.
    GifLayout off;
    off.screenWidth = 6;
    off.screenHeight = 4;
    off.globalMap = Colours(4);
    off.images.push_back(Image(3, 2, 10, 8, 4));
    PLWinBmp win;
    DecodeAny(MakeGif(off), win);
    EXPECT_EQ(win.GetWidth(), 6);
    const GifImage& image = off.images[0];
    EXPECT_EQ(win.GetLineArray()[3][5], image.pixels[size_t(1 * image.width + 2)]);

    GifLayout distant;
    distant.screenWidth = 6;
    distant.screenHeight = 4;
    distant.globalMap = Colours(4);
    distant.images.push_back(Image(60000, 60000, 3, 3, 4));
    DecodeAny(MakeGif(distant), win);
    EXPECT_EQ(win.GetLineArray()[0][0], 0);
}

TEST(Gif, TruncationKeepsDecodedRowsOrRaises)
{
    GifLayout layout;
    layout.screenWidth = 100;
    layout.screenHeight = 60;
    layout.background = 1;
    layout.globalMap = Colours(4);
    layout.images.push_back(Image(0, 0, 100, 60, 4));
    Bytes gif = MakeGif(layout);

    // Cut in the middle of the pixels: the rows read so distant are kept.
    Bytes half(gif.begin(), gif.begin() + long(gif.size() / 2));
    PLAnyBmp bmp;
    EXPECT_EQ(CatchImageError([&] { DecodeAny(half, bmp); }).code, 0);
    for (int x = 0; x < 100; ++x)
        ASSERT_EQ(bmp.GetLineArray()[0][x], layout.images[0].pixels[size_t(x)]);
    EXPECT_EQ(bmp.GetLineArray()[59][0], 1);

    // Cut before the image: the data source's code 11 passes through giflib.
    for (size_t cut : {size_t(10), size_t(13), size_t(20), size_t(26), size_t(30)})
    {
        Bytes head(gif.begin(), gif.begin() + long(cut));
        EXPECT_EQ(CatchImageError([&] { DecodeAny(head, bmp); }).code, 11) << cut;
    }
}

TEST(Gif, BrokenFilesStopAtTheFirstFailure)
{
    PLAnyBmp bmp;
    GifLayout none;
    none.screenWidth = 5;
    none.screenHeight = 5;
    none.images.push_back(Image(0, 0, 5, 5, 2));
    ImageError noMap = CatchImageError([&] { DecodeAny(MakeGif(none), bmp); });
    EXPECT_EQ(noMap.code, 2);

    GifLayout empty;
    empty.screenWidth = 5;
    empty.screenHeight = 5;
    empty.globalMap = Colours(2);
    EXPECT_EQ(CatchImageError([&] { DecodeAny(MakeGif(empty), bmp); }).code, 2);

    // An unknown record type: the library fails, decoding stops.
    GifLayout layout;
    layout.screenWidth = 5;
    layout.screenHeight = 5;
    layout.globalMap = Colours(2);
    layout.images.push_back(Image(0, 0, 5, 5, 2));
    Bytes gif = MakeGif(layout);
    Bytes wrong = gif;
    wrong[13 + 6] = 0x99;  // where the image separator was
    EXPECT_EQ(CatchImageError([&] { DecodeAny(wrong, bmp); }).code, 2);

    // Damaged LZW data right at the start: nothing decoded, so an error.
    Bytes lzw = gif;
    lzw[13 + 6 + 10 + 1] = 1;  // sub-block of one byte
    lzw[13 + 6 + 10 + 2] = 0xFF;
    ImageError broken = CatchImageError([&] { DecodeAny(lzw, bmp); });
    EXPECT_NE(broken.code, -1000);
}

TEST(Gif, ImagesBeyondTheLimitAreRefused)
{
    const int64_t saved = PLBmp::GetMaxBytes();
    PLBmp::SetMaxBytes(100000);
    GifLayout layout;
    layout.screenWidth = 8;
    layout.screenHeight = 8;
    layout.globalMap = Colours(2);
    GifImage image = Image(0, 0, 2, 2, 2);
    image.width = 1000;  // the descriptor claims far more than the data holds
    image.height = 1000;
    layout.images.push_back(image);
    PLAnyBmp bmp;
    ImageError e = CatchImageError([&] { DecodeAny(MakeGif(layout), bmp); });
    PLBmp::SetMaxBytes(saved);
    EXPECT_EQ(e.code, 10);
}
