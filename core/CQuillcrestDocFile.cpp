// The notebook file: reading it into the tables and writing it back.
#include "core/CQuillcrestDoc.h"

#include "core/CLog.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcFileReader.h"
#include "core/CQlcFileWriter.h"
#include "core/CQlcTempFile.h"
#include "core/IQlcFileProbe.h"
#include "core/IQlcFrameCallbacks.h"
#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxPath.h"
#include "framework/ui/CWaitCursor.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLTextException.h"

#include <cryptopp/gzip.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

typedef CMap<DWORD, DWORD, DWORD, DWORD> CIdMap;

// The new file is written, and payloads copied, in blocks of this size.
const size_t kSaveBlock = 4 * 1024 * 1024;

// Damaged nodes named by the message at open; the rest are counted.
const size_t kMaxDamagedListed = 10;

// A decompressed logo larger than this is not a picture anyone chose.
const size_t kMaxLogoBytes = 64 * 1024 * 1024;

void ReadSystemTime(CQlcFileReader& reader, SYSTEMTIME& st)
{
    st.wYear = reader.ReadU16();
    st.wMonth = reader.ReadU16();
    st.wDayOfWeek = reader.ReadU16();
    st.wDay = reader.ReadU16();
    st.wHour = reader.ReadU16();
    st.wMinute = reader.ReadU16();
    st.wSecond = reader.ReadU16();
    st.wMilliseconds = reader.ReadU16();
}

void WriteSystemTime(CQlcFileWriter& writer, const SYSTEMTIME& st)
{
    writer.WriteU16(st.wYear);
    writer.WriteU16(st.wMonth);
    writer.WriteU16(st.wDayOfWeek);
    writer.WriteU16(st.wDay);
    writer.WriteU16(st.wHour);
    writer.WriteU16(st.wMinute);
    writer.WriteU16(st.wSecond);
    writer.WriteU16(st.wMilliseconds);
}

// New number of an old node id, 0 when the node no longer exists.
DWORD NewNodeNumber(const CIdMap& mapNewIds, DWORD dwOldId)
{
    DWORD dwNew = 0;
    return mapNewIds.Lookup(dwOldId, dwNew) ? dwNew : 0;
}

BOOL IsDataType(BYTE nType)
{
    return nType == QLC_NODE_NOTE || nType == QLC_NODE_IMAGE || nType == QLC_NODE_HTML || nType == QLC_NODE_FOREIGN;
}

// Largest key of a table; ids read from files may be sparse.
template <class MAP>
DWORD MaxKey(const MAP& map)
{
    DWORD dwMax = 0;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwKey;
        typename MAP::value_type value;
        map.GetNextAssoc(pos, dwKey, value);
        dwMax = std::max(dwMax, dwKey);
    }
    return dwMax;
}

void WriteMagic(CQlcFileWriter& writer, LPCSTR lpszMagic)
{
    const size_t n = strlen(lpszMagic);
    writer.WriteU32((DWORD)(2 * (n + 1)));
    for (size_t i = 0; i <= n; ++i)
        writer.WriteU16((WORD)(BYTE)lpszMagic[i]);
}

} // namespace

// --- Opening ------------------------------------------------------------------

BOOL CQuillcrestDoc::Data_OpenNotebookFile(LPCSTR lpszPathName)
{
    CQlcDocLock::CScoped lock(m_lock);
    Data_CloseNotebookFiles();
    m_strNotebookPath = lpszPathName;
    if (!Data_OpenNotebookHandle(lpszPathName, GENERIC_READ, 0, OPEN_EXISTING))
        return FALSE;
    m_hSourceFile = m_hNotebookFile;
    m_strSourcePath = m_strNotebookPath;
    return TRUE;
}

BOOL CQuillcrestDoc::Data_OpenNotebookHandle(LPCSTR lpszPathName, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition)
{
    CQlcDocLock::CScoped lock(m_lock);
    m_hNotebookFile = CreateFileA(lpszPathName, dwAccess, dwShare, nullptr, dwDisposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hNotebookFile == INVALID_HANDLE_VALUE)
        return FALSE;
    m_strNotebookHandlePath = lpszPathName;
    m_dwNotebookAccess = dwAccess;
    m_dwNotebookShare = dwShare;
    return TRUE;
}

HWND CQuillcrestDoc::GetMessageOwner(BOOL bOnlyVisible) const
{
    HWND hMain = QlcApp().GetMainWindow();
    if (hMain == nullptr || !IsWindow(hMain))
        return nullptr;
    if (bOnlyVisible && !IsWindowVisible(hMain))
        return nullptr;
    return hMain;
}

// --- Reading ------------------------------------------------------------------

CString CQuillcrestDoc::Data_ReadMagic(CQlcFileReader& reader)
{
    const DWORD n = reader.ReadU32();
    if (n >= 64)
        return CString();
    BYTE buf[64];
    reader.Read(buf, n);
    CString strMagic;
    for (DWORD i = 0; i + 1 < n; i += 2)
    {
        const WORD ch = (WORD)(buf[i] | (buf[i + 1] << 8));
        if (ch == 0)
            break;
        char sz[8] = {};
        const WCHAR wch = ch;
        WideCharToMultiByte(CP_ACP, 0, &wch, 1, sz, sizeof(sz) - 1, nullptr, nullptr);
        strMagic += sz;
    }
    return strMagic;
}

