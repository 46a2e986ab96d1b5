// The notebook logo: a gzip stream of an image file, decoded when read and
// kept as it is when saved.
#include "TestSupport.h"

#include "imaging/PLAnyBmp.h"
#include "imaging/PLDataSink.h"
#include "imaging/PLPNGEncoder.h"

#include <cryptopp/gzip.h>

#include <gtest/gtest.h>

namespace {

Bytes MakePng(int width, int height)
{
    PLAnyBmp bmp;
    bmp.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.GetLineArray32()[y][x] = PLPixel32((uint8_t)(x * 9), (uint8_t)(y * 5), 77, 255);
    PLPNGEncoder enc;
    Bytes buf((size_t)enc.GetOutputCapacity(bmp));
    PLDataSink sink;
    sink.Open("logo", buf.data(), (int)buf.size());
    enc.EncodeToSink(&bmp, &sink);
    buf.resize((size_t)sink.GetDataSize());
    return buf;
}

Bytes Gzip(const Bytes& in)
{
    std::string out;
    CryptoPP::Gzip gz(new CryptoPP::StringSink(out), 6);
    gz.Put(in.data(), in.size());
    gz.MessageEnd();
    return Bytes(out.begin(), out.end());
}

// A plain notebook with one note and the given logo section.
Bytes NotebookWithLogo(const Bytes& logoSection)
{
    CByteBuilder b;
    b.Magic("Quillcrest File");
    CHeaderFields h;
    h.dwNodeCount = 1;
    WriteHeaderFields(b, h);
    b.U32(0).U8(QLC_NODE_NOTE).U8(0).U16(2).U32(1).U32(0).Zeros(56).Str("note");
    const DWORD dwLogo = b.Size();
    b.Raw(logoSection);
    CByteBuilder f;
    f.Raw(b.Get());
    f.PatchU32(kHdrLogoOffset, dwLogo);
    f.PatchU32(kHdrLogoLength, (DWORD)logoSection.size());
    return f.Get();
}

} // namespace

TEST(LogoTest, ALogoIsDecodedAndSurvivesASave)
{
    CTempDir dir;
    CTestPrompts prompts;
    const Bytes section = Gzip(MakePng(23, 11));
    WriteFileBytes(dir.Path("logo.qlc"), NotebookWithLogo(section));
    {
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, dir.Path("logo.qlc")));
        ASSERT_TRUE(doc.HasLogo());
        EXPECT_EQ(23, doc.GetLogoBitmap()->GetWidth());
        EXPECT_EQ(11, doc.GetLogoBitmap()->GetHeight());
        doc.Data_SetNotebookPath(dir.Path("saved.qlc"));
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    // The section is copied byte for byte into the new file.
    const Bytes saved = ReadFileBytes(dir.Path("saved.qlc"));
    const DWORD dwOffset = saved[kHdrLogoOffset] | (saved[kHdrLogoOffset + 1] << 8) | (saved[kHdrLogoOffset + 2] << 16);
    const DWORD dwLength = saved[kHdrLogoLength] | (saved[kHdrLogoLength + 1] << 8) | (saved[kHdrLogoLength + 2] << 16);
    ASSERT_EQ(section.size(), dwLength);
    EXPECT_EQ(section, Bytes(saved.begin() + dwOffset, saved.begin() + dwOffset + dwLength));

    CQuillcrestDoc back;
    ASSERT_EQ(1, OpenNotebook(back, dir.Path("saved.qlc")));
    EXPECT_TRUE(back.HasLogo());
    EXPECT_EQ(11, back.GetLogoBitmap()->GetHeight());
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST(LogoTest, DamagedLogosLeaveNoLogoAndTheNotebookOpens)
{
    CTempDir dir;
    CTestPrompts prompts;
    Bytes png = MakePng(8, 8);
    Bytes brokenGzip = Gzip(png);
    brokenGzip[brokenGzip.size() / 2] ^= 0xFF;         // deflate data or CRC no longer agree
    Bytes truncatedGzip = Gzip(png);
    truncatedGzip.resize(truncatedGzip.size() - 9);
    Bytes notAPicture = Gzip(Bytes(500, 0x42));        // good gzip, no image inside
    Bytes halfPicture = png;
    halfPicture.resize(png.size() / 2);
    const Bytes cases[] = { brokenGzip, truncatedGzip, notAPicture, Gzip(halfPicture), Bytes(40, 0x1F) };

    int i = 0;
    for (const Bytes& section : cases)
    {
        const CString strPath = dir.Path(("bad" + std::to_string(i++) + ".qlc").c_str());
        WriteFileBytes(strPath, NotebookWithLogo(section));
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, strPath)) << i;
        EXPECT_FALSE(doc.HasLogo()) << i;
        EXPECT_EQ((DWORD)CQuillcrestDoc::damagedLogo, doc.Data_GetDamagedSections()) << i;
        QLCNODE n;
        EXPECT_TRUE(doc.Data_GetNode(1, n)) << i;
        // The user is told, once for each notebook.
        ASSERT_EQ((size_t)i, prompts.boxes.size());
        EXPECT_EQ("Damaged Notebook", prompts.boxes.back().caption);
        EXPECT_NE(std::string::npos, prompts.boxes.back().text.find("\n    the logo")) << prompts.boxes.back().text;
    }
}
