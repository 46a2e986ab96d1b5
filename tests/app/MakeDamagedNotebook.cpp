// Writes a notebook whose notes' stored payloads are damaged in the ways a
// disk or another program damages them, beside one intact note, by the
// program's own notebook core; and checks afterwards that the program left
// every damaged payload's stored bytes as they were.
//
//   qlcdamagednotebook <notebook path>           writes the notebook
//   qlcdamagednotebook --check <notebook path>   checks the stored bytes
//
// The damaged notes: "Bad bytes" (bytes that are no gzip, said to be
// compressed), "Impossible size" (a plain size no stored payload of its
// length can give), "Zero size" (compressed text said to be empty), "Short
// size" (a plain size smaller than the text) and "Past the end" (a stored
// size that runs past the end of the file). Exit status 0 when the notebook
// was written, or when every damaged note still holds its stored bytes
// (for "Past the end": the bytes begin with its payload); 1 otherwise.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"
#include "core/IQlcPrompts.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// What the core would tell a user goes to the standard error instead.
class CPrintedPrompts : public IQlcPrompts
{
public:
    int MessageBox(HWND, LPCSTR lpszText, LPCSTR, UINT) override
    {
        fprintf(stderr, "qlcdamagednotebook: the notebook says: %s\n", lpszText);
        return IDOK;
    }
    int FrameworkMessageBox(LPCSTR lpszText, UINT nType) override { return MessageBox(nullptr, lpszText, "", nType); }
    BOOL AskPassword(CString&) override { return FALSE; }
};

const char kIntact[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 This note reads as it was written.\\par}";
const char kLost[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 Years of notes that must not be lost.\\par}";

struct CDamage
{
    const char* name;
    BOOL bCompress;      // stored compressed by the core
    DWORD dwFlags;       // record flags afterwards
    DWORD dwPlainSize;   // record plain size afterwards (0xFFFFFFFF: keep)
};

const DWORD kKeep = 0xFFFFFFFF;
const char kPastTheEnd[] = "Past the end";
const CDamage kDamages[] = {
    { "Bad bytes", FALSE, QLC_NODEFLAG_COMPRESSED, 5000 },
    { "Impossible size", TRUE, QLC_NODEFLAG_COMPRESSED, 0x7FFFFFF0 },
    { "Zero size", TRUE, QLC_NODEFLAG_COMPRESSED, 0 },
    { "Short size", TRUE, QLC_NODEFLAG_COMPRESSED, 20 },
    { kPastTheEnd, TRUE, QLC_NODEFLAG_COMPRESSED, kKeep },
};
// Where a node record's stored size lies after its data offset.
const size_t kStoredSizeInRecord = 20;

BOOL AddNote(CQuillcrestDoc& doc, LPCSTR lpszName, LPCSTR lpszRtf, BOOL bCompress, DWORD& dwId)
{
    CQlcNode node;
    if (!node.Create(&doc, QLC_NODE_NOTE, lpszName, 0))
        return FALSE;
    dwId = node.GetId();
    CQlcNodeData* pData = node.GetDataForWrite(bCompress);
    if (pData == nullptr)
        return FALSE;
    pData->Put((const BYTE*)lpszRtf, (UINT)strlen(lpszRtf));
    return pData->Flush();
}

DWORD FindNode(CQuillcrestDoc& doc, LPCSTR lpszName)
{
    CQlcDocLock::CScoped lock(doc.GetLock());
    const CQlcNodeMap& nodes = doc.GetNodeTable(lock);
    for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        if (node.strName == lpszName)
            return dwId;
    }
    return 0;
}

// A node's stored bytes, as the file holds them.
BOOL ReadStored(CQuillcrestDoc& doc, DWORD dwId, std::string& bytes)
{
    QLCNODE node;
    QLCDATALOC loc = {};
    if (!doc.Data_GetNode(dwId, node) || !doc.Data_GetDataLoc(dwId, loc) || !loc.bHasData)
        return FALSE;
    const HANDLE hFile = loc.bInWorkFile ? doc.Data_GetWorkHandle() : doc.Data_GetSourceHandle();
    LARGE_INTEGER li;
    li.QuadPart = loc.dwOffset;
    if (!SetFilePointerEx(hFile, li, nullptr, FILE_BEGIN))
        return FALSE;
    bytes.assign(node.dwStoredSize, '\0');
    DWORD dwRead = 0;
    return node.dwStoredSize == 0 ||
           (ReadFile(hFile, &bytes[0], node.dwStoredSize, &dwRead, nullptr) && dwRead == node.dwStoredSize);
}

// What each damaged note's stored bytes are: made again the same way.
BOOL ExpectedStored(std::vector<std::string>& expected)
{
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
        return FALSE;
    for (const CDamage& damage : kDamages)
    {
        DWORD dwId = 0;
        std::string bytes;
        if (!AddNote(doc, damage.name, kLost, damage.bCompress, dwId) || !ReadStored(doc, dwId, bytes))
            return FALSE;
        expected.push_back(bytes);
    }
    return TRUE;
}

int Check(LPCSTR lpszPath);

