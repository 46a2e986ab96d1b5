// Converting files to RTF and back: RTF copies, plain text through RichEdit,
// and the converter DLLs registered on the machine (our Markdown converter
// and a probe converter that refuses or misbehaves on request).
#include "core/CTextConvLib.h"

#include "outside/textconv/TextConvApi.h"

#include "TestSupport.h"
#include "TextConvTestSupport.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>
#include <string>

namespace {

// The probe converter's own exports: its mode and its call counts.
enum
{
    probeReject = 0,
    probeOversizedCount = 1,
    probeFailAfterOutput = 2
};
enum
{
    countInit = 0,
    countUninit = 1,
    countFormat = 2,
    countForeignToRtf = 3,
    countRtfToForeign = 4,
    countLastCallback = 5
};
typedef void(WINAPI* PFN_PROBESETMODE)(long);
typedef long(WINAPI* PFN_PROBEGETCOUNT)(long);

// Keeps the probe loaded for a test, so its counters outlive the program's
// own LoadLibrary and FreeLibrary.
class CProbe
{
public:
    explicit CProbe(long nMode) : m_strPath(BesideProgram("textconv_probe.dll"))
    {
        m_hModule = LoadLibraryA(m_strPath);
        EXPECT_NE(nullptr, m_hModule);
        if (m_hModule)
        {
            m_pfnSetMode = (PFN_PROBESETMODE)(void*)GetProcAddress(m_hModule, "ProbeSetMode");
            m_pfnGetCount = (PFN_PROBEGETCOUNT)(void*)GetProcAddress(m_hModule, "ProbeGetCount");
            m_pfnSetMode(nMode);
        }
    }
    ~CProbe() { Release(); }
    long Count(long nWhich) const { return m_pfnGetCount ? m_pfnGetCount(nWhich) : -1; }
    // Frees the test's reference: the module goes unless someone else holds it.
    void Release()
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
        m_hModule = nullptr;
        m_pfnGetCount = nullptr;
    }
    const CString& Path() const { return m_strPath; }

private:
    CString m_strPath;
    HMODULE m_hModule = nullptr;
    PFN_PROBESETMODE m_pfnSetMode = nullptr;
    PFN_PROBEGETCOUNT m_pfnGetCount = nullptr;
};

bool IsLoaded(LPCSTR lpszPath)
{
    return GetModuleHandleA(lpszPath) != nullptr;
}

INT_PTR FindConverter(const CTextConverterArray& converters, LPCSTR lpszName)
{
    for (INT_PTR i = 0; i < converters.GetSize(); ++i)
    {
        if (converters[i].m_strName == lpszName)
            return i;
    }
    return -1;
}

struct CRichEditCursor
{
    const std::string* pIn;
    size_t nPos;
    std::string out;
};

DWORD CALLBACK FromString(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    CRichEditCursor& c = *(CRichEditCursor*)dwCookie;
    const size_t n = std::min((size_t)cb, c.pIn->size() - c.nPos);
    memcpy(pbBuff, c.pIn->data() + c.nPos, n);
    c.nPos += n;
    *pcb = (LONG)n;
    return 0;
}

DWORD CALLBACK ToString(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    ((CRichEditCursor*)dwCookie)->out.append((const char*)pbBuff, (size_t)cb);
    *pcb = cb;
    return 0;
}

