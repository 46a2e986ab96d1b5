// Makes what the import end-to-end test imports, and checks what the program
// saved, with the project's own notebook code.
//
//   qlcimportcheck make <notebook> <folder> <notes> <files>
//       a notebook of <notes> notes of some 40 KB of text with "apple" in
//       each, in folders of 20; and <files> files of 10 bytes to 1 MB of
//       mixed bytes in <folder> (made afresh from a fixed seed)
//   qlcimportcheck check <notebook> <folder> <notes>
//       the notebook holds every file of <folder> as one foreign-data node
//       named after it, byte for byte, and its <notes> notes unchanged
//
// Exit status 0 when all holds, 1 when something does not, 2 on bad use or
// an unreadable notebook.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

typedef std::vector<BYTE> Bytes;

std::string NoteText(int nNote)
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ";
    while (rtf.size() < 40000)
        rtf += "Tree " + std::to_string(nNote) + " in the orchard bears an apple every year, and pears. ";
    return rtf + "\\par}";
}

Bytes FileBytes(std::mt19937& rng, int nFile)
{
    // Sizes spread over their magnitude, the smallest and largest once each.
    size_t nSize = (size_t)std::pow(10.0, 1.0 + 5.0 * (double)(rng() % 10001) / 10000.0);
    if (nFile == 0)
        nSize = 10;
    else if (nFile == 1)
        nSize = 1024 * 1024;
    nSize = std::min<size_t>(nSize, 1024 * 1024);
    Bytes bytes(nSize);
    for (size_t i = 0; i < nSize;)
    {
        const size_t nRun = std::min<size_t>(nSize - i, 1 + rng() % 48);
        const BYTE b = (BYTE)rng();
        const bool bNoise = rng() % 2 == 0;
        for (size_t k = 0; k < nRun; ++k)
            bytes[i++] = bNoise ? (BYTE)rng() : b;
    }
    return bytes;
}

std::string FileName(int nFile)
{
    char sz[32];
    std::snprintf(sz, sizeof(sz), "part%03d.bin", nFile);
    return sz;
}

Bytes ReadAll(LPCSTR lpszPath)
{
    Bytes bytes;
    FILE* f = std::fopen(lpszPath, "rb");
    if (f == nullptr)
        return bytes;
    BYTE buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return bytes;
}

Bytes ReadNode(CQuillcrestDoc& doc, DWORD dwNodeId, bool& bDamaged)
{
    Bytes bytes;
    CQlcNode node(&doc, dwNodeId);
    CQlcNodeData* pData = node.GetDataForRead();
    bDamaged = pData == nullptr || pData->IsDamaged();
    if (bDamaged)
        return bytes;
    BYTE piece[16384];
    for (UINT n; (n = pData->Get(piece, sizeof(piece))) > 0;)
        bytes.insert(bytes.end(), piece, piece + n);
    return bytes;
}

int Make(LPCSTR lpszNotebook, const std::string& strFolder, int nNotes, int nFiles)
{
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
        return 2;
    DWORD dwFolder = 0;
    for (int i = 0; i < nNotes; ++i)
    {
        if (i % 20 == 0)
        {
            CQlcNode folder;
            folder.Create(&doc, QLC_NODE_FOLDER, ("Row " + std::to_string(i / 20)).c_str(), 0);
            dwFolder = folder.GetId();
        }
        CQlcNode note;
        note.Create(&doc, QLC_NODE_NOTE, ("Tree " + std::to_string(i)).c_str(), dwFolder);
        CQlcNodeData* pData = note.GetDataForWrite(TRUE);
        const std::string rtf = NoteText(i);
        pData->Put((const BYTE*)rtf.data(), (UINT)rtf.size());
        if (!pData->Flush())
            return 2;
    }
    if (!doc.OnSaveDocument(lpszNotebook))
    {
        std::fprintf(stderr, "qlcimportcheck: %s could not be written\n", lpszNotebook);
        return 2;
    }
    ::CreateDirectoryA(strFolder.c_str(), nullptr);
    std::mt19937 rng(29);
    for (int i = 0; i < nFiles; ++i)
    {
        const Bytes bytes = FileBytes(rng, i);
        const std::string strPath = strFolder + "\\" + FileName(i);
        FILE* f = std::fopen(strPath.c_str(), "wb");
        if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
            return 2;
        std::fclose(f);
    }
    return 0;
}

int Check(LPCSTR lpszNotebook, const std::string& strFolder, int nNotes)
{
    CQuillcrestDoc doc;
    if (!doc.Data_OpenNotebookFile(lpszNotebook) || doc.Data_ReadFile() != 1)
    {
        std::fprintf(stderr, "qlcimportcheck: %s does not read as a notebook\n", lpszNotebook);
        return 2;
    }
    std::multimap<std::string, DWORD> foreign;
    std::map<std::string, DWORD> notes;
    {
        CQlcDocLock::CScoped lock(doc.GetLock());
        const CQlcNodeMap& nodes = doc.GetNodeTable(lock);
        for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
        {
            if (p->value.nType == QLC_NODE_FOREIGN)
                foreign.emplace((LPCSTR)p->value.strName, p->key);
            else if (p->value.nType == QLC_NODE_NOTE)
                notes[(LPCSTR)p->value.strName] = p->key;
        }
    }
    int nFiles = 0, nWrong = 0;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA((strFolder + "\\*.bin").c_str(), &fd);
    for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = ::FindNextFileA(hFind, &fd))
    {
        ++nFiles;
        std::string strTitle = fd.cFileName;
        strTitle = strTitle.substr(0, strTitle.rfind('.'));
        if (foreign.count(strTitle) != 1)
        {
            std::fprintf(stderr, "qlcimportcheck: %s is in the notebook %d times\n", fd.cFileName,
                         (int)foreign.count(strTitle));
            ++nWrong;
            continue;
        }
        bool bDamaged = false;
        const Bytes stored = ReadNode(doc, foreign.find(strTitle)->second, bDamaged);
        if (bDamaged || stored != ReadAll((strFolder + "\\" + fd.cFileName).c_str()))
        {
            std::fprintf(stderr, "qlcimportcheck: %s differs from its node%s\n", fd.cFileName,
                         bDamaged ? " (unreadable)" : "");
            ++nWrong;
        }
    }
    if (hFind != INVALID_HANDLE_VALUE)
        ::FindClose(hFind);
    if ((int)foreign.size() != nFiles)
    {
        std::fprintf(stderr, "qlcimportcheck: %d foreign nodes for %d files\n", (int)foreign.size(), nFiles);
        ++nWrong;
    }
    for (int i = 0; i < nNotes; ++i)
    {
        const auto found = notes.find("Tree " + std::to_string(i));
        bool bDamaged = false;
        const std::string rtf = NoteText(i);
        if (found == notes.end() || ReadNode(doc, found->second, bDamaged) != Bytes(rtf.begin(), rtf.end()))
        {
            std::fprintf(stderr, "qlcimportcheck: the note Tree %d is missing or changed\n", i);
            ++nWrong;
        }
    }
    std::printf("qlcimportcheck: %d files, %d notes, %d wrong\n", nFiles, nNotes, nWrong);
    return nWrong == 0 && nFiles > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string strVerb = argc > 1 ? argv[1] : "";
    if (strVerb == "make" && argc == 6)
        return Make(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
    if (strVerb == "check" && argc == 5)
        return Check(argv[2], argv[3], std::atoi(argv[4]));
    std::fprintf(stderr, "usage: qlcimportcheck make <notebook> <folder> <notes> <files>\n"
                         "       qlcimportcheck check <notebook> <folder> <notes>\n");
    return 2;
}
