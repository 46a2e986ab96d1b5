// Encoders: BMP byte layout, buffer sizing, PNG resolution, files.
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLBmpEncoder.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLFilterResizeBilinear.h"
#include "imaging/PLFilterRotate90.h"
#include "imaging/PLJPEGEncoder.h"
#include "imaging/PLPNGEncoder.h"
#include "imaging/PLTIFFEncoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
uint16_t LE16(const Bytes& b, size_t at)
{
    return uint16_t(b[at] | (b[at + 1] << 8));
}

// Reads a BMP file back through the packed-DIB path (the file minus its
// 14-byte file header is a packed DIB).
void ReadBmp(const Bytes& file, PLWinBmp& bmp)
{
    bmp.CreateFromPackedDib(file.data() + 14, file.size() - 14);
}
} // namespace

TEST(BmpEncoder, TrueColourLayout)
{
    PLAnyBmp pic;
    MakePattern(pic, 3, 2, 32, true);
    pic.SetResolution(PLPoint(72, 96));
    PLBmpEncoder encoder;
    Bytes bmp = Encode(encoder, pic);

    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(GetLE32(&bmp[2]), bmp.size());
    EXPECT_EQ(GetLE32(&bmp[10]), 54u);
    EXPECT_EQ(GetLE32(&bmp[14]), 40u);
    EXPECT_EQ(GetLE32(&bmp[18]), 3u);
    EXPECT_EQ(GetLE32(&bmp[22]), 2u);
    EXPECT_EQ(LE16(bmp, 28), 24);
    EXPECT_EQ(GetLE32(&bmp[38]), 2835u);
    EXPECT_EQ(GetLE32(&bmp[42]), 3780u);
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);
    // The bottom line first, B, G, R per pixel, padded with zeros to 12 bytes.
    const PLPixel32 p = pic.GetLineArray32()[1][2];
    EXPECT_EQ(bmp[54 + 6], p.b);
    EXPECT_EQ(bmp[54 + 7], p.g);
    EXPECT_EQ(bmp[54 + 8], p.r);
    EXPECT_EQ(bmp[54 + 9] | bmp[54 + 10] | bmp[54 + 11], 0);
}

TEST(BmpEncoder, OneBitLayoutAndRoundTrips)
{
    PLAnyBmp mono;
    MakePattern(mono, 9, 3, 1, false);
    PLBmpEncoder encoder;
    Bytes bmp = Encode(encoder, mono);
    EXPECT_EQ(GetLE32(&bmp[10]), 62u);
    EXPECT_EQ(LE16(bmp, 28), 1);
    EXPECT_EQ(bmp.size(), 62u + 3 * 4);
    EXPECT_EQ(GetLE32(&bmp[2]), bmp.size());
    EXPECT_EQ(bmp[54], 255);  // entry 0 white
    // Unpacked lines (2 bytes) are padded with zeros, not with what follows.
    EXPECT_EQ(bmp[62 + 2] | bmp[62 + 3], 0);

    for (int bpp : {1, 4, 8, 24, 32})
        for (int width : {1, 2, 3, 5, 13})
        {
            PLWinBmp pic;
            MakePattern(pic, width, 4, bpp, false, unsigned(bpp * width));
            Bytes file = Encode(encoder, pic);
            EXPECT_EQ(GetLE32(&file[2]), file.size());
            PLWinBmp back;
            ReadBmp(file, back);
            EXPECT_EQ(MaxColourDiff(back, pic, false), 0) << bpp << " " << width;
        }

    // 16 bpp (from packed DIBs) is written as true colour.
    PLWinBmp sixteen;
    std::vector<uint8_t> dib(40 + 4, 0);
    PutLE32(&dib[0], 40);
    PutLE32(&dib[4], 1);
    PutLE32(&dib[8], 1);
    dib[12] = 1;
    dib[14] = 16;
    dib[40] = 0x1F;  // blue
    sixteen.CreateFromPackedDib(dib.data(), dib.size());
    Bytes file = Encode(encoder, sixteen);
    EXPECT_EQ(LE16(file, 28), 24);
    EXPECT_EQ(file[54], 248);
}

TEST(Encoders, OutputBufferSize)
{
    EXPECT_EQ(PLPicEncoder::CapacityForStorage(19999), 24095);
    EXPECT_EQ(PLPicEncoder::CapacityForStorage(20000), 24000);
    EXPECT_EQ(PLPicEncoder::CapacityForStorage(100000), 120000);
    PLWinBmp pic;
    pic.Create(100, 100, 32, false);
    PLPNGEncoder png;
    EXPECT_EQ(png.GetOutputCapacity(pic), PLPicEncoder::CapacityForStorage(pic.StorageBytes()));
}