// Passes RTF through a RichEdit control the way a note is shown and saved.
std::string ThroughRichEdit(const std::string& strRtf)
{
    HWND hWnd = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(nullptr, hWnd);
    if (!hWnd)
        return std::string();
    CRichEditCursor cursor{ &strRtf, 0, std::string() };
    SendMessageA(hWnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    EDITSTREAM es = {};
    es.dwCookie = (DWORD_PTR)&cursor;
    es.pfnCallback = &FromString;
    SendMessageA(hWnd, EM_STREAMIN, SF_RTF, (LPARAM)&es);
    es.pfnCallback = &ToString;
    SendMessageA(hWnd, EM_STREAMOUT, SF_RTF, (LPARAM)&es);
    DestroyWindow(hWnd);
    return cursor.out;
}

// Text of about 100,000 characters with tabs and CR LF line ends.
std::string LongPlainText()
{
    std::string strText;
    for (int nLine = 0; strText.size() < 100000; ++nLine)
    {
        char szLine[128];
        snprintf(szLine, sizeof(szLine), "Line %05d\tcolumn two\tcolumn three with some words {braces} \\ end\r\n",
                 nLine);
        strText += szLine;
    }
    strText += "last line without a break";
    return strText;
}

class TextConvImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureRichEdit();
        m_strMarkdownDll = BesideProgram("textconv.dll");
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_strMarkdownDll)) << "textconv.dll is built";
        m_strTarget = m_dir.Path("target.tmp");
        WriteText(m_strTarget, std::string());
    }

    // The library with the built-ins and what the registration holds.
    void Load() { m_lib.LoadConverters(); }

    CTempDir m_dir;
    CConvTestServices m_services;
    CConverterRegistration m_registration;
    CTextConvLib m_lib;
    CString m_strMarkdownDll;
    CString m_strTarget;
};

const char kMarkdown[] = "# Trip notes\r\n"
                         "\r\n"
                         "We left *early* and reached the **old bridge** by noon.\r\n"
                         "\r\n"
                         "## Costs\r\n"
                         "\r\n"
                         "Tickets\t12\\\r\n"
                         "Lunch\t8\r\n";

} // namespace

TEST_F(TextConvImportTest, RegisteredMarkdownConverterConvertsBothWays)
{
    m_registration.Add(TRUE, "QlcTest Markdown", "Markdown", "md markdown", m_strMarkdownDll);
    m_registration.Add(FALSE, "QlcTest Markdown", "Markdown", "md", m_strMarkdownDll);
    Load();
    const std::string strFilter(m_lib.GetImportFilter(), (size_t)m_lib.GetImportFilterLength());
    EXPECT_NE(std::string::npos, strFilter.find(std::string("Markdown (*.md, *.markdown)\0*.md;*.markdown\0", 44)));

    const CString strSource = m_dir.Path("Trip.MD");
    WriteText(strSource, kMarkdown);
    ASSERT_TRUE(m_lib.ImportFile(strSource, m_strTarget));
    EXPECT_FALSE(IsLoaded(m_strMarkdownDll)) << "the converter DLL is freed after the import";
    const std::string strRtf = ReadText(m_strTarget);
    EXPECT_EQ(0u, strRtf.find("{\\rtf1"));
    EXPECT_NE(std::string::npos, strRtf.find("\\b\\fs36 Trip notes\\par"));
    EXPECT_NE(std::string::npos, strRtf.find("We left \\i early\\i0  and reached the \\b old bridge\\b0  by noon."));
    EXPECT_NE(std::string::npos, strRtf.find("Tickets\\tab 12\\line Lunch\\tab 8\\par"));

    // Back to Markdown, straight and after the note went through RichEdit.
    const INT_PTR nExport = FindConverter(m_lib.GetExportConverters(), "Markdown");
    ASSERT_GE(nExport, 2);
    const CString strBack = m_dir.Path("back.md");
    ASSERT_TRUE(m_lib.ExportFile((int)nExport, FALSE, m_strTarget, strBack));
    EXPECT_EQ(kMarkdown, ReadText(strBack));
    EXPECT_FALSE(IsLoaded(m_strMarkdownDll));

    const CString strEdited = m_dir.Path("edited.rtf");
    WriteText(strEdited, ThroughRichEdit(strRtf));
    const CString strBackEdited = m_dir.Path("back-edited.md");
    ASSERT_TRUE(m_lib.ExportFile((int)nExport, FALSE, strEdited, strBackEdited));
    EXPECT_EQ(kMarkdown, ReadText(strBackEdited));

    // The import converter run by itself.
    const INT_PTR nImport = FindConverter(m_lib.GetImportConverters(), "Markdown");
    const CString strAgain = m_dir.Path("again.rtf");
    ASSERT_TRUE(m_lib.ExportFile((int)nImport, TRUE, strSource, strAgain));
    EXPECT_EQ(strRtf, ReadText(strAgain));
}