void PutU32(std::string& bytes, size_t nAt, DWORD dw)
{
    for (int i = 0; i < 4; i++)
        bytes[nAt + i] = (char)((dw >> (8 * i)) & 0xFF);
}

DWORD GetU32(const std::string& bytes, size_t nAt)
{
    DWORD dw = 0;
    for (int i = 3; i >= 0; i--)
        dw = (dw << 8) | (BYTE)bytes[nAt + i];
    return dw;
}

// Makes the stored size in the record of "Past the end" run past the end
// of the file (the record is found by its data offset, type and id).
BOOL SizePastTheEnd(LPCSTR lpszPath)
{
    DWORD dwId = 0, dwOffset = 0;
    {
        CQuillcrestDoc doc;
        QLCNODE node;
        if (!doc.Data_OpenNotebookFile(lpszPath) || doc.Data_ReadFile() != 1 ||
            (dwId = FindNode(doc, kPastTheEnd)) == 0 || !doc.Data_GetNode(dwId, node))
            return FALSE;
        dwOffset = node.dwDataOffset;
    }
    FILE* f = fopen(lpszPath, "rb");
    if (f == nullptr)
        return FALSE;
    std::string bytes;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof(buf), f)) != 0;)
        bytes.append(buf, n);
    fclose(f);
    size_t nFound = 0, nAt = 0;
    for (size_t i = 0; i + kStoredSizeInRecord + 4 <= bytes.size(); i++)
    {
        if (GetU32(bytes, i) == dwOffset && (BYTE)bytes[i + 4] == QLC_NODE_NOTE && GetU32(bytes, i + 8) == dwId)
        {
            nAt = i;
            nFound++;
        }
    }
    if (nFound != 1)
        return FALSE;
    PutU32(bytes, nAt + kStoredSizeInRecord, (DWORD)bytes.size());
    f = fopen(lpszPath, "wb");
    if (f == nullptr)
        return FALSE;
    const BOOL bWritten = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && bWritten;
}

int Make(LPCSTR lpszPath)
{
    {
        // The notebook lets go of its file when it goes.
        CQuillcrestDoc doc;
        DWORD dwId = 0;
        if (!doc.OnNewDocument() || !AddNote(doc, "Intact", kIntact, TRUE, dwId))
            return 1;
        for (const CDamage& damage : kDamages)
        {
            if (!AddNote(doc, damage.name, kLost, damage.bCompress, dwId))
                return 1;
            QLCNODE record;
            doc.Data_GetNode(dwId, record);
            record.dwFlags = damage.dwFlags;
            if (damage.dwPlainSize != kKeep)
                record.dwPlainSize = damage.dwPlainSize;
            doc.Data_SetNode(dwId, record);
        }
        if (!doc.OnSaveDocument(lpszPath))
            return 1;
    }
    if (!SizePastTheEnd(lpszPath))
        return 1;
    return Check(lpszPath);
}

int Check(LPCSTR lpszPath)
{
    std::vector<std::string> expected;
    if (!ExpectedStored(expected))
    {
        fprintf(stderr, "qlcdamagednotebook: the expected bytes could not be made\n");
        return 1;
    }
    CQuillcrestDoc doc;
    if (!doc.Data_OpenNotebookFile(lpszPath) || doc.Data_ReadFile() != 1)
    {
        fprintf(stderr, "qlcdamagednotebook: %s does not read as a notebook\n", lpszPath);
        return 1;
    }
    int nFailed = 0;
    for (size_t i = 0; i < sizeof(kDamages) / sizeof(kDamages[0]); ++i)
    {
        const char* lpszName = kDamages[i].name;
        std::string bytes;
        const DWORD dwId = FindNode(doc, lpszName);
        if (dwId == 0 || !ReadStored(doc, dwId, bytes))
        {
            fprintf(stderr, "qlcdamagednotebook: \"%s\" has no stored bytes any more\n", lpszName);
            nFailed++;
        }
        else if (strcmp(lpszName, kPastTheEnd) == 0 ? bytes.compare(0, expected[i].size(), expected[i]) != 0
                                                    : bytes != expected[i])
        {
            fprintf(stderr, "qlcdamagednotebook: \"%s\" holds %u other bytes than the %u it was given\n", lpszName,
                    (unsigned)bytes.size(), (unsigned)expected[i].size());
            nFailed++;
        }
        else
        {
            printf("qlcdamagednotebook: \"%s\" keeps its %u stored bytes\n", lpszName, (unsigned)bytes.size());
        }
    }
    return nFailed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const BOOL bCheck = argc == 3 && strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !bCheck)
    {
        fprintf(stderr, "usage: qlcdamagednotebook [--check] <notebook path>\n");
        return 2;
    }
    CPrintedPrompts prompts;
    QlcSetPrompts(&prompts);
    try
    {
        if (bCheck)
            return Check(argv[2]);
        const int nResult = Make(argv[1]);
        if (nResult != 0)
            fprintf(stderr, "qlcdamagednotebook: %s could not be written\n", argv[1]);
        return nResult;
    }
    catch (...)
    {
        fprintf(stderr, "qlcdamagednotebook: failed\n");
        return 1;
    }
}
