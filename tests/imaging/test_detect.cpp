// Format detection by name and leading bytes, and the decoder frame.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLMemSource.h"
#include "imaging/PLPNGEncoder.h"
#include "imaging/PLTIFFEncoder.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

namespace
{
int Sniff(const Bytes& b)
{
    const int available = int(b.size() < 540 ? b.size() : 540);
    return PLAnyPicDecoder::SniffFormat(b.data(), available, int(b.size()));
}

Bytes Text(const std::string& s, size_t size = 32)
{
    Bytes b(s.begin(), s.end());
    b.resize(size > b.size() ? size : b.size(), 0x20);
    return b;
}

Bytes Pict(size_t size, std::initializer_list<uint8_t> at522)
{
    Bytes b(size, 0);
    std::copy(at522.begin(), at522.end(), b.begin() + 522);
    return b;
}

Bytes Eps(uint32_t offset, uint32_t length)
{
    Bytes b(32, 0);
    b[0] = 0xC5;
    b[1] = 0xD0;
    b[2] = 0xD3;
    b[3] = 0xC6;
    PutLE32(&b[20], offset);
    PutLE32(&b[24], length);
    return b;
}
} // namespace

TEST(Detection, EveryFormatOfTheTable)
{
    for (const char* sig : {"BM", "BA", "IC", "CI", "CP"})
        EXPECT_EQ(Sniff(Text(sig)), 1) << sig;

    Bytes tga(18, 0);
    tga[2] = 2;
    tga[16] = 24;
    EXPECT_EQ(Sniff(tga), 3);
    tga[2] = 0;  // type 0 passes detection
    EXPECT_EQ(Sniff(tga), 3);
    tga[7] = 12;
    EXPECT_EQ(Sniff(tga), 0);

    EXPECT_EQ(Sniff({'I', 'I', 0x2A, 0, 8, 0, 0, 0}), 4);
    EXPECT_EQ(Sniff({'M', 'M', 0, 0x2A, 0, 0, 0, 8}), 4);
    EXPECT_EQ(Sniff(Text("GIF89a")), 12);
    EXPECT_EQ(Sniff(Text("GIF87a")), 12);

    EXPECT_EQ(Sniff(Pict(541, {0x00, 0x11, 0x02, 0xFF})), 2);
    EXPECT_EQ(Sniff(Pict(600, {0x00, 0x11, 0x01, 0x77})), 2);
    EXPECT_EQ(Sniff(Pict(600, {0x11, 0x01, 0x01, 0x00})), 2);
    EXPECT_EQ(Sniff(Pict(540, {0x00, 0x11, 0x02, 0xFF})), 0);  // exactly 540 bytes: no

    EXPECT_EQ(Sniff({0xFF, 0xD8, 0xFF, 0xE0}), 5);
    EXPECT_EQ(Sniff({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}), 6);
    EXPECT_EQ(Sniff(Eps(32, 100)), 7);
    EXPECT_EQ(Sniff(Eps(32, 0)), 0);  // no preview length
    Bytes eps2 = Eps(32, 5);
    std::swap(eps2[0], eps2[3]);
    std::swap(eps2[1], eps2[2]);
    EXPECT_EQ(Sniff(eps2), 7);

    EXPECT_EQ(Sniff({0x0A, 5, 1, 8}), 10);
    EXPECT_EQ(Sniff(Text("P5\n3 2\n255\n")), 11);
    EXPECT_EQ(Sniff(Text("P2\n3 2\n255\n")), 11);
    EXPECT_EQ(Sniff(Text("P6\n3 2\n255\n")), 13);
    EXPECT_EQ(Sniff(Text("P3\n3 2\n255\n")), 13);
    EXPECT_EQ(Sniff(Text("P4\n3 2\n")), 0);
    EXPECT_EQ(Sniff(Text("P1\n3 2\n")), 0);
    EXPECT_EQ(Sniff(Text("8BPS")), 14);
    EXPECT_EQ(Sniff(Text("hello world")), 0);
}

TEST(Detection, LooksOnlyAtTheBytesThatExist)
{
    EXPECT_EQ(Sniff({0x89, 'P'}), 0);
    EXPECT_EQ(Sniff({'G', 'I', 'F'}), 0);
    EXPECT_EQ(Sniff({0xFF, 0xD8}), 0);
    Bytes eps = Eps(32, 100);
    eps.resize(26);  // the preview length lies beyond
    EXPECT_EQ(Sniff(eps), 0);
    EXPECT_EQ(PLAnyPicDecoder::SniffFormat(nullptr, 0, 0), 0);
    // A PICT marker beyond the bytes handed over does not count.
    Bytes pict = Pict(600, {0x00, 0x11, 0x02, 0xFF});
    EXPECT_EQ(PLAnyPicDecoder::SniffFormat(pict.data(), 512, 600), 0);
}