TEST_F(TextConvImportTest, RejectingConverterIsPassedOverAndReleased)
{
    CProbe probe(probeReject);
    m_registration.Add(TRUE, "QlcTest A Reject", "Always Rejects", "md", probe.Path());
    m_registration.Add(TRUE, "QlcTest B Markdown", "Markdown", "md", m_strMarkdownDll);
    Load();
    const CTextConverterArray& converters = m_lib.GetImportConverters();
    ASSERT_EQ(4, converters.GetSize());
    EXPECT_STREQ("Always Rejects", converters[2].m_strName);
    EXPECT_STREQ("Markdown", converters[3].m_strName);

    const CString strSource = m_dir.Path("notes.md");
    WriteText(strSource, "Just a line.\r\n");
    ASSERT_TRUE(m_lib.ImportFile(strSource, m_strTarget));
    EXPECT_NE(std::string::npos, ReadText(m_strTarget).find("Just a line.\\par"));

    EXPECT_EQ(1, probe.Count(countInit));
    EXPECT_EQ(1, probe.Count(countFormat));
    EXPECT_EQ(0, probe.Count(countForeignToRtf));
    EXPECT_EQ(1, probe.Count(countUninit)) << "UninitConverter also runs when the file is refused";
    probe.Release();
    EXPECT_FALSE(IsLoaded(probe.Path())) << "the refusing DLL was freed";

}

TEST_F(TextConvImportTest, RefusedByEveryConverterIsAFailure)
{
    CProbe probe(probeReject);
    m_registration.Add(TRUE, "QlcTest Reject", "Always Rejects", "md", probe.Path());
    Load();
    const CString strSource = m_dir.Path("notes.md");
    WriteText(strSource, "Just a line.\r\n");
    EXPECT_FALSE(m_lib.ImportFile(strSource, m_strTarget));
    EXPECT_EQ(1, probe.Count(countInit));
    EXPECT_EQ(1, probe.Count(countUninit));
}

TEST_F(TextConvImportTest, FirstSuccessEndsTheSearch)
{
    CProbe probe(probeReject);
    m_registration.Add(TRUE, "QlcTest A Markdown", "Markdown", "md", m_strMarkdownDll);
    m_registration.Add(TRUE, "QlcTest B Reject", "Always Rejects", "md", probe.Path());
    Load();
    const CString strSource = m_dir.Path("notes.md");
    WriteText(strSource, "Text.\r\n");
    ASSERT_TRUE(m_lib.ImportFile(strSource, m_strTarget));
    EXPECT_EQ(0, probe.Count(countInit));
    EXPECT_EQ(0, probe.Count(countFormat));
}

TEST_F(TextConvImportTest, MissingOrIncompleteDllsFallThrough)
{
    char szSystem[MAX_PATH];
    GetSystemDirectoryA(szSystem, MAX_PATH);
    const CString strNoEntries = CString(szSystem) + "\\version.dll";
    m_registration.Add(TRUE, "QlcTest A Missing", "Missing", "md", m_dir.Path("nothing-here.dll"));
    m_registration.Add(TRUE, "QlcTest B No Entries", "No Entries", "md", strNoEntries);
    m_registration.Add(TRUE, "QlcTest C No Path", "No Path", "md", nullptr);
    Load();
    const CString strSource = m_dir.Path("notes.md");
    WriteText(strSource, "Text.\r\n");
    EXPECT_FALSE(m_lib.ImportFile(strSource, m_strTarget));

    m_registration.Add(TRUE, "QlcTest D Markdown", "Markdown", "md", m_strMarkdownDll);
    CTextConvLib lib;
    lib.LoadConverters();
    EXPECT_TRUE(lib.ImportFile(strSource, m_strTarget));
    EXPECT_NE(std::string::npos, ReadText(m_strTarget).find("Text.\\par"));
}