int CQuillcrestDoc::Data_ReadFile()
{
    CQlcDocLock::CScoped lock(m_lock);
    CWaitCursor wait;
    g_log.WriteLine("Reading notebook file...");
    g_log.Indent();
    int nResult = 0;
    try
    {
        nResult = Data_ReadFileInner();
    }
    catch (...)
    {
        g_log.Outdent();
        g_log.WriteLine("Reading notebook file FAILED (file error).");
        throw;
    }
    g_log.Outdent();
    g_log.WriteLine(nResult == 1 ? "Notebook file read." : nResult == 2 ? "Notebook file refused." : "Notebook file not read.");
    return nResult;
}

int CQuillcrestDoc::Data_ReadFileInner()
{
    m_dwDamagedSections = 0;
    m_damagedNodes.clear();
    m_hSourceFile = m_hNotebookFile;
    m_strSourcePath = m_strNotebookPath;

    CQlcFileReader reader(m_hSourceFile, m_strSourcePath);
    reader.Seek(0);
    m_strMagic = Data_ReadMagic(reader);

    if (m_strMagic == QLC_MAGIC_ENCRYPTED_V1 || m_strMagic == QLC_MAGIC_ENCRYPTED_V2)
    {
        const int nEnvelope = Data_OpenEnvelope(reader);
        if (nEnvelope == 2)
            return 2;
        if (nEnvelope == 1)
        {
            // The source is now the decrypted copy: read it from its start.
            // A copy that does not read as a notebook is removed at once.
            int nPlain = 0;
            try
            {
                CQlcFileReader plain(m_hSourceFile, m_strSourcePath);
                plain.Seek(0);
                m_strMagic = Data_ReadMagic(plain);
                nPlain = Data_ReadPlain(plain);
            }
            catch (...)
            {
                Data_DiscardDecryptedCopy();
                throw;
            }
            if (nPlain != 1)
                Data_DiscardDecryptedCopy();
            return nPlain;
        }
        // No decryptor: reported below as not a notebook.
    }
    return Data_ReadPlain(reader);
}

int CQuillcrestDoc::Data_ReadPlain(CQlcFileReader& reader)
{
    if (m_strMagic != QLC_MAGIC_PLAIN)
    {
        CString strText;
        strText.Format(AfxLoadText(IDS_QLC_NOT_A_NOTEBOOK), (LPCSTR)m_strNotebookPath);
        QlcPrompts().MessageBox(nullptr, strText, AfxLoadText(IDS_QLC_CAPTION_LOAD_FAILED),
                                MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING);
        return 0;
    }

    Data_ReadHeader(reader);
    const DWORD dwVersion = m_header.dwVersion;
    if (dwVersion == 0 || dwVersion > QLC_FILE_VERSION)
    {
        QlcPrompts().FrameworkMessageBox(AfxLoadText(IDS_QLC_VERSION_STAMP), MB_OK | MB_ICONSTOP);
        return 0;
    }
    if (dwVersion < QLC_FILE_VERSION)
    {
        QlcPrompts().MessageBox(GetMessageOwner(TRUE), AfxLoadText(IDS_QLC_OLD_VERSION), AfxLoadText(IDS_QLC_CAPTION_WARNING),
                                MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING);
    }

    Data_ReadNodes(reader);
    m_header.dwVersion = QLC_FILE_VERSION;

    if (m_header.dwLogoOffset != 0 && m_header.dwLogoLength != 0)
        Data_ReadLogoSection(reader);
    else
        m_bHasLogo = FALSE;

    if (m_header.dwBookmarkOffset != 0)
        Data_ReadBookmarks(reader);
    if (m_header.dwKeywordOffset != 0)
        Data_ReadKeywords(reader);

    m_sectionTable = QLCSECTIONTABLE();
    if (m_header.dwSectionTableOffset != 0)
    {
        Data_ReadSectionTable(reader);
        if (m_sectionTable.dwTaskOffset != 0)
            Data_ReadTasks(reader);
    }

    CString strLine;
    strLine.Format("Version %lu, %lu nodes, %s, %ld bookmarks, %ld keywords in %ld lists, %ld tasks",
                   (unsigned long)dwVersion, (unsigned long)m_header.dwNodeCount, m_bHasLogo ? "a logo" : "no logo",
                   (long)m_mapBookmarks.GetCount(), (long)m_mapKeywords.GetCount(),
                   (long)m_mapNodeKeywords.GetCount(), (long)m_mapTasks.GetCount());
    g_log.WriteLine(strLine);

    if (IQlcFrameCallbacks* pFrame = GetFrameCallbacks())
        pFrame->OnDocumentLoaded();
    Data_ReportDamage();
    return 1;
}

