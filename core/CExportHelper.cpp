#include "core/CExportHelper.h"

#include "core/CNodeBatchImport.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"
#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxSecure.h"
#include "imaging/PLAnyPicDecoder.h"

#include <cstring>
#include <string>

namespace {

// Appends "." and the extension (lower case) unless the name ends with it.
CString AppendExtension(LPCSTR lpszFileName, LPCSTR lpszExtension)
{
    CString strName = lpszFileName != nullptr ? lpszFileName : "";
    CString strExtension = CString(".") + lpszExtension;
    strExtension.MakeLower();
    const int nLength = strExtension.GetLength();
    if (strName.GetLength() < nLength || strName.Right(nLength).CompareNoCase(strExtension) != 0)
        strName += strExtension;
    return strName;
}

// The extension a node of this type is written with (images: by format).
LPCSTR DataExtension(BYTE nType)
{
    switch (nType)
    {
    case QLC_NODE_NOTE: return ".rtf";
    case QLC_NODE_HTML: return ".htm";
    case QLC_NODE_FOREIGN: return ".dat";
    default: return nullptr;
    }
}

} // namespace

CExportHelper::CExportHelper(CQuillcrestDoc* pDoc, CNodeBatchProcess* pJob) : m_pJob(pJob), m_pDoc(pDoc)
{
}

// --- Lookups ----------------------------------------------------------------------------

int CExportHelper::MapExportType(int nFormatCode)
{
    switch (nFormatCode)
    {
    case PL_FT_WINBMP: return 1;
    case PL_FT_MACPICT: return 5;
    case PL_FT_TARGA: return 8;
    case PL_FT_TIFF: return 9;
    case PL_FT_JPEG: return 3;
    case PL_FT_PNG: return 7;
    case PL_FT_EPSTIFF: return 9;
    case PL_FT_WMF: return 10;
    case PL_FT_EMF: return 10;
    case PL_FT_PCX: return 4;
    case PL_FT_PGM: return 6;
    case PL_FT_GIF: return 2;
    default: return 0;
    }
}

CString CExportHelper::ForceExtension(int nFormatId, LPCSTR lpszFileName)
{
    // The import table's first row of the format names its extension.
    for (const QLCIMPORTTYPE* pRow = CNodeBatchImport::GetImportTypes(); pRow->lpszExtension != nullptr; ++pRow)
    {
        if (pRow->nNodeType == QLC_NODE_IMAGE && pRow->nImageFormat == nFormatId)
            return AppendExtension(lpszFileName, pRow->lpszExtension);
    }
    return CString(lpszFileName != nullptr ? lpszFileName : "");
}

CString CExportHelper::ForceStoredExtension(int nFormatCode, LPCSTR lpszFileName)
{
    // The stored bytes are written unchanged: they keep the extension of
    // what they are, not of the format they map to.
    switch (nFormatCode)
    {
    case PL_FT_EPSTIFF: return AppendExtension(lpszFileName, "eps");
    case PL_FT_WMF: return AppendExtension(lpszFileName, "wmf");
    default: return ForceExtension(MapExportType(nFormatCode), lpszFileName);
    }
}

BOOL CExportHelper::IsReservedDeviceName(LPCSTR lpszName)
{
    // The device is meant whatever extension follows ("nul.txt") and with
    // spaces before it.
    std::string base = lpszName != nullptr ? lpszName : "";
    const size_t nDot = base.find('.');
    if (nDot != std::string::npos)
        base.resize(nDot);
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const char* const s_devices[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" };
    for (const char* lpszDevice : s_devices)
    {
        if (lstrcmpiA(base.c_str(), lpszDevice) == 0)
            return TRUE;
    }
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9' &&
        (_strnicmp(base.c_str(), "COM", 3) == 0 || _strnicmp(base.c_str(), "LPT", 3) == 0))
        return TRUE;
    return FALSE;
}

CString CExportHelper::MakeSafeFileName(LPCSTR lpszName)
{
    std::string safe;
    for (LPCSTR p = lpszName != nullptr ? lpszName : ""; *p != '\0';)
    {
        // Character by character: a trail byte may look like '\'.
        LPCSTR pNext = ::CharNextA(p);
        if (pNext == p + 1)
        {
            const unsigned char ch = (unsigned char)*p;
            safe += (ch < 32 || strchr("/\\:*?\"<>|", ch) != nullptr) ? '_' : (char)ch;
        }
        else
        {
            safe.append(p, pNext);
        }
        p = pNext;
    }
    while (!safe.empty() && (safe.back() == '.' || safe.back() == ' '))
        safe.pop_back();
    if (safe.empty())
        safe = AfxLoadText(IDS_QLC_EXPORT_UNNAMED).str();
    if (IsReservedDeviceName(safe.c_str()))
        safe.insert(safe.begin(), '_');
    return CString(safe);
}