TEST_F(TextConvImportTest, ACountPastTheBufferFailsTheConversion)
{
    CProbe probe(probeOversizedCount);
    m_registration.Add(TRUE, "QlcTest Probe", "Probe", "probe", probe.Path());
    Load();
    const CString strSource = m_dir.Path("file.probe");
    WriteText(strSource, "anything");
    // The probe ignores the refusal and reports success: still a failure.
    EXPECT_FALSE(m_lib.ImportFile(strSource, m_strTarget));
    EXPECT_EQ(1, probe.Count(countForeignToRtf));
    EXPECT_LT(probe.Count(countLastCallback), 0);
    EXPECT_EQ(0u, ReadText(m_strTarget).size()) << "nothing was written from past the buffer";
    EXPECT_EQ(1, probe.Count(countUninit));
}

TEST_F(TextConvImportTest, AFailedConverterLeavesNothingForTheNextOne)
{
    CProbe probe(probeFailAfterOutput);
    m_registration.Add(TRUE, "QlcTest A Probe", "Probe", "md", probe.Path());
    m_registration.Add(TRUE, "QlcTest B Markdown", "Markdown", "md", m_strMarkdownDll);
    Load();
    const CString strSource = m_dir.Path("short.md");
    WriteText(strSource, "Short.\r\n");
    ASSERT_TRUE(m_lib.ImportFile(strSource, m_strTarget));
    EXPECT_EQ(1, probe.Count(countForeignToRtf));
    EXPECT_EQ(1, probe.Count(countUninit));

    // The same bytes as the Markdown converter gives on its own.
    const CString strAlone = m_dir.Path("alone.rtf");
    const INT_PTR nMarkdown = FindConverter(m_lib.GetImportConverters(), "Markdown");
    ASSERT_TRUE(m_lib.ExportFile((int)nMarkdown, TRUE, strSource, strAlone));
    const std::string strRtf = ReadText(m_strTarget);
    EXPECT_EQ(ReadText(strAlone), strRtf);
    EXPECT_EQ(std::string::npos, strRtf.find("XXXX"));
}

TEST_F(TextConvImportTest, FilesWithoutAMatchingExtensionAreNotConverted)
{
    m_registration.Add(TRUE, "QlcTest Markdown", "Markdown", "md", m_strMarkdownDll);
    Load();
    CreateDirectoryA(m_dir.Path("folder.md"), nullptr);
    const char* const names[] = { "README", "folder.md\\README", "notes.", "notes.doc" };
    for (const char* pszName : names)
    {
        const CString strSource = m_dir.Path(pszName);
        WriteText(strSource, "# Some text\r\n");
        EXPECT_FALSE(m_lib.ImportFile(strSource, m_strTarget)) << pszName;
        EXPECT_EQ(0u, ReadText(m_strTarget).size()) << pszName;
        DeleteFileA(strSource);
    }
    RemoveDirectoryA(m_dir.Path("folder.md"));
    EXPECT_FALSE(m_lib.ImportFile(m_dir.Path("missing.md"), m_strTarget));
    EXPECT_FALSE(m_lib.ImportFile(m_dir.Path("missing.txt"), m_strTarget));
    EXPECT_FALSE(m_lib.ImportFile(m_dir.Path("missing.rtf"), m_strTarget));
}

