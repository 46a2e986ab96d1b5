#include "core/CTextConvLib.h"

#include "core/CLog.h"
#include "core/CQlcAppServices.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxLibrary.h"
#include "framework/base/CUiChannel.h"
#include "framework/res/AfxRes.h"
#include "outside/textconv/TextConvApi.h"

#include <richedit.h>

#include <memory>
#include <new>
#include <type_traits>

namespace {

const char s_szConvertersKey[] = "Software\\Microsoft\\Shared Tools\\Text Converters";
const char s_szRichEditClass[] = "RichEdit20A";

// RichEdit's default limit (32,767 characters) also cuts text streamed in.
const LPARAM s_lTextLimit = 0x7FFFFFFE;

struct CLibraryFree
{
    void operator()(HMODULE hModule) const { FreeLibrary(hModule); }
};
typedef std::unique_ptr<std::remove_pointer<HMODULE>::type, CLibraryFree> CLibraryPtr;

struct CHeapFree
{
    void operator()(void* p) const { HeapFree(GetProcessHeap(), 0, p); }
};
typedef std::unique_ptr<char, CHeapFree> CHeapBlock;

struct CWindowDestroy
{
    void operator()(HWND hWnd) const { DestroyWindow(hWnd); }
};
typedef std::unique_ptr<std::remove_pointer<HWND>::type, CWindowDestroy> CWindowPtr;

// A zeroed block of the process heap.
CHeapBlock AllocBlock(size_t nSize)
{
    return CHeapBlock((char*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, nSize));
}

// A NUL-terminated copy of a string in a block of its own.
CHeapBlock CopyToBlock(LPCSTR lpsz)
{
    const size_t nLength = lstrlenA(lpsz);
    CHeapBlock block = AllocBlock(nLength + 1);
    if (block)
        memcpy(block.get(), lpsz, nLength);
    return block;
}

// Calls the DLL's UninitConverter when the scope ends, once InitConverter32
// has run, whatever way the conversion ends.
class CUninitOnExit
{
public:
    explicit CUninitOnExit(PFN_UNINITCONVERTER pfnUninit) : m_pfnUninit(pfnUninit) {}
    ~CUninitOnExit()
    {
        if (m_pfnUninit)
            m_pfnUninit();
    }

private:
    PFN_UNINITCONVERTER m_pfnUninit;
};

// Makes a converter the target of the callbacks for the length of one call.
class CActiveTransfer
{
public:
    CActiveTransfer(CTextConverter& converter, CFile* pFile, BYTE* lpBuffer, int nTotal) : m_converter(converter)
    {
        converter.m_pFile = pFile;
        converter.m_lpBuffer = lpBuffer;
        converter.m_nBytesTransferred = 0;
        converter.m_nTotalBytes = nTotal;
        converter.m_bTransferFailed = FALSE;
        CTextConverter::SetActive(&converter);
    }
    ~CActiveTransfer()
    {
        CTextConverter::SetActive(nullptr);
        m_converter.m_pFile = nullptr;
        m_converter.m_lpBuffer = nullptr;
    }

private:
    CTextConverter& m_converter;
};

CTextConverter MakeBuiltIn(LPCSTR lpszExtensions, LPCSTR lpszName, int nKind)
{
    CTextConverter converter;
    converter.m_strExtensions = lpszExtensions;
    converter.m_strName = lpszName;
    converter.m_nKind = nKind;
    return converter;
}

void AppendString(std::vector<char>& block, const CString& str)
{
    block.insert(block.end(), (LPCSTR)str, (LPCSTR)str + str.GetLength());
    block.push_back('\0');
}

// Reads the converters of one direction from its key (none when the key
// cannot be opened) and builds that direction's filter.
void LoadDirection(HKEY hRoot, const CString& strKey, CTextConverterArray& converters, std::vector<char>& filter,
                   CStringList& extensions, BOOL bAllEntry)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hRoot, strKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        hKey = nullptr;
    CTextConvLib::ReadConverters(hKey, converters);
    if (hKey)
        RegCloseKey(hKey);
    CTextConvLib::BuildFilter(converters, filter, extensions, bAllEntry);
}

} // namespace