void CQuillcrestDoc::Data_ReportDamage()
{
    if (m_damagedNodes.empty() && m_dwDamagedSections == 0)
        return;

    CString strText;
    const size_t nNodes = m_damagedNodes.size();
    if (nNodes == 1)
        strText = AfxLoadText(IDS_QLC_DAMAGED_NODE);
    else if (nNodes > 1)
        strText.Format(AfxLoadText(IDS_QLC_DAMAGED_NODES), (unsigned long)nNodes);
    for (size_t i = 0; i < nNodes && i < kMaxDamagedListed; ++i)
        strText += "\n    " + Data_GetNodePath(m_damagedNodes[i]);
    if (nNodes > kMaxDamagedListed)
    {
        CString strMore;
        strMore.Format(AfxLoadText(IDS_QLC_DAMAGED_MORE), (unsigned long)(nNodes - kMaxDamagedListed));
        strText += "\n    " + strMore;
    }

    if (m_dwDamagedSections != 0)
    {
        if (!strText.IsEmpty())
            strText += "\n\n";
        strText += AfxLoadText(IDS_QLC_DAMAGED_SECTIONS);
        static const struct
        {
            DWORD dwBit;
            UINT nId;
        } kSections[] = {
            { damagedLogo, IDS_QLC_DAMAGED_LOGO },
            { damagedBookmarks, IDS_QLC_DAMAGED_BOOKMARKS },
            { damagedKeywords, IDS_QLC_DAMAGED_KEYWORDS },
            { damagedSectionTable, IDS_QLC_DAMAGED_SECTION_TABLE },
            { damagedTasks, IDS_QLC_DAMAGED_TASKS },
        };
        for (const auto& section : kSections)
        {
            if (m_dwDamagedSections & section.dwBit)
                strText += "\n    " + AfxLoadText(section.nId);
        }
    }
    strText += "\n\n";
    strText += AfxLoadText(IDS_QLC_DAMAGED_REST);
    QlcPrompts().MessageBox(GetMessageOwner(TRUE), strText, AfxLoadText(IDS_QLC_CAPTION_DAMAGED),
                            MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING);
}

void CQuillcrestDoc::Data_ReadHeader(CQlcFileReader& reader)
{
    QLCFILEHEADER& h = m_header;
    h.dwVersion = reader.ReadU32();
    ReadSystemTime(reader, h.stCreated);
    ReadSystemTime(reader, h.stModified);
    h.dwNodeCount = reader.ReadU32();
    h.dwLogoOffset = reader.ReadU32();
    h.dwLogoLength = reader.ReadU32();
    h.dwReserved1 = reader.ReadU32();
    h.dwBookmarkOffset = reader.ReadU32();
    h.dwFileFlags = reader.ReadU32();
    h.dwSectionTableOffset = reader.ReadU32();
    h.dwReserved2 = reader.ReadU32();
    h.wSortOption1 = reader.ReadU16();
    h.wSortOption2 = reader.ReadU16();
    h.dwKeywordOffset = reader.ReadU32();

    // Fields that older versions did not have.
    if (h.dwVersion < 3)
        h.wSortOption1 = h.wSortOption2 = 0;
    if (h.dwVersion < 5)
        h.dwKeywordOffset = 0;
    if (h.dwVersion < 6)
        h.dwSectionTableOffset = 0;
}

void CQuillcrestDoc::Data_ReadNodes(CQlcFileReader& reader)
{
    const BOOL bReserved = m_header.dwVersion >= 6;
    const DWORD dwRecordSize = bReserved ? QLC_NODE_RECORD_SIZE : QLC_NODE_RECORD_SIZE_V5;

    // Each record takes at least its fixed part and a NUL: a count the file
    // cannot hold is damage, not a reason to allocate.
    reader.Require((ULONGLONG)m_header.dwNodeCount * (dwRecordSize + 1));
    const ULONGLONG ullFileLength = reader.GetLength();
    // The last record read under an id decides whether that node is damaged.
    std::map<DWORD, bool> damagedById;

    for (DWORD i = 0; i < m_header.dwNodeCount; ++i)
    {
        QLCNODE node;
        node.dwDataOffset = reader.ReadU32();
        node.nType = reader.ReadByte();
        node.bSpare = reader.ReadByte();
        node.wIcon = reader.ReadU16();
        node.dwNodeId = reader.ReadU32();
        node.dwParentId = reader.ReadU32();
        node.dwFlags = reader.ReadU32();
        node.dwStoredSize = reader.ReadU32();
        node.dwPlainSize = reader.ReadU32();
        node.dwKeyLength = reader.ReadU32();
        node.dwHashId = reader.ReadU32();
        node.dwCipherId = reader.ReadU32();
        node.dwVerifierLength = reader.ReadU32();
        if (bReserved)
        {
            for (DWORD& dw : node.dwReserved)
                dw = reader.ReadU32();
        }
        node.strName = reader.ReadString();

        if (node.nType == QLC_NODE_FOLDER)
            node.wIcon = 3;
        node.bPasswordKnown = FALSE;
        node.strPassword.Empty();

        // A payload the file does not hold whole cannot be read: the node
        // reads as damaged, and what the file does hold of it is kept as it
        // is (a save copies it), so that nothing more is lost.
        const bool bPastTheEnd = IsDataType(node.nType) && node.dwStoredSize != 0 &&
                                 (ULONGLONG)node.dwDataOffset + node.dwStoredSize > ullFileLength;
        if (bPastTheEnd)
        {
            CString strLine;
            strLine.Format("WARNING: Node %lu's stored data runs past the end of the file; it is kept unread.",
                           (unsigned long)node.dwNodeId);
            g_log.WriteLine(strLine);
            node.dwStoredSize = node.dwDataOffset < ullFileLength ? (DWORD)(ullFileLength - node.dwDataOffset) : 0;
            if (node.dwStoredSize == 0)
                node.dwPlainSize = 0;
        }
        damagedById[node.dwNodeId] = bPastTheEnd;
        m_mapNodes.SetAt(node.dwNodeId, node);

        QLCDATALOC loc;
        loc.bHasData = (IsDataType(node.nType) && node.dwStoredSize != 0) ? 1 : 0;
        loc.bInWorkFile = 0;
        loc.bTakenOver = 0;
        loc.dwOffset = node.dwDataOffset;
        m_mapDataLocs.SetAt(node.dwNodeId, loc);
    }

    // In id order (the map's), for the lookups while the notebook is open.
    for (const auto& entry : damagedById)
    {
        if (entry.second)
            m_damagedNodes.push_back(entry.first);
    }

    // Ids in the file may be sparse (written by other programs): never hand
    // out one that is taken.
    m_header.dwNodeCount = (DWORD)m_mapNodes.GetCount();
    m_dwNextNodeId = std::max(MaxKey(m_mapNodes), m_header.dwNodeCount) + 1;
}