TEST(Encoders, PngResolutionChunk)
{
    PLAnyBmp pic;
    MakePattern(pic, 2, 2, 8, false);
    PLPNGEncoder encoder;
    for (int dpi : {0, 72})
    {
        pic.SetResolution(PLPoint(dpi, dpi));
        Bytes png = Encode(encoder, pic);
        size_t at = 8;
        while (at + 12 <= png.size() && std::string(png.begin() + long(at + 4), png.begin() + long(at + 8)) != "pHYs")
            at += 12 + GetBE32(&png[at]);
        ASSERT_LT(at + 12, png.size());
        EXPECT_EQ(GetBE32(&png[at + 8]), dpi ? 2834u : 0u);
        EXPECT_EQ(png[at + 16], dpi ? 1 : 0);
    }
}

TEST(Encoders, FilesAreWrittenWhole)
{
    PLWinBmp pic;
    MakePattern(pic, 31, 17, 8, false);
    PLBmpEncoder bmp;
    PLJPEGEncoder jpeg;
    PLPNGEncoder png;
    PLTIFFEncoder tiff;
    PLPicEncoder* encoders[] = {&bmp, &jpeg, &png, &tiff};
    const char* names[] = {"out.bmp", "out.jpg", "out.png", "out.tif"};
    for (int i = 0; i < 4; ++i)
    {
        const std::string path = TempPath(names[i]);
        encoders[i]->EncodeToFile(path.c_str(), &pic);
        // The file holds exactly what encoding into memory gives.
        EXPECT_EQ(ReadFile(path), Encode(*encoders[i], pic)) << names[i];
    }
    PLWinBmp back;
    PLAnyPicDecoder decoder;
    decoder.DecodeFile(TempPath("out.tif").c_str(), &back);
    EXPECT_EQ(MaxColourDiff(back, pic, false), 0);

    const std::string bad = TempPath("missing-folder/out.png");
    ImageError e = CatchImageError([&] { png.EncodeToFile(bad.c_str(), &pic); });
    EXPECT_EQ(e.code, -1);
    EXPECT_FALSE(FileExists(bad));
}

namespace
{
// A bitmap whose storage runs out on request, as a large picture would.
class StarvedBmp : public PLAnyBmp
{
public:
    bool starveCreate = false;
    bool starveLock = false;
    void Lock(bool readable, bool writable) override
    {
        if (starveLock)
            throw std::bad_alloc();
        PLAnyBmp::Lock(readable, writable);
    }

protected:
    void CreateStorage(int width, int height, uint16_t bpp, bool alpha) override
    {
        if (starveCreate)
            throw std::bad_alloc();
        PLAnyBmp::CreateStorage(width, height, bpp, alpha);
    }
};
} // namespace

TEST(Encoders, RunningOutOfMemoryIsAnImageError)
{
    StarvedBmp pic;
    MakePattern(pic, 8, 8, 32, false);
    PLPNGEncoder png;
    PLJPEGEncoder jpeg;
    const Bytes file = Encode(png, pic);

    pic.starveLock = true;
    for (PLPicEncoder* encoder : {static_cast<PLPicEncoder*>(&png), static_cast<PLPicEncoder*>(&jpeg)})
    {
        ImageError e = CatchImageError([&] { Encode(*encoder, pic); });
        EXPECT_EQ(e.code, 10);
        EXPECT_EQ(e.text, "Out of memory.");
    }
    PLAnyBmp out;
    PLFilterResizeBilinear resize(4, 4);
    EXPECT_EQ(CatchImageError([&] { resize.Apply(&pic, &out); }).code, 10);
    PLFilterRotate90 rotate(1.5707963267948966, PLPixel32());
    EXPECT_EQ(CatchImageError([&] { rotate.Apply(&pic, &out); }).code, 10);

    pic.starveLock = false;
    pic.starveCreate = true;
    PLAnyPicDecoder decoder;
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeMemory(file.data(), int(file.size()), &pic); }).code, 10);
    EXPECT_EQ(CatchImageError([&] { resize.Apply(&out, &pic); }).code, 10);
    // The encoder still works afterwards.
    pic.starveCreate = false;
    EXPECT_EQ(Encode(png, pic), file);
}