CTextConvLib::CTextConvLib()
{
}

CTextConvLib::~CTextConvLib()
{
}

void CTextConvLib::LoadConverters()
{
    LoadConverters(HKEY_LOCAL_MACHINE, s_szConvertersKey);
}

void CTextConvLib::LoadConverters(HKEY hRoot, LPCSTR lpszBase)
{
    const CString strBase = lpszBase;
    LoadDirection(hRoot, strBase + "\\Export", m_exportConverters, m_exportFilter, m_exportExtensions, FALSE);
    LoadDirection(hRoot, strBase + "\\Import", m_importConverters, m_importFilter, m_importExtensions, TRUE);
}

void CTextConvLib::ReadConverters(HKEY hKey, CTextConverterArray& converters)
{
    DWORD dwSubKeys = 0;
    if (hKey == nullptr || RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &dwSubKeys, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    {
        dwSubKeys = 0;
    }
    converters.RemoveAll();
    converters.SetSize((INT_PTR)dwSubKeys + 2);
    CString strRtf, strText;
    strRtf.LoadString(IDS_QLC_CONVERTER_RTF);
    strText.LoadString(IDS_QLC_CONVERTER_TEXT);
    converters.SetAt(0, MakeBuiltIn("rtf", strRtf, CTextConverter::kindRtf));
    converters.SetAt(1, MakeBuiltIn("txt text", strText, CTextConverter::kindPlainText));

    INT_PTR nStored = 2;
    for (DWORD dwIndex = 0; hKey != nullptr; ++dwIndex)
    {
        char szName[260];
        DWORD cchName = sizeof(szName);
        const LONG lResult = RegEnumKeyExA(hKey, dwIndex, szName, &cchName, nullptr, nullptr, nullptr, nullptr);
        if (lResult == ERROR_MORE_DATA)
            continue; // a name too long to open: skip it
        if (lResult != ERROR_SUCCESS)
            break;
        CTextConverter converter;
        if (ReadConverter(hKey, szName, converter))
            converters.SetAtGrow(nStored++, converter);
    }
    converters.SetSize(nStored);
}

BOOL CTextConvLib::ReadConverter(HKEY hParent, LPCSTR lpszKeyName, CTextConverter& converter)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hParent, lpszKeyName, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;

    BOOL bFound = FALSE;
    for (DWORD dwIndex = 0;; ++dwIndex)
    {
        char szName[260];
        DWORD cchName = sizeof(szName);
        BYTE data[256 + 1];
        DWORD cbData = 256;
        DWORD dwType = 0;
        const LONG lResult = RegEnumValueA(hKey, dwIndex, szName, &cchName, nullptr, &dwType, data, &cbData);
        if (lResult == ERROR_MORE_DATA)
        {
            TRACE("Text converter value too long, ignored\n");
            continue;
        }
        if (lResult != ERROR_SUCCESS)
            break;
        if (dwType != REG_SZ)
        {
            TRACE("Text converter value \"%s\" is not a string, ignored\n", szName);
            continue;
        }
        // The stored string need not end in a NUL.
        data[cbData <= 256 ? cbData : 256] = '\0';
        const LPCSTR lpszData = (LPCSTR)data;
        if (strcmp(szName, "Extensions") == 0)
            converter.m_strExtensions = lpszData;
        else if (strcmp(szName, "Name") == 0)
            converter.m_strName = lpszData;
        else if (strcmp(szName, "Path") == 0)
            converter.m_strPath = lpszData;
        else
        {
            TRACE("WARNING: Unknown value found in text conversion registry structure!\n");
            continue;
        }
        bFound = TRUE;
    }
    RegCloseKey(hKey);

    if (bFound)
    {
        converter.m_nKind = CTextConverter::kindOffice;
        converter.m_strKeyName = lpszKeyName;
    }
    return bFound;
}