void CQuillcrestDoc::Data_ReadLogoSection(CQlcFileReader& reader)
{
    m_bHasLogo = FALSE;
    try
    {
        reader.Seek(m_header.dwLogoOffset);
        reader.Require(m_header.dwLogoLength);

        std::vector<BYTE> image;
        CryptoPP::Gunzip gunzip;
        BYTE buf[16384];
        DWORD dwLeft = m_header.dwLogoLength;
        while (dwLeft > 0)
        {
            const UINT n = (UINT)std::min<DWORD>(dwLeft, sizeof(buf));
            reader.Read(buf, n);
            gunzip.Put(buf, n);
            dwLeft -= n;
            if (gunzip.MaxRetrievable() > kMaxLogoBytes)
                throw CFileException(CFileException::invalidFile, ERROR_FILE_CORRUPT);
        }
        gunzip.MessageEnd();
        const size_t nSize = (size_t)gunzip.MaxRetrievable();
        if (nSize == 0 || nSize > kMaxLogoBytes)
            throw CFileException(CFileException::invalidFile, ERROR_FILE_CORRUPT);
        image.resize(nSize);
        gunzip.Get(image.data(), nSize);
        m_bHasLogo = DecodeLogo(image.data(), image.size());
    }
    catch (CFileException&)
    {
        g_log.WriteLine("WARNING: The notebook logo could not be read; the notebook has no logo.");
    }
    catch (CryptoPP::Exception&)
    {
        g_log.WriteLine("WARNING: The notebook logo is damaged; the notebook has no logo.");
    }
    catch (std::bad_alloc&)
    {
        g_log.WriteLine("WARNING: The notebook logo is too large; the notebook has no logo.");
    }
    if (!m_bHasLogo)
        m_dwDamagedSections |= damagedLogo;
}

BOOL CQuillcrestDoc::DecodeLogo(const BYTE* pData, size_t nSize)
{
    if (nSize > (size_t)INT_MAX)
        return FALSE;
    try
    {
        PLAnyPicDecoder decoder;
        decoder.DecodeMemory(pData, (int)nSize, &m_logo);
        return TRUE;
    }
    catch (PLTextException& e)
    {
        CString strLine;
        strLine.Format("WARNING: The notebook logo could not be decoded (image error %d); the notebook has no logo.",
                       e.GetCode());
        g_log.WriteLine(strLine);
        return FALSE;
    }
}

void CQuillcrestDoc::Data_ReadBookmarks(CQlcFileReader& reader)
{
    try
    {
        reader.Seek(m_header.dwBookmarkOffset);
        const DWORD dwCount = reader.ReadU32();
        reader.Skip(8);
        reader.Require((ULONGLONG)dwCount * 17);

        for (DWORD i = 0; i < dwCount; ++i)
        {
            QLCBOOKMARK bookmark;
            bookmark.dwBookmarkId = reader.ReadU32();
            bookmark.dwKept1 = reader.ReadU32();
            bookmark.dwKept2 = reader.ReadU32();
            bookmark.dwNodeId = reader.ReadU32();
            bookmark.strName = reader.ReadString();
            m_mapBookmarks.SetAt(bookmark.dwBookmarkId, bookmark);
        }
    }
    catch (CFileException&)
    {
        g_log.WriteLine("WARNING: The bookmark section is damaged; bookmarks after the damage were skipped.");
        m_dwDamagedSections |= damagedBookmarks;
    }
    if (!m_mapBookmarks.IsEmpty())
        m_dwNextBookmarkId = std::max(MaxKey(m_mapBookmarks), (DWORD)m_mapBookmarks.GetCount()) + 1;
}

void CQuillcrestDoc::Data_ReadKeywords(CQlcFileReader& reader)
{
    m_mapKeywords.RemoveAll();
    try
    {
        reader.Seek(m_header.dwKeywordOffset);
        const DWORD dwKeywordCount = reader.ReadU32();
        const DWORD dwListCount = reader.ReadU32();
        reader.Skip(8);
        reader.Require((ULONGLONG)dwKeywordCount * 5 + (ULONGLONG)dwListCount * 8);

        for (DWORD i = 0; i < dwKeywordCount; ++i)
        {
            const DWORD dwId = reader.ReadU32();
            m_mapKeywords.SetAt(dwId, reader.ReadString());
        }
        for (DWORD i = 0; i < dwListCount; ++i)
        {
            QLCNODE_KEYWORDS keywords;
            keywords.dwNodeId = reader.ReadU32();
            const DWORD n = reader.ReadU32();
            reader.Require((ULONGLONG)n * 4);
            keywords.keywordIds.resize(n);
            for (DWORD& dwId : keywords.keywordIds)
                dwId = reader.ReadU32();
            m_mapNodeKeywords.SetAt(keywords.dwNodeId, keywords);
        }
    }
    catch (CFileException&)
    {
        g_log.WriteLine("WARNING: The keyword section is damaged; keywords after the damage were skipped.");
        m_dwDamagedSections |= damagedKeywords;
    }
    // Loaded ids may be sparse: a new keyword must not take one of them.
    if (!m_mapKeywords.IsEmpty())
        m_dwNextKeywordId = MaxKey(m_mapKeywords) + 1;
}