TEST_F(TextConvImportTest, RtfIsCopiedByteForByte)
{
    Load();
    Bytes bytes(70000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (BYTE)(i * 31 + (i >> 8));
    const CString strSource = m_dir.Path("Note.RTF");
    WriteFileBytes(strSource, bytes);
    WriteText(m_strTarget, std::string(100000, 'z')); // longer than the copy
    ASSERT_TRUE(m_lib.ImportFile(strSource, m_strTarget));
    EXPECT_EQ(bytes, ReadFileBytes(m_strTarget));
    // The RTF converter of the export list copies as well.
    const CString strOut = m_dir.Path("out.rtf");
    ASSERT_TRUE(m_lib.ExportFile(0, FALSE, strSource, strOut));
    EXPECT_EQ(bytes, ReadFileBytes(strOut));
}

TEST_F(TextConvImportTest, PlainTextBecomesRtfInTheImportFontAndStreamsBack)
{
    Load();
    const std::string strText = LongPlainText();
    ASSERT_GE(strText.size(), 100000u);
    const CString strSource = m_dir.Path("long.txt");
    WriteText(strSource, strText);
    WriteText(m_strTarget, std::string(500000, 'z')); // truncated first
    ASSERT_TRUE(m_lib.ImportFile(strSource, m_strTarget));
    const std::string strRtf = ReadText(m_strTarget);
    EXPECT_EQ(0u, strRtf.find("{\\rtf1"));
    EXPECT_NE(std::string::npos, strRtf.find("Courier New;"));
    EXPECT_NE(std::string::npos, strRtf.find("\\fs22"));
    EXPECT_EQ(std::string::npos, strRtf.find("\\b "));
    EXPECT_EQ(std::string::npos, strRtf.find("zzzz"));
    EXPECT_NE(std::string::npos, strRtf.find("last line without a break"));

    const CString strBack = m_dir.Path("back.txt");
    ASSERT_TRUE(m_lib.ExportFile(1, FALSE, m_strTarget, strBack));
    EXPECT_EQ(strText, ReadText(strBack));

    // Another font from the settings.
    m_services.strFontFace = "Times New Roman";
    m_services.nFontSize = 14;
    const CString strShort = m_dir.Path("short.txt");
    WriteText(strShort, "one\ttwo\r\nthree");
    ASSERT_TRUE(m_lib.ImportFile(strShort, m_strTarget));
    const std::string strSmall = ReadText(m_strTarget);
    EXPECT_NE(std::string::npos, strSmall.find("Times New Roman;"));
    EXPECT_NE(std::string::npos, strSmall.find("\\fs28"));
    ASSERT_TRUE(m_lib.ExportFile(1, FALSE, m_strTarget, strBack));
    EXPECT_EQ("one\ttwo\r\nthree", ReadText(strBack));
}

TEST_F(TextConvImportTest, PlainTextFailsWhenItsWindowCannotBeCreated)
{
    Load();
    // The owner is gone: the hidden window cannot be made.
    HWND hGone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hGone);
    DestroyWindow(hGone);
    m_services.hMainWindow = hGone;

    const CString strSource = m_dir.Path("a.txt");
    WriteText(strSource, "some text");
    EXPECT_FALSE(m_lib.ImportFile(strSource, m_strTarget));
    EXPECT_EQ(0u, ReadText(m_strTarget).size());
    EXPECT_FALSE(m_lib.ExportFile(1, FALSE, strSource, m_dir.Path("b.txt")));

    m_services.hMainWindow = nullptr;
    EXPECT_TRUE(m_lib.ImportFile(strSource, m_strTarget));
}

TEST_F(TextConvImportTest, ExportFileChecksTheConverterIndex)
{
    Load();
    const CString strSource = m_dir.Path("a.rtf");
    WriteText(strSource, "{\\rtf1 x}");
    EXPECT_FALSE(m_lib.ExportFile(-1, FALSE, strSource, m_strTarget));
    EXPECT_FALSE(m_lib.ExportFile(2, FALSE, strSource, m_strTarget));
    EXPECT_FALSE(m_lib.ExportFile(2, TRUE, strSource, m_strTarget));
    EXPECT_TRUE(m_lib.ExportFile(0, TRUE, strSource, m_strTarget));
    EXPECT_EQ("{\\rtf1 x}", ReadText(m_strTarget));
}