void CTextConvLib::BuildFilter(CTextConverterArray& converters, std::vector<char>& filter, CStringList& extensions,
                               BOOL bAllEntry)
{
    extensions.RemoveAll();
    std::vector<char> pairs;

    for (INT_PTR i = 0; i < converters.GetSize(); ++i)
    {
        CTextConverter& converter = converters.ElementAt(i);
        converter.m_extensionList.RemoveAll();
        CString strDisplay;
        CString strPattern;

        const CString& strAll = converter.m_strExtensions;
        int nStart = 0;
        while (nStart <= strAll.GetLength())
        {
            int nSpace = strAll.Find(' ', nStart);
            if (nSpace < 0)
                nSpace = strAll.GetLength();
            CString strExtension = strAll.Mid(nStart, nSpace - nStart);
            nStart = nSpace + 1;
            // Double or trailing spaces leave empty pieces: an empty
            // extension would match every file without one.
            if (strExtension.IsEmpty())
                continue;
            strExtension.MakeLower();
            converter.m_extensionList.AddTail(strExtension);
            if (!strDisplay.IsEmpty())
            {
                strDisplay += ", ";
                strPattern += ";";
            }
            strDisplay += "*." + strExtension;
            strPattern += "*." + strExtension;
            if (extensions.Find(strExtension) == nullptr)
                extensions.AddTail(strExtension);
        }
        converter.m_strDisplayPattern = strDisplay;
        converter.m_strFilterPattern = strPattern;

        // An empty pattern would end the filter early: no pair then.
        if (strPattern.IsEmpty())
            continue;
        const CString strLabel = converter.m_strName + " (" + strDisplay + ")";
        // Each pair fits a 256-byte slot with both NULs; a longer one is left
        // out of the filter (the converter still converts).
        if (strLabel.GetLength() + 1 + strPattern.GetLength() + 1 > 256)
            continue;
        AppendString(pairs, strLabel);
        AppendString(pairs, strPattern);
    }

    filter.clear();
    if (bAllEntry)
    {
        CString strAllPattern;
        for (POSITION pos = extensions.GetHeadPosition(); pos != nullptr;)
        {
            const CString& strExtension = extensions.GetNext(pos);
            if (strExtension == "*")
                continue;
            if (!strAllPattern.IsEmpty())
                strAllPattern += ";";
            strAllPattern += "*." + strExtension;
        }
        if (!strAllPattern.IsEmpty())
        {
            CString strAll;
            strAll.LoadString(IDS_QLC_CONVERTER_ALL);
            AppendString(filter, strAll);
            AppendString(filter, strAllPattern);
        }
    }
    filter.insert(filter.end(), pairs.begin(), pairs.end());
    filter.push_back('\0');
}

LPCSTR CTextConvLib::GetImportFilter() const
{
    return m_importFilter.empty() ? "" : m_importFilter.data();
}

LPCSTR CTextConvLib::GetExportFilter() const
{
    return m_exportFilter.empty() ? "" : m_exportFilter.data();
}

CString CTextConvLib::GetExtension(LPCSTR lpszPath)
{
    if (lpszPath == nullptr)
        return CString();
    // Only a dot in the file name counts, not one in a folder's name.
    LPCSTR lpszDot = nullptr;
    for (LPCSTR p = lpszPath; *p != '\0'; p = CharNextA(p))
    {
        if (*p == '\\' || *p == '/' || *p == ':')
            lpszDot = nullptr;
        else if (*p == '.')
            lpszDot = p;
    }
    if (lpszDot == nullptr)
        return CString();
    CString strExtension = lpszDot + 1;
    strExtension.MakeLower();
    return strExtension;
}

BOOL CTextConvLib::ImportFile(LPCSTR lpszSource, LPCSTR lpszTarget)
{
    const CString strExtension = GetExtension(lpszSource);
    if (strExtension.IsEmpty())
        return FALSE;
    for (INT_PTR i = 0; i < m_importConverters.GetSize(); ++i)
    {
        CTextConverter& converter = m_importConverters.ElementAt(i);
        if (!converter.HasExtension(strExtension))
            continue;
        if (ConvertWith(converter, TRUE, lpszSource, lpszTarget))
            return TRUE;
        TRACE("Text converter %d could not convert the file; trying the next\n", (int)i);
    }
    return FALSE;
}