void CQuillcrestDoc::Data_ReadSectionTable(CQlcFileReader& reader)
{
    try
    {
        reader.Seek(m_header.dwSectionTableOffset);
        m_sectionTable.dwTaskOffset = reader.ReadU32();
        for (DWORD& dw : m_sectionTable.dwReserved)
            dw = reader.ReadU32();
    }
    catch (CFileException&)
    {
        g_log.WriteLine("WARNING: The section table is damaged; tasks were not read.");
        m_sectionTable = QLCSECTIONTABLE();
        m_dwDamagedSections |= damagedSectionTable;
    }
}

void CQuillcrestDoc::Data_ReadTasks(CQlcFileReader& reader)
{
    try
    {
        reader.Seek(m_sectionTable.dwTaskOffset);
        const DWORD dwCount = reader.ReadU32();
        reader.Skip(12);
        reader.Require((ULONGLONG)dwCount * 41);

        for (DWORD i = 0; i < dwCount; ++i)
        {
            QLCTASK task;
            task.dwTaskId = reader.ReadU32();
            task.strTitle = reader.ReadString();
            task.dwFlags = reader.ReadU32();
            task.lCreated = reader.ReadI32();
            task.lStart = reader.ReadI32();
            task.lDue = reader.ReadI32();
            task.nPriority = reader.ReadByte();
            task.bKept1 = reader.ReadByte();
            task.bKept2 = reader.ReadByte();
            task.lKept3 = reader.ReadI32();
            task.dwLinkedNodeId = reader.ReadU32();
            task.lKept4 = reader.ReadI32();
            task.lKept5 = reader.ReadI32();
            task.strNotes = reader.ReadString();
            m_mapTasks.SetAt(task.dwTaskId, task);
        }
    }
    catch (CFileException&)
    {
        g_log.WriteLine("WARNING: The task section is damaged; tasks after the damage were skipped.");
        m_dwDamagedSections |= damagedTasks;
    }

    m_dwNextTaskId = std::max(MaxKey(m_mapTasks), (DWORD)m_mapTasks.GetCount()) + 1;
}

// --- Writing ------------------------------------------------------------------

void CQuillcrestDoc::Data_WriteHeader(CQlcFileWriter& writer)
{
    const QLCFILEHEADER& h = m_header;
    writer.WriteU32(h.dwVersion);
    WriteSystemTime(writer, h.stCreated);
    WriteSystemTime(writer, h.stModified);
    writer.WriteU32(h.dwNodeCount);
    writer.WriteU32(h.dwLogoOffset);
    writer.WriteU32(h.dwLogoLength);
    writer.WriteU32(h.dwReserved1);
    writer.WriteU32(h.dwBookmarkOffset);
    writer.WriteU32(h.dwFileFlags);
    writer.WriteU32(h.dwSectionTableOffset);
    writer.WriteU32(h.dwReserved2);
    writer.WriteU16(h.wSortOption1);
    writer.WriteU16(h.wSortOption2);
    writer.WriteU32(h.dwKeywordOffset);
}

void CQuillcrestDoc::Data_WriteSectionTable(CQlcFileWriter& writer)
{
    writer.WriteU32(m_sectionTable.dwTaskOffset);
    for (DWORD dw : m_sectionTable.dwReserved)
        writer.WriteU32(dw);
}

void CQuillcrestDoc::Data_WriteKeywords(CQlcFileWriter& writer, const CIdMap& mapNewIds)
{
    // A list whose node no longer exists is dropped: written with node 0 it
    // would merge with others like it on the next read.
    DWORD dwListCount = 0;
    for (POSITION pos = m_mapNodeKeywords.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwNodeId;
        QLCNODE_KEYWORDS keywords;
        m_mapNodeKeywords.GetNextAssoc(pos, dwNodeId, keywords);
        if (NewNodeNumber(mapNewIds, keywords.dwNodeId) != 0)
            ++dwListCount;
    }

    writer.WriteU32((DWORD)m_mapKeywords.GetCount());
    writer.WriteU32(dwListCount);
    writer.WriteU32(0);
    writer.WriteU32(0);

    POSITION pos = m_mapKeywords.GetStartPosition();
    while (pos != nullptr)
    {
        DWORD dwId;
        CString strText;
        m_mapKeywords.GetNextAssoc(pos, dwId, strText);
        writer.WriteU32(dwId);
        writer.WriteString(strText);
    }
    pos = m_mapNodeKeywords.GetStartPosition();
    while (pos != nullptr)
    {
        DWORD dwNodeId;
        QLCNODE_KEYWORDS keywords;
        m_mapNodeKeywords.GetNextAssoc(pos, dwNodeId, keywords);
        const DWORD dwNewNodeId = NewNodeNumber(mapNewIds, keywords.dwNodeId);
        if (dwNewNodeId == 0)
            continue;
        writer.WriteU32(dwNewNodeId);
        writer.WriteU32(keywords.GetCount());
        for (DWORD dwKeywordId : keywords.keywordIds)
            writer.WriteU32(dwKeywordId);
    }
}