TEST(Detection, DecoderFrameHandsEveryFormatToItsDecoder)
{
    PLAnyPicDecoder decoder;
    PLWinBmp bmp;
    Bytes junk = Text("nothing we know", 64);
    ImageError unknown = CatchImageError([&] { decoder.DecodeMemory(junk.data(), int(junk.size()), &bmp); });
    EXPECT_EQ(unknown.code, 8);
    EXPECT_EQ(unknown.text, "Decoder error: Unknown file type.\n");
    EXPECT_EQ(decoder.LastFormatCode(), 0);

    // Recognised, then refused by the format's own decoder.
    struct Case
    {
        Bytes data;
        int format;
        int code;
    };
    Bytes tga(18, 0);
    tga[2] = 2;
    tga[16] = 24;
    const Case cases[] = {{{'B', 'M', 0}, 1, 11},
                          {tga, 3, 2},
                          {Text("P5 1 1 255 x"), 11, 0},
                          {Text("P6 1 1 255 xyz"), 13, 0},
                          {Text("8BPS"), 14, 2},
                          {{0x0A, 5, 1, 8}, 10, 11},
                          {Pict(600, {0x00, 0x11, 0x02, 0xFF}), 2, 11}};
    for (const Case& c : cases)
    {
        ImageError e = CatchImageError([&] { decoder.DecodeMemory(c.data.data(), int(c.data.size()), &bmp); });
        EXPECT_EQ(e.code, c.code) << c.format << " " << e.text;
        EXPECT_EQ(decoder.LastFormatCode(), c.format);
    }
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeMemory(nullptr, 10, &bmp); }).code, 4);
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeMemory(junk.data(), 0, &bmp); }).code, 8);

#ifndef _WIN32
    // Metafiles are played through GDI, which this build does not have.
    Bytes emf(64, 0);
    emf[0] = 1;
    std::copy_n(" EMF", 4, emf.begin() + 40);
    ImageError e = CatchImageError([&] { decoder.DecodeMemory(emf.data(), int(emf.size()), &bmp); });
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text, "Decoder error: Library not compiled for this file type.\n");
    EXPECT_EQ(decoder.LastFormatCode(), 9);
#endif
}

TEST(Detection, MetafilesByContentAndByExtension)
{
    Bytes emf(64, 0);
    emf[0] = 1;
    std::copy_n(" EMF", 4, emf.begin() + 40);
    emf[16] = 8;  // would also pass the Targa test
    EXPECT_EQ(Sniff(emf), 9);
    emf[40] = 'X';
    EXPECT_EQ(Sniff(emf), 3);

    EXPECT_EQ(Sniff({0xD7, 0xCD, 0xC6, 0x9A, 0, 0}), 8);
    for (uint8_t type : {1, 2})
        for (uint8_t version : {1, 3})
            EXPECT_EQ(Sniff({type, 0, 9, 0, 0, version, 0x10, 0}), 8) << int(type) << int(version);
    EXPECT_EQ(Sniff({3, 0, 9, 0, 0, 3, 0x10, 0}), 0);
    EXPECT_EQ(Sniff({1, 0, 8, 0, 0, 3, 0x10, 0}), 0);
    EXPECT_EQ(Sniff({1, 0, 9, 0, 0, 2, 0x10, 0}), 0);
    EXPECT_EQ(Sniff({0xD7, 0xCD, 0xC6}), 0);

    // The name counts by its extension only, in any case.
    EXPECT_EQ(PLAnyPicDecoder::FormatFromName("C:\\pictures\\drawing.wmf"), 8);
    EXPECT_EQ(PLAnyPicDecoder::FormatFromName("drawing.Emf"), 9);
    EXPECT_EQ(PLAnyPicDecoder::FormatFromName("picture.wmf.bmp"), 0);
    EXPECT_EQ(PLAnyPicDecoder::FormatFromName("C:\\a.wmf\\picture"), 0);
    EXPECT_EQ(PLAnyPicDecoder::FormatFromName("drawing.wemf"), 0);
    EXPECT_EQ(PLAnyPicDecoder::FormatFromName("Mem"), 0);
    EXPECT_EQ(PLAnyPicDecoder::FormatFromName(nullptr), 0);

    // A bitmap named as if it held a metafile in the middle of its name is
    // decoded as the bitmap it is.
    PLAnyBmp pic;
    MakePattern(pic, 3, 2, 8, false);
    PLPNGEncoder encoder;
    const std::string path = TempPath("picture.wmf.png");
    WriteFile(path, Encode(encoder, pic));
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    decoder.DecodeFile(path.c_str(), &bmp);
    EXPECT_EQ(decoder.LastFormatCode(), 6);
    std::remove(path.c_str());
}