TEST(TextConvCallbackTest, RichEditStreamCallbacksReportFileErrors)
{
    CTempDir dir;
    const CString strPath = dir.Path("ten.bin");
    WriteText(strPath, "0123456789");
    BYTE buffer[64] = {};
    LONG cb = -5;
    {
        CFile file(strPath, CFile::modeRead);
        EXPECT_EQ(0u, CTextConvLib::StreamInCallback((DWORD_PTR)&file, buffer, 64, &cb));
        EXPECT_EQ(10, cb);
        EXPECT_EQ(0, memcmp(buffer, "0123456789", 10));
        EXPECT_EQ(0u, CTextConvLib::StreamInCallback((DWORD_PTR)&file, buffer, 64, &cb));
        EXPECT_EQ(0, cb);
        EXPECT_EQ((DWORD)-1, CTextConvLib::StreamInCallback((DWORD_PTR)&file, buffer, -1, &cb));
        EXPECT_EQ(0, cb);
        // Writing to a file open for reading fails.
        cb = 7;
        EXPECT_EQ((DWORD)-1, CTextConvLib::StreamOutCallback((DWORD_PTR)&file, buffer, 4, &cb));
        EXPECT_EQ(0, cb);
    }
    {
        CFile file(strPath, CFile::modeWrite);
        cb = 7;
        EXPECT_EQ((DWORD)-1, CTextConvLib::StreamInCallback((DWORD_PTR)&file, buffer, 4, &cb));
        EXPECT_EQ(0, cb);
        EXPECT_EQ(0u, CTextConvLib::StreamOutCallback((DWORD_PTR)&file, (LPBYTE) "abc", 3, &cb));
        EXPECT_EQ(3, cb);
    }
    EXPECT_EQ("abc3456789", ReadText(strPath));
}

TEST(TextConvCallbackTest, ConverterCallbacksStayInsideTheBuffer)
{
    CTempDir dir;
    const CString strPath = dir.Path("out.bin");
    std::string buffer(CTextConverter::kBufferSize, 'b');
    CTextConverter converter;
    {
        CFile file(strPath, CFile::modeCreate | CFile::modeWrite);
        converter.m_pFile = &file;
        converter.m_lpBuffer = (BYTE*)&buffer[0];

        // No active converter: refused.
        EXPECT_LT(CTextConverter::WriteCallback(10, 0), 0);
        CTextConverter::SetActive(&converter);
        EXPECT_EQ(10, CTextConverter::WriteCallback(10, 10));
        EXPECT_EQ(0, CTextConverter::WriteCallback(0, 10));
        EXPECT_FALSE(converter.m_bTransferFailed);
        EXPECT_EQ(CTextConverter::kBufferSize, CTextConverter::WriteCallback(CTextConverter::kBufferSize, 50));
        EXPECT_LT(CTextConverter::WriteCallback(CTextConverter::kBufferSize + 1, 90), 0);
        EXPECT_TRUE(converter.m_bTransferFailed);
        EXPECT_EQ(10 + CTextConverter::kBufferSize, converter.m_nBytesTransferred);
        CTextConverter::SetActive(nullptr);
    }
    EXPECT_EQ(10u + CTextConverter::kBufferSize, ReadText(strPath).size());

    // Reading hands out at most a buffer at a time, then 0.
    WriteText(strPath, std::string(CTextConverter::kBufferSize + 100, 'r'));
    {
        CFile file(strPath, CFile::modeRead);
        converter.m_pFile = &file;
        converter.m_nBytesTransferred = 0;
        converter.m_bTransferFailed = FALSE;
        CTextConverter::SetActive(&converter);
        EXPECT_EQ(CTextConverter::kBufferSize, CTextConverter::ReadCallback(TEXTCONV_BUFFER_SIZE, 0));
        EXPECT_EQ(100, CTextConverter::ReadCallback(TEXTCONV_BUFFER_SIZE, 0));
        EXPECT_EQ(0, CTextConverter::ReadCallback(TEXTCONV_BUFFER_SIZE, 0));
        EXPECT_FALSE(converter.m_bTransferFailed);
        CTextConverter::SetActive(nullptr);
    }
    {
        CFile file(strPath, CFile::modeWrite);
        converter.m_pFile = &file;
        CTextConverter::SetActive(&converter);
        EXPECT_LT(CTextConverter::ReadCallback(TEXTCONV_BUFFER_SIZE, 0), 0);
        EXPECT_TRUE(converter.m_bTransferFailed);
        CTextConverter::SetActive(nullptr);
    }
    EXPECT_LT(CTextConverter::ReadCallback(TEXTCONV_BUFFER_SIZE, 0), 0);
}