void CQuillcrestDoc::Data_WriteTasks(CQlcFileWriter& writer, const CIdMap& mapNewIds)
{
    writer.WriteU32((DWORD)m_mapTasks.GetCount());
    writer.WriteU32(0);
    writer.WriteU32(0);
    writer.WriteU32(0);

    DWORD dwNewId = 0;
    POSITION pos = m_mapTasks.GetStartPosition();
    while (pos != nullptr)
    {
        DWORD dwId;
        QLCTASK task;
        m_mapTasks.GetNextAssoc(pos, dwId, task);

        DWORD dwFlags = task.dwFlags;
        DWORD dwLinked = 0;
        if (dwFlags & QLC_TASKFLAG_LINKED)
        {
            dwLinked = NewNodeNumber(mapNewIds, task.dwLinkedNodeId);
            if (dwLinked == 0)
                dwFlags &= ~QLC_TASKFLAG_LINKED; // its node is gone
        }

        writer.WriteU32(dwNewId++);
        writer.WriteString(task.strTitle);
        writer.WriteU32(dwFlags);
        writer.WriteI32(task.lCreated);
        writer.WriteI32(task.lStart);
        writer.WriteI32(task.lDue);
        writer.WriteByte(task.nPriority);
        writer.WriteByte(task.bKept1);
        writer.WriteByte(task.bKept2);
        writer.WriteI32(task.lKept3);
        writer.WriteU32(dwLinked);
        writer.WriteI32(task.lKept4);
        writer.WriteI32(task.lKept5);
        writer.WriteString(task.strNotes);
    }
}

BOOL CQuillcrestDoc::Data_WriteFile()
{
    CQlcDocLock::CScoped lock(m_lock);
    g_log.WriteLine("Writing notebook file...");
    g_log.Indent();
    m_nWriteFailure = 0;
    BOOL bResult = FALSE;
    try
    {
        bResult = Data_WriteFileInner();
    }
    catch (...)
    {
        g_log.Outdent();
        g_log.WriteLine("Writing notebook file FAILED (file error).");
        throw;
    }
    g_log.Outdent();
    g_log.WriteLine(bResult ? "Notebook file written." : "Writing notebook file FAILED.");
    return bResult;
}

