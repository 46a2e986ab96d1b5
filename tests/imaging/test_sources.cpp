// Data sources and sinks, and the file boundaries of decoding and encoding.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestImages.h"
#include "imaging/PLAnyBmp.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLFileSink.h"
#include "imaging/PLFileSource.h"
#include "imaging/PLJPEGEncoder.h"
#include "imaging/PLMemSource.h"
#include "imaging/PLPNGEncoder.h"
#include "imaging/PLProgressListener.h"
#include "imaging/PLWinBmp.h"

using namespace testimg;

TEST(DataSource, ReadsWithinTheDataOrRaiseAndStay)
{
    std::vector<uint8_t> data(100);
    for (int i = 0; i < 100; ++i)
        data[size_t(i)] = uint8_t(i);
    PLMemSource src;
    ASSERT_EQ(src.Open(data.data(), 100), 0);
    EXPECT_STREQ(src.GetName(), "Mem");
    EXPECT_EQ(src.ReadBytes(10)[0], 0);
    EXPECT_EQ(src.GetBytesRead(), 10);

    ImageError past = CatchImageError([&] { src.ReadBytes(91); });
    EXPECT_EQ(past.code, 11);
    EXPECT_EQ(past.text, "End of file reached while decoding.\n");
    EXPECT_EQ(src.GetBytesRead(), 10);
    EXPECT_EQ(CatchImageError([&] { src.ReadBytes(-1); }).code, 11);
    EXPECT_EQ(CatchImageError([&] { src.ReadBytes(INT32_MAX); }).code, 11);
    EXPECT_EQ(src.GetBytesRead(), 10);

    int available = 0;
    const uint8_t* p = src.PeekBuffer(512, &available);
    EXPECT_EQ(available, 90);
    EXPECT_EQ(p[0], 10);
    EXPECT_EQ(src.ReadBytes(90)[89], 99);  // exactly to the end
    EXPECT_EQ(src.GetBytesLeft(), 0);
    EXPECT_EQ(CatchImageError([&] { src.ReadBytes(1); }).code, 11);
    EXPECT_EQ(src.ReadBytes(0), data.data() + 100);

    EXPECT_EQ(src.Open(nullptr, 10), 4);
    EXPECT_EQ(src.Open(data.data(), -1), 4);
}

TEST(DataSource, ProgressOncePerKilobyte)
{
    std::vector<uint8_t> data(4096);
    ProgressRecorder rec;
    ListeningSource src(&rec, data);
    src.ReadBytes(1023);
    EXPECT_TRUE(rec.parts.empty());
    src.ReadBytes(1);
    ASSERT_EQ(rec.parts.size(), 1u);
    EXPECT_DOUBLE_EQ(rec.parts[0], 1024.0 / 4096.0);

    ProgressRecorder rec2;
    ListeningSource src2(&rec2, data);
    src2.ReadBytes(1024);
    ASSERT_EQ(rec2.parts.size(), 1u);
    src2.Close();
    EXPECT_DOUBLE_EQ(rec2.parts.back(), 1.0);
}

TEST(DataSink, CapacityAndPadding)
{
    uint8_t buffer[10];
    PLDataSink sink;
    sink.Open("s", buffer, 10);
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    sink.WriteBytes(10, bytes);
    ImageError full = CatchImageError([&] { sink.WriteByte(11); });
    EXPECT_EQ(full.code, 11);
    EXPECT_EQ(full.text, "Buffer overflow while encoding.\n");
    EXPECT_EQ(sink.GetDataSize(), 10);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 10), std::vector<uint8_t>(bytes, bytes + 10));

    sink.Open("s", buffer, 10);
    sink.WriteByte(7);
    sink.WriteZeros(3);
    EXPECT_EQ(buffer[1] | buffer[2] | buffer[3], 0);
    EXPECT_EQ(sink.GetBytesFree(), 6);
    EXPECT_EQ(sink.GetWritePointer(), buffer + 4);
    EXPECT_EQ(CatchImageError([&] { sink.WriteZeros(7); }).code, 11);
    EXPECT_EQ(CatchImageError([&] { sink.CommitBytes(7); }).code, 11);
    EXPECT_EQ(CatchImageError([&] { sink.WriteBytes(-1, bytes); }).code, 11);
    sink.CommitBytes(6);
    EXPECT_EQ(sink.GetDataSize(), 10);
}