BOOL CTextConvLib::ExportFile(int nConverter, BOOL bImport, LPCSTR lpszSource, LPCSTR lpszTarget)
{
    CTextConverterArray& converters = bImport ? m_importConverters : m_exportConverters;
    if (nConverter < 0 || nConverter >= converters.GetSize())
        return FALSE;
    CTextConverter& converter = converters.ElementAt(nConverter);
    return ConvertWith(converter, bImport, lpszSource, lpszTarget);
}

BOOL CTextConvLib::ConvertWith(CTextConverter& converter, BOOL bImport, LPCSTR lpszSource, LPCSTR lpszTarget)
{
    try
    {
        switch (converter.m_nKind)
        {
        case CTextConverter::kindRtf:
            return CopyFileA(lpszSource, lpszTarget, FALSE);
        case CTextConverter::kindOffice:
            return bImport ? DoMSConvImport(converter, lpszSource, lpszTarget)
                           : DoMSConvExport(converter, lpszSource, lpszTarget);
        case CTextConverter::kindPlainText:
            // The hidden RichEdit window is made by the interface thread: a
            // worker never creates windows.
            return CUiChannel::Call([&]() -> BOOL {
                return bImport ? TextToRtf(lpszSource, lpszTarget) : RtfToText(lpszSource, lpszTarget);
            });
        default:
            return FALSE;
        }
    }
    catch (CFileException&)
    {
        TRACE0(bImport ? "File error while converting a file to RTF\n"
                       : "File error while converting an RTF file\n");
    }
    catch (std::bad_alloc&)
    {
        TRACE0(bImport ? "Out of memory while converting a file to RTF\n"
                       : "Out of memory while converting an RTF file\n");
    }
    return FALSE;
}

BOOL CTextConvLib::DoMSConvImport(CTextConverter& converter, LPCSTR lpszSource, LPCSTR lpszTarget)
{
    g_log.WriteLine("Start DoMSConvImport");
    BOOL bResult = FALSE;
    try
    {
        bResult = ForeignToRtf(converter, lpszSource, lpszTarget);
    }
    catch (...)
    {
        g_log.WriteLine("End DoMSConvImport");
        throw;
    }
    g_log.WriteLine("End DoMSConvImport");
    return bResult;
}

BOOL CTextConvLib::ForeignToRtf(CTextConverter& converter, LPCSTR lpszSource, LPCSTR lpszTarget)
{
    BOOL bResult = FALSE;
    {
        // Declared in the order of release, last first: the target is closed,
        // then UninitConverter runs, then the blocks and the DLL are freed.
        CLibraryPtr library(AfxLoadLibrary(converter.m_strPath));
        if (!library)
        {
            TRACE("Text converter DLL cannot be loaded (error %lu)\n", GetLastError());
            return FALSE;
        }
        const auto pfnInit = (PFN_INITCONVERTER32)(void*)GetProcAddress(library.get(), "InitConverter32");
        const auto pfnUninit = (PFN_UNINITCONVERTER)(void*)GetProcAddress(library.get(), "UninitConverter");
        const auto pfnIsFormatCorrect =
            (PFN_ISFORMATCORRECT32)(void*)GetProcAddress(library.get(), "IsFormatCorrect32");
        const auto pfnForeignToRtf = (PFN_FOREIGNTORTF32)(void*)GetProcAddress(library.get(), "ForeignToRtf32");
        if (pfnInit == nullptr || pfnIsFormatCorrect == nullptr || pfnForeignToRtf == nullptr)
        {
            TRACE0("Text converter DLL lacks an entry point\n");
            return FALSE;
        }

        CString strTitle;
        if (!strTitle.LoadString(AFX_IDS_APP_TITLE))
            strTitle = "Quillcrest";
        CHeapBlock path = CopyToBlock(lpszSource);
        CHeapBlock classBlock = AllocBlock(TEXTCONV_CLASS_SIZE);
        CHeapBlock title = CopyToBlock(strTitle);
        CHeapBlock buffer = AllocBlock(CTextConverter::kBufferSize);
        if (!path || !classBlock || !title || !buffer)
            throw std::bad_alloc();

        pfnInit(QlcApp().GetMainWindow(), title.get());
        CUninitOnExit uninit(pfnUninit);

        const long nFormat = pfnIsFormatCorrect(path.get(), classBlock.get());
        if (nFormat != 1)
        {
            TRACE("Text converter refused the file (%ld)\n", nFormat);
        }
        else
        {
            // A converter tried before may have left bytes in the target.
            CFile target;
            CFileException error;
            if (!target.Open(lpszTarget, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error))
            {
                TRACE0("The converted file cannot be created\n");
            }
            else
            {
                long nResult;
                {
                    CActiveTransfer active(converter, &target, (BYTE*)buffer.get(), 0);
                    nResult = pfnForeignToRtf(path.get(), nullptr, buffer.get(), classBlock.get(), nullptr,
                                              &CTextConverter::WriteCallback);
                }
                target.Close();
                if (nResult != 0)
                    TRACE("Text converter failed (%ld)\n", nResult);
                bResult = nResult == 0 && !converter.m_bTransferFailed;
            }
        }
    }
    return bResult;
}