void CQuillcrestDoc::Data_WritePlain(CQlcFileWriter& writer, const QLCFILEHEADER& oldHeader)
{
    WriteMagic(writer, QLC_MAGIC_PLAIN);
    const DWORD dwHeaderPos = writer.GetPosition();
    GetSystemTime(&m_header.stModified);
    m_header.dwNodeCount = (DWORD)m_mapNodes.GetCount();
    Data_WriteHeader(writer);

    // The nodes in table order, numbered 1, 2, 3 ... in that order.
    std::vector<std::pair<DWORD, QLCNODE>> nodes;
    nodes.reserve((size_t)m_mapNodes.GetCount());
    CIdMap mapNewIds;
    for (POSITION pos = m_mapNodes.GetStartPosition(); pos != nullptr;)
    {
        nodes.emplace_back();
        m_mapNodes.GetNextAssoc(pos, nodes.back().first, nodes.back().second);
        mapNewIds.SetAt(nodes.back().first, (DWORD)nodes.size());
    }

    // Payloads follow the node table in its order, so every record can be
    // written with its payload's final offset at once.
    struct CPayload
    {
        DWORD dwNodeId;
        DWORD dwStoredSize;
        QLCDATALOC loc;
        DWORD dwNewOffset;
    };
    std::vector<CPayload> payloads;
    std::vector<BOOL> carries(nodes.size(), FALSE);
    ULONGLONG ullNext = writer.GetPosition();
    for (size_t i = 0; i < nodes.size(); ++i)
    {
        const QLCNODE& node = nodes[i].second;
        ullNext += QLC_NODE_RECORD_SIZE + strlen(node.strName) + 1;
        QLCDATALOC loc = {};
        if (IsDataType(node.nType) && m_mapDataLocs.Lookup(nodes[i].first, loc) && loc.bHasData)
        {
            payloads.push_back({ nodes[i].first, node.dwStoredSize, loc, 0 });
            carries[i] = TRUE;
        }
    }

    size_t iPayload = 0;
    for (size_t i = 0; i < nodes.size(); ++i)
    {
        const DWORD dwId = nodes[i].first;
        const QLCNODE& node = nodes[i].second;
        DWORD dwDataOffset = node.dwDataOffset;
        if (carries[i])
        {
            if (ullNext > 0xFFFFFFFFull)
                throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE, writer.GetFileName());
            dwDataOffset = payloads[iPayload].dwNewOffset = (DWORD)ullNext;
            ullNext += payloads[iPayload++].dwStoredSize;
        }
        writer.WriteU32(dwDataOffset);
        writer.WriteByte(node.nType);
        writer.WriteByte(node.bSpare);
        writer.WriteU16(node.wIcon);
        writer.WriteU32(NewNodeNumber(mapNewIds, dwId));
        writer.WriteU32(node.dwParentId != 0 ? NewNodeNumber(mapNewIds, node.dwParentId) : 0);
        writer.WriteU32(node.dwFlags);
        writer.WriteU32(node.dwStoredSize);
        writer.WriteU32(node.dwPlainSize);
        writer.WriteU32(node.dwKeyLength);
        writer.WriteU32(node.dwHashId);
        writer.WriteU32(node.dwCipherId);
        writer.WriteU32(node.dwVerifierLength);
        for (DWORD dw : node.dwReserved)
            writer.WriteU32(dw);
        writer.WriteString(node.strName);
    }
    nodes.clear();

    // Payloads, copied from where they lie now. Those that lie one after
    // another in the same file (all of them after a save) go as one run of
    // up to a block, so a notebook of many small notes costs few reads.
    for (size_t i = 0; i < payloads.size();)
    {
        const CPayload& first = payloads[i];
        const HANDLE hFrom = first.loc.bInWorkFile ? m_hWorkFile : m_hSourceFile;
        const CString& strFrom = first.loc.bInWorkFile ? m_strWorkPath : m_strSourcePath;
        size_t iEnd = i + 1;
        ULONGLONG ullRun = first.dwStoredSize;
        while (iEnd < payloads.size() && payloads[iEnd].loc.bInWorkFile == first.loc.bInWorkFile &&
               payloads[iEnd].loc.dwOffset == first.loc.dwOffset + ullRun &&
               ullRun + payloads[iEnd].dwStoredSize <= kSaveBlock)
            ullRun += payloads[iEnd++].dwStoredSize;

        if (hFrom == INVALID_HANDLE_VALUE && ullRun != 0)
            throw CFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, strFrom);
        if (writer.GetPosition() != first.dwNewOffset)
            throw CFileException(CFileException::genericException, ERROR_INVALID_DATA, writer.GetFileName());
        if (ullRun != 0)
            writer.CopyFrom(hFrom, strFrom, first.loc.dwOffset, (DWORD)ullRun);
        for (; i < iEnd; ++i)
        {
            const QLCDATALOC newLoc = { 1, 0, 0, payloads[i].dwNewOffset };
            m_mapDataLocs.SetAt(payloads[i].dwNodeId, newLoc);
            QlcFileProbeStep(IQlcFileProbe::stepPayloadCopied);
        }
    }

    // Logo
    if (!m_bHasLogo)
    {
        m_header.dwLogoOffset = 0;
        m_header.dwLogoLength = 0;
    }
    else if (m_dwNewLogoLength != 0)
    {
        m_header.dwLogoOffset = writer.GetEnd();
        writer.CopyFrom(m_hWorkFile, m_strWorkPath, m_dwNewLogoOffset, m_dwNewLogoLength);
        m_header.dwLogoLength = m_dwNewLogoLength;
    }
    else
    {
        m_header.dwLogoOffset = writer.GetEnd();
        writer.CopyFrom(m_hSourceFile, m_strSourcePath, oldHeader.dwLogoOffset, oldHeader.dwLogoLength);
        m_header.dwLogoLength = oldHeader.dwLogoLength;
    }

    // Bookmarks, numbered from 0 in table order.
    m_header.dwBookmarkOffset = writer.GetEnd();
    writer.WriteU32((DWORD)m_mapBookmarks.GetCount());
    writer.WriteU32(0);
    writer.WriteU32(0);
    DWORD dwBookmarkNumber = 0;
    for (POSITION pos = m_mapBookmarks.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCBOOKMARK bookmark;
        m_mapBookmarks.GetNextAssoc(pos, dwId, bookmark);
        writer.WriteU32(dwBookmarkNumber++);
        writer.WriteU32(bookmark.dwKept1);
        writer.WriteU32(bookmark.dwKept2);
        writer.WriteU32(NewNodeNumber(mapNewIds, bookmark.dwNodeId));
        writer.WriteString(bookmark.strName);
    }

    m_header.dwKeywordOffset = writer.GetEnd();
    Data_WriteKeywords(writer, mapNewIds);

    m_header.dwSectionTableOffset = writer.GetEnd();
    Data_WriteSectionTable(writer);

    m_sectionTable.dwTaskOffset = writer.GetEnd();
    Data_WriteTasks(writer, mapNewIds);

    writer.Seek(dwHeaderPos);
    Data_WriteHeader(writer);
    writer.Seek(m_header.dwSectionTableOffset);
    Data_WriteSectionTable(writer);
    writer.Flush();
}

