// textconv.dll through its entry points, the way the program drives it.
#include "outside/textconv/CMarkdownToRtf.h"
#include "outside/textconv/TextConvApi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string ProgramFolder()
{
    char szPath[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath(szPath, n);
    return strPath.substr(0, strPath.find_last_of("\\/") + 1);
}

void WriteFile(const std::string& strPath, const std::string& strData)
{
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD dw = 0;
    ASSERT_TRUE(::WriteFile(h, strData.data(), (DWORD)strData.size(), &dw, nullptr));
    CloseHandle(h);
}

std::string ReadFile(const std::string& strPath)
{
    std::string strData;
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buffer[4096];
    DWORD dw = 0;
    while (::ReadFile(h, buffer, sizeof(buffer), &dw, nullptr) && dw > 0)
        strData.append(buffer, dw);
    CloseHandle(h);
    return strData;
}

// What the callbacks see: the buffer the test hands over, the pieces written
// and the RTF read.
struct CTransfer
{
    char* pBuffer = nullptr;
    std::string strOut;
    std::vector<long> pieces;
    long nRefuseAfter = -1; // the write callback answers -42 from this piece on
    std::string strIn;
    size_t nInPos = 0;
    long nInPiece = TEXTCONV_BUFFER_SIZE;
};
CTransfer* g_pTransfer = nullptr;

long WINAPI CollectRtf(long cb, long /*nPercent*/)
{
    if (g_pTransfer->nRefuseAfter >= 0 && (long)g_pTransfer->pieces.size() >= g_pTransfer->nRefuseAfter)
        return -42;
    g_pTransfer->pieces.push_back(cb);
    g_pTransfer->strOut.append(g_pTransfer->pBuffer, (size_t)cb);
    return cb;
}

long WINAPI SupplyRtf(long /*cb*/, long /*nPercent*/)
{
    CTransfer& t = *g_pTransfer;
    if (t.nInPiece < 0)
        return t.nInPiece;
    size_t n = t.strIn.size() - t.nInPos;
    if (n > (size_t)t.nInPiece)
        n = (size_t)t.nInPiece;
    memcpy(t.pBuffer, t.strIn.data() + t.nInPos, n);
    t.nInPos += n;
    return (long)n;
}

class TextConvDllTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hModule = LoadLibraryA((ProgramFolder() + "textconv.dll").c_str());
        ASSERT_NE(nullptr, m_hModule) << "textconv.dll is built beside the tests";
        m_pfnInit = (PFN_INITCONVERTER32)(void*)GetProcAddress(m_hModule, "InitConverter32");
        m_pfnUninit = (PFN_UNINITCONVERTER)(void*)GetProcAddress(m_hModule, "UninitConverter");
        m_pfnIsFormatCorrect = (PFN_ISFORMATCORRECT32)(void*)GetProcAddress(m_hModule, "IsFormatCorrect32");
        m_pfnForeignToRtf = (PFN_FOREIGNTORTF32)(void*)GetProcAddress(m_hModule, "ForeignToRtf32");
        m_pfnRtfToForeign = (PFN_RTFTOFOREIGN32)(void*)GetProcAddress(m_hModule, "RtfToForeign32");
        ASSERT_TRUE(m_pfnInit && m_pfnUninit && m_pfnIsFormatCorrect && m_pfnForeignToRtf && m_pfnRtfToForeign);

        char szTemp[MAX_PATH];
        GetTempPathA(MAX_PATH, szTemp);
        m_strDir = std::string(szTemp) + "QlcTextConvDll" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(m_strDir.c_str(), nullptr);
        m_buffer.assign(TEXTCONV_BUFFER_SIZE, 0);
        m_transfer.pBuffer = m_buffer.data();
        g_pTransfer = &m_transfer;

        char szModule[] = "Quillcrest";
        EXPECT_NE(0, m_pfnInit(nullptr, szModule));
    }

    void TearDown() override
    {
        if (m_pfnUninit)
            m_pfnUninit();
        g_pTransfer = nullptr;
        for (const std::string& strName : m_files)
            DeleteFileA((m_strDir + strName).c_str());
        RemoveDirectoryA(m_strDir.c_str());
        if (m_hModule)
            FreeLibrary(m_hModule);
    }

    std::string Path(const std::string& strName)
    {
        m_files.push_back(strName);
        return m_strDir + strName;
    }

    long ForeignToRtf(const std::string& strPath)
    {
        char szClass[TEXTCONV_CLASS_SIZE] = {};
        return m_pfnForeignToRtf((HANDLE)strPath.c_str(), nullptr, m_buffer.data(), szClass, nullptr, &CollectRtf);
    }

    long RtfToForeign(const std::string& strPath)
    {
        return m_pfnRtfToForeign((HANDLE)strPath.c_str(), nullptr, m_buffer.data(), nullptr, &SupplyRtf);
    }

    HMODULE m_hModule = nullptr;
    PFN_INITCONVERTER32 m_pfnInit = nullptr;
    PFN_UNINITCONVERTER m_pfnUninit = nullptr;
    PFN_ISFORMATCORRECT32 m_pfnIsFormatCorrect = nullptr;
    PFN_FOREIGNTORTF32 m_pfnForeignToRtf = nullptr;
    PFN_RTFTOFOREIGN32 m_pfnRtfToForeign = nullptr;
    std::string m_strDir;
    std::vector<std::string> m_files;
    std::vector<char> m_buffer;
    CTransfer m_transfer;
};

} // namespace