BOOL CTextConvLib::DoMSConvExport(CTextConverter& converter, LPCSTR lpszSource, LPCSTR lpszTarget)
{
    CLibraryPtr library(AfxLoadLibrary(converter.m_strPath));
    if (!library)
    {
        TRACE("Text converter DLL cannot be loaded (error %lu)\n", GetLastError());
        return FALSE;
    }
    const auto pfnInit = (PFN_INITCONVERTER32)(void*)GetProcAddress(library.get(), "InitConverter32");
    const auto pfnUninit = (PFN_UNINITCONVERTER)(void*)GetProcAddress(library.get(), "UninitConverter");
    const auto pfnRtfToForeign = (PFN_RTFTOFOREIGN32)(void*)GetProcAddress(library.get(), "RtfToForeign32");
    if (pfnInit == nullptr || pfnRtfToForeign == nullptr)
    {
        TRACE0("Text converter DLL lacks an entry point\n");
        return FALSE;
    }

    CHeapBlock path = CopyToBlock(lpszTarget);
    CHeapBlock buffer = AllocBlock(CTextConverter::kBufferSize);
    if (!path || !buffer)
        throw std::bad_alloc();

    char szModule[] = "Quillcrest";
    pfnInit(QlcApp().GetMainWindow(), szModule);
    CUninitOnExit uninit(pfnUninit);

    CFile source;
    CFileException error;
    if (!source.Open(lpszSource, CFile::modeRead | CFile::shareDenyWrite, &error))
    {
        TRACE0("The RTF file to convert cannot be opened\n");
        return FALSE;
    }
    const ULONGLONG ullLength = source.GetLength();
    long nResult;
    {
        CActiveTransfer active(converter, &source, (BYTE*)buffer.get(),
                               ullLength > 0x7FFFFFFF ? 0x7FFFFFFF : (int)ullLength);
        nResult = pfnRtfToForeign(path.get(), nullptr, buffer.get(), nullptr, &CTextConverter::ReadCallback);
    }
    source.Close();
    if (nResult != 0)
        TRACE("Text converter failed (%ld)\n", nResult);
    return nResult == 0 && !converter.m_bTransferFailed;
}

HWND CTextConvLib::CreateHiddenRichEdit()
{
    HWND hWnd = CreateWindowExA(WS_EX_TOPMOST, s_szRichEditClass, "", WS_POPUP | ES_MULTILINE, 0, 0, 0, 0,
                                QlcApp().GetMainWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr)
        TRACE("The hidden RichEdit window cannot be created (error %lu)\n", GetLastError());
    return hWnd;
}