BOOL CExportHelper::FileExists(LPCSTR lpszPath)
{
    // Most targets are new. Asking for the attributes tells that without
    // opening a handle, which costs the export two calls to the system per
    // node; a path that is not there cannot be opened either.
    if (::GetFileAttributesA(lpszPath) == INVALID_FILE_ATTRIBUTES)
    {
        const DWORD dwError = ::GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND)
            return FALSE;
    }
    HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    ::CloseHandle(hFile);
    return TRUE;
}

// --- Writing ----------------------------------------------------------------------------

BOOL CExportHelper::ExportNode(DWORD dwNodeId, LPCSTR lpszDirectory)
{
    m_strError.Empty();
    CQlcNode node(m_pDoc, dwNodeId);
    if (!node.IsValid())
    {
        m_strError = AfxLoadText(IDS_QLC_NODE_MISSING);
        return FALSE;
    }
    // An encrypted node is unlocked by the interface thread, which owns
    // the windows; the password is forgotten again afterwards.
    BOOL bTyped = FALSE;
    if (node.IsEncrypted() && !node.HasPassword())
    {
        CString strPassword;
        const BOOL bUnlocked = m_pJob != nullptr ? m_pJob->AskNodePassword(dwNodeId, strPassword)
                                                 : QlcPrompts().UnlockNode(m_pDoc, dwNodeId, strPassword);
        if (!bUnlocked)
        {
            m_strError = AfxLoadText(IDS_QLC_EXPORT_LOCKED);
            return FALSE;
        }
        node.SetPassword(TRUE, strPassword);
        AfxSecureWipe(strPassword);
        bTyped = TRUE;
    }
    const CString strPath = CString(lpszDirectory) + MakeSafeFileName(node.GetName());
    const BOOL bResult = ExportNodeToFile(node, strPath, 0);
    if (bTyped)
        node.SetPassword(FALSE, "");
    return bResult;
}

BOOL CExportHelper::ExportNodeToFile(CQlcNode& node, LPCSTR lpszPath, int nExportFormat)
{
    m_strError.Empty();
    CString strTarget = lpszPath;
    if (node.GetType() == QLC_NODE_IMAGE)
    {
        // The name asked about is the one written: with its forced extension.
        m_pDoc->Data_GetImageExportPath(node.GetId(), lpszPath, nExportFormat, strTarget);
    }
    else if (LPCSTR lpszExtension = DataExtension(node.GetType()))
    {
        strTarget += lpszExtension;
    }
    else
    {
        m_strError = AfxLoadText(IDS_QLC_EXPORT_NO_EXPORT_TYPE);
        return FALSE;
    }

    // Most targets of a batch export are new: making the file is the only
    // look at the folder (under wine each look reads the whole folder). Any
    // other outcome goes the full way below, with its questions.
    if (m_pJob != nullptr && node.GetType() != QLC_NODE_IMAGE && m_pDoc->Data_CopyToNewFile(node.GetId(), strTarget))
        return TRUE;
    if (m_pJob != nullptr && FileExists(strTarget))
    {
        CString strQuestion;
        strQuestion.Format(AfxLoadText(IDS_QLC_EXPORT_OVERWRITE), (LPCSTR)strTarget);
        if (m_pJob->AskUser(strQuestion, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return TRUE;
    }
    return WriteNode(node, lpszPath, strTarget, nExportFormat);
}

BOOL CExportHelper::ExportNodeById(DWORD dwNodeId, LPCSTR lpszPath, int nExportFormat)
{
    CQlcNode node(m_pDoc, dwNodeId);
    if (!node.IsValid())
    {
        m_strError = AfxLoadText(IDS_QLC_NODE_MISSING);
        return FALSE;
    }
    return ExportNodeAs(node, lpszPath, nExportFormat);
}

BOOL CExportHelper::ExportNodeAs(CQlcNode& node, LPCSTR lpszPath, int nExportFormat)
{
    m_strError.Empty();
    if (node.GetType() != QLC_NODE_IMAGE && DataExtension(node.GetType()) == nullptr)
    {
        m_strError = AfxLoadText(IDS_QLC_EXPORT_NO_EXPORT_TYPE);
        return FALSE;
    }
    return WriteNode(node, lpszPath, lpszPath, nExportFormat);
}

BOOL CExportHelper::WriteNode(CQlcNode& node, LPCSTR lpszPath, LPCSTR lpszTarget, int nExportFormat)
{
    if (node.GetType() == QLC_NODE_IMAGE)
    {
        char szError[QLC_EXPORT_ERROR_SIZE] = "";
        if (m_pDoc->Data_ExportImage(node.GetId(), lpszPath, nExportFormat, szError))
            return TRUE;
        m_strError = szError;
        return FALSE;
    }
    if (m_pDoc->Data_CopyToFile(node.GetId(), lpszTarget, nullptr))
        return TRUE;
    m_strError = AfxLoadText(IDS_QLC_EXPORT_NOT_COPIED);
    return FALSE;
}