BOOL CQuillcrestDoc::Data_WriteFileInner()
{
    // Everything the write changes in memory, to put back when it fails.
    std::vector<std::pair<DWORD, QLCDATALOC>> savedLocs;
    savedLocs.reserve((size_t)m_mapDataLocs.GetCount());
    for (POSITION pos = m_mapDataLocs.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId;
        QLCDATALOC loc;
        m_mapDataLocs.GetNextAssoc(pos, dwId, loc);
        savedLocs.emplace_back(dwId, loc);
    }
    const QLCFILEHEADER savedHeader = m_header;
    const QLCSECTIONTABLE savedSections = m_sectionTable;
    const QLCCRYPTHEADER savedCrypt = m_cryptHeader;
    auto restore = [&]() {
        for (const auto& entry : savedLocs)
            m_mapDataLocs.SetAt(entry.first, entry.second);
        m_header = savedHeader;
        m_sectionTable = savedSections;
        m_cryptHeader = savedCrypt;
        // Under Save As the notebook path names the file that was not written.
        if (m_hNotebookFile != INVALID_HANDLE_VALUE && !m_strNotebookHandlePath.IsEmpty())
            m_strNotebookPath = m_strNotebookHandlePath;
    };

    // The plain file: for a plain notebook beside it, so that it replaces it
    // by a rename; for an encrypted one in the temporary folder, where it
    // becomes the decrypted copy. Neither survives the program dying.
    const BOOL bEncrypted = IsEncryptedNotebook();
    CQlcTempFile plainFile;
    CQlcTempFile cipherFile;
    const BOOL bCreated =
        bEncrypted ? plainFile.CreateInTempFolder(FILE_SHARE_READ) : plainFile.CreateBeside(m_strNotebookPath);
    if (!bCreated)
    {
        g_log.WriteLine("WARNING: A file to save the notebook to could not be created.");
        m_nWriteFailure = IDS_QLC_SAVE_NO_TEMP_FILE;
        return FALSE;
    }
    QlcFileProbeStep(IQlcFileProbe::stepFilesCreated);
    auto discardTemps = [&]() {
        // The plain file of an encrypted notebook holds it in plain text.
        plainFile.Discard(bEncrypted);
        cipherFile.Discard(FALSE);
    };

    try
    {
        CQlcFileWriter writer(plainFile.GetHandle(), plainFile.GetPath(), kSaveBlock);
        Data_WritePlain(writer, savedHeader);
        QlcFileProbeStep(IQlcFileProbe::stepPlainWritten);
        // The plain file of a plain notebook is the notebook from now on;
        // that of an encrypted one is only ever a copy.
        if (!bEncrypted && !FlushFileBuffers(plainFile.GetHandle()))
            CFileException::ThrowOsError((LONG)GetLastError(), plainFile.GetPath());

        if (bEncrypted && !Data_EncipherFile(plainFile, cipherFile))
        {
            // No encryptor: the target is not touched.
            g_log.WriteLine("WARNING: The notebook could not be enciphered; it was not saved.");
            if (m_nWriteFailure == 0)
                m_nWriteFailure = IDS_QLC_SAVE_NOT_ENCIPHERED;
            discardTemps();
            restore();
            return FALSE;
        }
    }
    catch (CFileException& e)
    {
        if (e.m_lOsError == ERROR_FILE_TOO_LARGE)
            g_log.WriteLine("WARNING: The notebook would be larger than 4 GB; it was not saved.");
        discardTemps();
        restore();
        throw;
    }
    catch (...)
    {
        discardTemps();
        restore();
        throw;
    }

    // The notebook must be closed to be replaced; remember how to reopen it.
    const BOOL bHadNotebook = m_hNotebookFile != INVALID_HANDLE_VALUE;
    const BOOL bSourceIsNotebook = m_hSourceFile == m_hNotebookFile;
    if (bHadNotebook)
        CloseHandle(m_hNotebookFile);
    m_hNotebookFile = INVALID_HANDLE_VALUE;
    if (bSourceIsNotebook)
        m_hSourceFile = INVALID_HANDLE_VALUE;

    CQlcTempFile& newFile = bEncrypted ? cipherFile : plainFile;
    if (!newFile.ReplaceTarget(m_strNotebookPath))
    {
        g_log.WriteLine("WARNING: The saved notebook could not replace the file; the file was left as it was.");
        m_nWriteFailure = IDS_QLC_SAVE_NOT_REPLACED;
        discardTemps();
        restore();
        if (bHadNotebook)
        {
            // Back to the file the notebook was open on: under Save As the
            // notebook path already names the file that was not written.
            m_strNotebookPath = m_strNotebookHandlePath;
            // Whoever blocked the replace may also hold the file open: the
            // payloads must stay readable, so settle for shared reading.
            if (!Data_OpenNotebookHandle(m_strNotebookPath, m_dwNotebookAccess, m_dwNotebookShare, OPEN_EXISTING) &&
                !Data_OpenNotebookHandle(m_strNotebookPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING))
                g_log.WriteLine("WARNING: The notebook file could not be opened again after a failed save.");
            if (bSourceIsNotebook)
                m_hSourceFile = m_hNotebookFile;
        }
        return FALSE;
    }
    QlcFileProbeStep(IQlcFileProbe::stepTargetReplaced);

    // The previous decrypted copy gives way to the new plain file.
    if (!bSourceIsNotebook && m_hSourceFile != INVALID_HANDLE_VALUE)
        Data_DiscardDecryptedCopy();

    if (!Data_OpenNotebookHandle(m_strNotebookPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING))
        g_log.WriteLine("WARNING: The saved notebook could not be opened again.");

    if (!bEncrypted)
    {
        m_hSourceFile = m_hNotebookFile;
        m_strSourcePath = m_strNotebookPath;
    }
    else
    {
        // Still open as it was made, so it goes with its handle whatever happens.
        m_strSourcePath = plainFile.GetPath();
        m_hSourceFile = plainFile.Detach();
    }
    return TRUE;
}

DWORD CQuillcrestDoc::GetWipeBlockSize(LPCSTR lpszPathName)
{
    return CQlcTempFile::GetSectorSize(lpszPathName);
}

BOOL CQuillcrestDoc::WipeFile(LPCSTR lpszPathName)
{
    const DWORD dwBlock = GetWipeBlockSize(lpszPathName);
    HANDLE h = CreateFileA(lpszPathName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    const BOOL bResult = CQlcTempFile::Wipe(h, dwBlock);
    CloseHandle(h);
    return bResult;
}