BOOL CTextConvLib::TextToRtf(LPCSTR lpszSource, LPCSTR lpszTarget)
{
    CFile source;
    CFileException error;
    if (!source.Open(lpszSource, CFile::modeRead | CFile::shareDenyNone, &error))
        return FALSE;
    CFile target;
    if (!target.Open(lpszTarget, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error))
        return FALSE;

    CWindowPtr window(CreateHiddenRichEdit());
    if (!window)
        return FALSE;
    const HWND hWnd = window.get();

    SendMessageA(hWnd, EM_EXLIMITTEXT, 0, s_lTextLimit);
    EDITSTREAM es = {};
    es.dwCookie = (DWORD_PTR)&source;
    es.pfnCallback = &CTextConvLib::StreamInCallback;
    SendMessageA(hWnd, EM_STREAMIN, SF_TEXT, (LPARAM)&es);
    // The whole file must have gone in.
    if (es.dwError != 0 || source.GetPosition() != source.GetLength())
    {
        TRACE("Streaming the text into RichEdit failed (%lu)\n", es.dwError);
        return FALSE;
    }

    CString strFace;
    int nSize = 11;
    QlcApp().GetImportFont(strFace, nSize);
    SendMessageA(hWnd, EM_SETSEL, 0, -1);
    CHARFORMATA cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_BOLD | CFM_FACE | CFM_SIZE;
    cf.dwEffects = 0;
    cf.yHeight = nSize * 20;
    lstrcpynA(cf.szFaceName, strFace, LF_FACESIZE);
    if (!SendMessageA(hWnd, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf))
    {
        TRACE0("Setting the import font failed\n");
        return FALSE;
    }

    es = {};
    es.dwCookie = (DWORD_PTR)&target;
    es.pfnCallback = &CTextConvLib::StreamOutCallback;
    SendMessageA(hWnd, EM_STREAMOUT, SF_RTF, (LPARAM)&es);
    if (es.dwError != 0)
    {
        TRACE("Streaming the RTF out of RichEdit failed (%lu)\n", es.dwError);
        return FALSE;
    }
    target.Close();
    return TRUE;
}

BOOL CTextConvLib::RtfToText(LPCSTR lpszSource, LPCSTR lpszTarget)
{
    CFile source;
    CFileException error;
    if (!source.Open(lpszSource, CFile::modeRead | CFile::shareDenyWrite, &error))
        return FALSE;

    CWindowPtr window(CreateHiddenRichEdit());
    if (!window)
        return FALSE;
    const HWND hWnd = window.get();

    SendMessageA(hWnd, EM_EXLIMITTEXT, 0, s_lTextLimit);
    EDITSTREAM es = {};
    es.dwCookie = (DWORD_PTR)&source;
    es.pfnCallback = &CTextConvLib::StreamInCallback;
    SendMessageA(hWnd, EM_STREAMIN, SF_RTF, (LPARAM)&es);
    if (es.dwError != 0)
    {
        TRACE("Streaming the RTF into RichEdit failed (%lu)\n", es.dwError);
        return FALSE;
    }

    CFile target;
    if (!target.Open(lpszTarget, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error))
        return FALSE;
    es = {};
    es.dwCookie = (DWORD_PTR)&target;
    es.pfnCallback = &CTextConvLib::StreamOutCallback;
    SendMessageA(hWnd, EM_STREAMOUT, SF_TEXT, (LPARAM)&es);
    if (es.dwError != 0)
    {
        TRACE("Streaming the text out of RichEdit failed (%lu)\n", es.dwError);
        return FALSE;
    }
    target.Close();
    return TRUE;
}

DWORD CALLBACK CTextConvLib::StreamInCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    *pcb = 0;
    if (cb < 0)
        return (DWORD)-1;
    try
    {
        CFile* pFile = (CFile*)dwCookie;
        const ULONGLONG ullLength = pFile->GetLength();
        const ULONGLONG ullPosition = pFile->GetPosition();
        const ULONGLONG ullLeft = ullPosition < ullLength ? ullLength - ullPosition : 0;
        const UINT nWanted = (UINT)(ullLeft < (ULONGLONG)cb ? ullLeft : (ULONGLONG)cb);
        *pcb = nWanted ? (LONG)pFile->Read(pbBuff, nWanted) : 0;
        return 0;
    }
    catch (...)
    {
        *pcb = 0;
        return (DWORD)-1;
    }
}

DWORD CALLBACK CTextConvLib::StreamOutCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    *pcb = 0;
    if (cb < 0)
        return (DWORD)-1;
    try
    {
        CFile* pFile = (CFile*)dwCookie;
        pFile->Write(pbBuff, (UINT)cb);
        *pcb = cb;
        return 0;
    }
    catch (...)
    {
        *pcb = 0;
        return (DWORD)-1;
    }
}