TEST_F(TextConvDllTest, RecognisesMarkdownOnly)
{
    const std::string strMarkdown = Path("a.md");
    WriteFile(strMarkdown, "# Notes\r\n\r\nSome text.\r\n");
    char szClass[TEXTCONV_CLASS_SIZE] = {};
    EXPECT_EQ(1, m_pfnIsFormatCorrect((HANDLE)strMarkdown.c_str(), szClass));
    EXPECT_STREQ("Markdown", szClass);

    const std::string strBinary = Path("b.md");
    WriteFile(strBinary, std::string("text\0more", 9));
    EXPECT_EQ(0, m_pfnIsFormatCorrect((HANDLE)strBinary.c_str(), szClass));

    const std::string strRtf = Path("c.md");
    WriteFile(strRtf, "{\\rtf1 hello}");
    EXPECT_EQ(0, m_pfnIsFormatCorrect((HANDLE)strRtf.c_str(), szClass));

    EXPECT_EQ(TEXTCONV_E_OPEN_INPUT, m_pfnIsFormatCorrect((HANDLE)Path("missing.md").c_str(), szClass));
    EXPECT_EQ(TEXTCONV_E_ARGUMENT, m_pfnIsFormatCorrect(nullptr, szClass));
}

TEST_F(TextConvDllTest, ForeignToRtfHandsOverPiecesNoLargerThanTheBuffer)
{
    // Enough text for several pieces.
    std::string strMarkdown = "# Long notes\r\n\r\n";
    for (int i = 0; i < 2000; ++i)
        strMarkdown += "Paragraph " + std::to_string(i) + " with *some* **emphasis** and {braces}.\r\n\r\n";
    const std::string strPath = Path("long.md");
    WriteFile(strPath, strMarkdown);

    EXPECT_EQ(TEXTCONV_OK, ForeignToRtf(strPath));
    CMarkdownToRtf converter(GetACP());
    EXPECT_EQ(converter.Convert(strMarkdown), m_transfer.strOut);
    ASSERT_GE(m_transfer.pieces.size(), 4u);
    for (size_t i = 0; i + 1 < m_transfer.pieces.size(); ++i)
        EXPECT_EQ(TEXTCONV_BUFFER_SIZE, m_transfer.pieces[i]);
    EXPECT_GT(m_transfer.pieces.back(), 0);
    EXPECT_LE(m_transfer.pieces.back(), TEXTCONV_BUFFER_SIZE);
}

TEST_F(TextConvDllTest, ForeignToRtfStopsWhenTheCallbackRefuses)
{
    std::string strMarkdown;
    for (int i = 0; i < 3000; ++i)
        strMarkdown += "Some words to fill the pieces.\r\n";
    const std::string strPath = Path("refused.md");
    WriteFile(strPath, strMarkdown);
    m_transfer.nRefuseAfter = 1;
    EXPECT_EQ(-42, ForeignToRtf(strPath));
    EXPECT_EQ(1u, m_transfer.pieces.size());

    EXPECT_EQ(TEXTCONV_E_OPEN_INPUT, ForeignToRtf(Path("missing.md")));
    const std::string strBinary = Path("binary.md");
    WriteFile(strBinary, std::string("\0\1\2", 3));
    EXPECT_EQ(TEXTCONV_E_FORMAT, ForeignToRtf(strBinary));
    EXPECT_EQ(TEXTCONV_E_ARGUMENT,
              m_pfnForeignToRtf((HANDLE)strPath.c_str(), nullptr, m_buffer.data(), nullptr, nullptr, nullptr));
}

TEST_F(TextConvDllTest, RtfToForeignWritesMarkdown)
{
    m_transfer.strIn = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\b\\fs36 Title\\b0\\par\\fs22 Body with "
                       "\\i emphasis\\i0 .\\par}";
    m_transfer.nInPiece = 7; // small pieces are joined
    const std::string strTarget = Path("out.md");
    EXPECT_EQ(TEXTCONV_OK, RtfToForeign(strTarget));
    EXPECT_EQ("# Title\r\n\r\nBody with *emphasis*.\r\n", ReadFile(strTarget));
}

TEST_F(TextConvDllTest, RtfToForeignFailures)
{
    m_transfer.strIn = "not rtf at all";
    const std::string strTarget = Path("bad.md");
    EXPECT_EQ(TEXTCONV_E_FORMAT, RtfToForeign(strTarget));
    EXPECT_EQ("<missing>", ReadFile(strTarget));

    m_transfer.strIn = "{\\rtf1 fine}";
    m_transfer.nInPos = 0;
    EXPECT_EQ(TEXTCONV_E_OPEN_OUTPUT, RtfToForeign(m_strDir + "no such folder\\x.md"));

    m_transfer.nInPos = 0;
    m_transfer.nInPiece = -9; // the program's read failed
    EXPECT_EQ(-9, RtfToForeign(strTarget));
    EXPECT_EQ("<missing>", ReadFile(strTarget));

    m_transfer.nInPos = 0;
    m_transfer.nInPiece = TEXTCONV_BUFFER_SIZE + 1; // a count past the buffer
    m_transfer.strIn.assign(TEXTCONV_BUFFER_SIZE + 1, 'x');
    m_transfer.strIn.replace(0, 6, "{\\rtf1");
    m_buffer.resize(TEXTCONV_BUFFER_SIZE + 1); // so the test itself stays inside
    m_transfer.pBuffer = m_buffer.data();
    EXPECT_EQ(TEXTCONV_E_READ, RtfToForeign(strTarget));
}