TEST(Detection, EpsPreviewIsDecodedFromItsOwnBytes)
{
    PLAnyBmp pic;
    MakePattern(pic, 6, 4, 32, false);
    PLTIFFEncoder tiffEncoder;
    Bytes tiff = Encode(tiffEncoder, pic);

    Bytes eps = Eps(40, uint32_t(tiff.size()));
    eps.resize(40, 0);
    eps.insert(eps.end(), tiff.begin(), tiff.end());
    eps.insert(eps.end(), 100, 0xEE);  // PostScript after the preview

    PLWinBmp bmp;
    EXPECT_EQ(DecodeAny(eps, bmp), 7);
    EXPECT_EQ(MaxColourDiff(bmp, pic, false), 0);

    Bytes beyond = Eps(4000, 10);
    beyond.resize(64, 0);
    PLAnyPicDecoder decoder;
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeMemory(beyond.data(), int(beyond.size()), &bmp); }).code, 11);
}

TEST(DecoderFrame, RequestedDepth)
{
    PLAnyBmp mono;
    MakePattern(mono, 9, 4, 1, false);
    PLTIFFEncoder tiffEncoder;
    Bytes tiff = Encode(tiffEncoder, mono);

    PLAnyPicDecoder decoder;
    PLWinBmp bmp;
    decoder.DecodeMemory(tiff.data(), int(tiff.size()), &bmp, 8);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 8);
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(bmp.GetLineArray()[3][x], (mono.GetLineArray()[3][x >> 3] >> (7 - (x & 7))) & 1);

    PLAnyBmp rgb;
    MakePattern(rgb, 3, 3, 32, false);
    Bytes rgbTiff = Encode(tiffEncoder, rgb);
    ImageError e = CatchImageError([&] { decoder.DecodeMemory(rgbTiff.data(), int(rgbTiff.size()), &bmp, 8); });
    EXPECT_EQ(e.code, 6);
    EXPECT_EQ(e.text, "Image bit depth doesn't match request.");
}

TEST(DecoderFrame, FormatCodeIsResetForEveryDecode)
{
    PLAnyBmp pic;
    MakePattern(pic, 3, 3, 8, false);
    PLPNGEncoder encoder;
    Bytes png = Encode(encoder, pic);
    PLAnyPicDecoder decoder;
    PLWinBmp bmp;
    decoder.DecodeMemory(png.data(), int(png.size()), &bmp);
    EXPECT_EQ(decoder.LastFormatCode(), 6);
    Bytes junk(40, 'x');
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeMemory(junk.data(), int(junk.size()), &bmp); }).code, 8);
    EXPECT_EQ(decoder.LastFormatCode(), 0);
}

TEST(DecoderFrame, PackBitsStaysWithinItsInput)
{
    uint8_t out[10];
    // A literal run, a skipped 128, a repeat.
    const uint8_t packed[] = {2, 'a', 'b', 'c', 128, 0xFE, 'z'};
    EXPECT_EQ(PLPicDecoder::DecodePackBits(packed, 7, out, 10), 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 6), "abczzz");
    EXPECT_EQ(out[6] | out[9], 0);

    // A literal run longer than the packed data: only what is there.
    const uint8_t literal[] = {100, 'q', 'r'};
    std::vector<uint8_t> exact(literal, literal + 3);  // no slack after the data
    EXPECT_EQ(PLPicDecoder::DecodePackBits(exact.data(), 3, out, 10), 2);
    EXPECT_EQ(out[1], 'r');
    EXPECT_EQ(out[2], 0);

    // A repeat without its byte.
    std::vector<uint8_t> repeat = {0x81};
    EXPECT_EQ(PLPicDecoder::DecodePackBits(repeat.data(), 1, out, 10), 0);

    // Output stops at the destination's size.
    const uint8_t many[] = {0x81, 'x', 0x81, 'y'};
    EXPECT_EQ(PLPicDecoder::DecodePackBits(many, 4, out, 10), 10);
    EXPECT_EQ(out[9], 'x');

    // Through a source: short lines are stored unpacked; packed lengths are
    // consumed whole; a length beyond the data raises code 11.
    const uint8_t data[] = {1, 2, 3, 4, 5, 6, 7, 1, 9, 8};
    PLMemSource src;
    src.Open(data, 10);
    uint8_t line[8];
    const uint8_t* p = PLPicDecoder::UnpackPackBits(line, &src, 7, 99);
    EXPECT_EQ(p, data);
    EXPECT_EQ(src.GetBytesRead(), 7);
    p = PLPicDecoder::UnpackPackBits(line, &src, 8, 3);
    EXPECT_EQ(p, line);
    EXPECT_EQ(line[0], 9);
    EXPECT_EQ(line[1], 8);
    EXPECT_EQ(line[2], 0);
    EXPECT_EQ(CatchImageError([&] { PLPicDecoder::UnpackPackBits(line, &src, 8, 5); }).code, 11);
    EXPECT_EQ(CatchImageError([&] { PLPicDecoder::UnpackPackBits(line, &src, 8, -1); }).code, 11);
    EXPECT_EQ(PLPicDecoder::ReadLittleEndianLong(data), 0x04030201u);
}