TEST(FileSink, WritesOnlyOnCloseAndChecksTheWrite)
{
    const std::string path = TempPath("sink.bin");
    WriteFile(path, {9, 9, 9});
    {
        PLFileSink sink;
        ASSERT_EQ(sink.Open(path.c_str(), 100), 0);
        sink.WriteBytes(2, "ab");
        EXPECT_EQ(ReadFile(path), Bytes({9, 9, 9}));  // not truncated while encoding
        // Destroyed without Close: nothing written.
    }
    EXPECT_EQ(ReadFile(path), Bytes({9, 9, 9}));
    {
        PLFileSink sink;
        ASSERT_EQ(sink.Open(path.c_str(), 100), 0);
        sink.WriteBytes(2, "ab");
        sink.Close();
    }
    EXPECT_EQ(ReadFile(path), Bytes({'a', 'b'}));

    PLFileSink sink;
    const std::string bad = TempPath("no-such-folder/x.bin");
    ASSERT_EQ(sink.Open(bad.c_str(), 10), 0);
    sink.WriteByte(1);
    ImageError e = CatchImageError([&] { sink.Close(); });
    EXPECT_EQ(e.code, -1);
    EXPECT_EQ(e.text, "Decoder error: Opening " + bad + " failed\n");
    EXPECT_EQ(sink.Open(path.c_str(), 0), -1);
}

TEST(FileSink, FailedEncodeLeavesTheTargetAlone)
{
    const std::string path = TempPath("keep.jpg");
    WriteFile(path, {1, 2, 3, 4});
    PLAnyBmp wide;
    wide.Create(70000, 1, 32, false);  // beyond JPEG's largest dimension
    PLJPEGEncoder encoder;
    EXPECT_EQ(CatchImageError([&] { encoder.EncodeToFile(path.c_str(), &wide); }).code, 6);
    EXPECT_EQ(ReadFile(path), Bytes({1, 2, 3, 4}));

    // The same encoder still works afterwards.
    PLAnyBmp smallPic;
    MakeSmooth(smallPic, 8, 8, 32);
    encoder.EncodeToFile(path.c_str(), &smallPic);
    PLWinBmp back;
    PLAnyPicDecoder decoder;
    decoder.DecodeFile(path.c_str(), &back);
    EXPECT_EQ(decoder.LastFormatCode(), 5);
    EXPECT_LE(MaxColourDiff(back, smallPic, false), 24);
}

TEST(FileSource, OpenResultsAndDecodingFiles)
{
    PLFileSource src;
    EXPECT_EQ(src.Open(TempPath("missing.png").c_str()), 4);
    EXPECT_EQ(src.Open(TempPath("missing-folder/missing.png").c_str()), 3);
    const std::string empty = TempPath("empty.png");
    WriteFile(empty, {});
    EXPECT_EQ(src.Open(empty.c_str()), 5);

    PLAnyPicDecoder decoder;
    PLWinBmp bmp;
    ImageError e = CatchImageError([&] { decoder.DecodeFile(TempPath("missing-folder/a.png").c_str(), &bmp); });
    EXPECT_EQ(e.code, 3);
    EXPECT_EQ(e.text, "Decoder error: Opening " + TempPath("missing-folder/a.png") + " failed\n");
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeFile(TempPath("missing.png").c_str(), &bmp); }).code, 4);

    PLAnyBmp pic;
    MakePattern(pic, 7, 5, 32, true);
    PLPNGEncoder png;
    const std::string file = TempPath("pic.png");
    png.EncodeToFile(file.c_str(), &pic);
    ProgressRecorder rec;
    decoder.DecodeFile(file.c_str(), &bmp, 0, &rec);
    EXPECT_EQ(MaxColourDiff(bmp, pic, true), 0);
    ASSERT_FALSE(rec.parts.empty());
    EXPECT_DOUBLE_EQ(rec.parts.back(), 1.0);

    // The name's extension decides before the content: a PNG named .wmf is
    // taken for a metafile, which it is not.
    const std::string wmf = TempPath("picture.WmF");
    WriteFile(wmf, ReadFile(file));
#ifdef _WIN32
    const int refused = 2;  // its "records" are no metafile's
#else
    const int refused = 6;  // no metafile player in this build
#endif
    EXPECT_EQ(CatchImageError([&] { decoder.DecodeFile(wmf.c_str(), &bmp); }).code, refused);
    EXPECT_EQ(decoder.LastFormatCode(), 8);
}
