#include "BenchNotebooks.h"

#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include <algorithm>
#include <vector>

namespace {

const unsigned kMaxDepth = 6;
const size_t kNoteRtfBytes = 60 * 1024;
const size_t kSmallRtfBytes = 300;

// splitmix64: small, fast and the same everywhere.
unsigned long long Next(unsigned long long& seed)
{
    unsigned long long z = (seed += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

unsigned Below(unsigned long long& seed, unsigned n)
{
    return n ? (unsigned)(Next(seed) % n) : 0;
}

const char* const kSyllables[] = {
    "ka", "lo", "min", "tre", "sa", "vu", "del", "or", "pi", "nes", "ta", "ro", "gel", "um", "fa", "ri",
    "bo", "chen", "dal", "e", "fin", "gra", "hu", "is", "jo", "kel", "lan", "mo", "nu", "op", "pra", "quo",
    "ras", "sen", "tol", "ul", "ver", "wi", "xa", "yo", "zen", "al", "be", "cor", "di", "en", "fo", "ga",
    "ho", "im", "ju", "ke", "li", "ma", "ne", "ol", "pe", "qui", "ru", "st", "th", "ur", "vo", "wa" };

// Text draws on a vocabulary of 2,000 made-up words, which compresses about
// as well as prose (60 KB of RTF to some 20 KB).
const std::vector<std::string>& Vocabulary()
{
    static std::vector<std::string> s_words;
    if (s_words.empty())
    {
        unsigned long long seed = 0xC0FFEEull;
        for (int i = 0; i < 2000; ++i)
        {
            std::string word;
            const unsigned n = 1 + Below(seed, 3);
            for (unsigned j = 0; j < n; ++j)
                word += kSyllables[Below(seed, 32)];
            s_words.push_back(word);
        }
    }
    return s_words;
}

std::string Word(unsigned long long& seed)
{
    const std::vector<std::string>& words = Vocabulary();
    return words[Below(seed, (unsigned)words.size())];
}

std::string Capitalised(std::string word)
{
    if (!word.empty() && word[0] >= 'a' && word[0] <= 'z')
        word[0] = (char)(word[0] - 'a' + 'A');
    return word;
}

std::string NodeName(unsigned long long& seed)
{
    std::string name;
    if (Below(seed, 4) == 0)
        name = std::to_string(1 + Below(seed, 500)) + " ";
    name += Capitalised(Word(seed));
    if (Below(seed, 2) == 0)
        name += " " + Word(seed);
    return name;
}

// Folders nested up to kMaxDepth: the first ones form a chain that reaches
// the full depth, the others hang under an earlier folder or the top.
std::vector<DWORD> AddFolders(CQuillcrestDoc& doc, unsigned nCount, unsigned long long& seed, DWORD dwTop)
{
    std::vector<DWORD> ids;
    std::vector<unsigned> depths;
    std::vector<size_t> open; // folders that may still take a subfolder
    for (unsigned i = 0; i < nCount; ++i)
    {
        DWORD dwParent = dwTop;
        unsigned nDepth = 1;
        if (i > 0 && i < kMaxDepth)
        {
            dwParent = ids[i - 1];
            nDepth = depths[i - 1] + 1;
        }
        else if (i >= kMaxDepth && !open.empty() && Below(seed, 8) != 0)
        {
            const size_t k = open[Below(seed, (unsigned)open.size())];
            dwParent = ids[k];
            nDepth = depths[k] + 1;
        }
        CQlcNode folder;
        if (!folder.Create(&doc, QLC_NODE_FOLDER, NodeName(seed).c_str(), dwParent))
            return {};
        ids.push_back(folder.GetId());
        depths.push_back(nDepth);
        if (nDepth < kMaxDepth)
            open.push_back(ids.size() - 1);
    }
    return ids;
}

bool AddNote(CQuillcrestDoc& doc, DWORD dwParent, const std::string& strRtf, unsigned long long& seed,
             std::vector<DWORD>& notes)
{
    CQlcNode note;
    if (!note.Create(&doc, QLC_NODE_NOTE, NodeName(seed).c_str(), dwParent))
        return false;
    CQlcNodeData* pData = note.GetDataForWrite(TRUE);
    if (pData == nullptr)
        return false;
    pData->Put((const BYTE*)strRtf.data(), (UINT)strRtf.size());
    if (!pData->Flush())
        return false;
    notes.push_back(note.GetId());
    return true;
}

// Bookmarks, tasks and keyword lists on some of the notes.
void AddExtras(CQuillcrestDoc& doc, const std::vector<DWORD>& notes, unsigned long long& seed)
{
    const unsigned n = (unsigned)notes.size();
    for (unsigned i = 0; i < std::max(1u, n / 100); ++i)
    {
        QLCBOOKMARK bookmark;
        bookmark.dwBookmarkId = doc.Data_AddBookmark();
        bookmark.dwNodeId = notes[Below(seed, n)];
        bookmark.strName = Capitalised(Word(seed)).c_str();
        doc.Data_SetBookmark(bookmark.dwBookmarkId, bookmark);
    }
    for (unsigned i = 0; i < std::max(1u, n / 100); ++i)
    {
        QLCTASK task;
        task.dwTaskId = doc.Data_AddTask();
        task.strTitle = Capitalised(Word(seed)).c_str();
        task.nPriority = (BYTE)(1 + Below(seed, 5));
        if (i % 4 != 3)
        {
            task.dwFlags = QLC_TASKFLAG_LINKED;
            task.dwLinkedNodeId = notes[Below(seed, n)];
        }
        doc.Data_SetTask(task.dwTaskId, task);
    }
    std::vector<std::string> words;
    for (unsigned i = 0; i < 100; ++i)
        words.push_back(Word(seed));
    for (unsigned i = 0; i < n; i += 10)
    {
        QLCNODE_KEYWORDS keywords;
        keywords.dwNodeId = notes[i];
        const unsigned k = 1 + Below(seed, 3);
        for (unsigned j = 0; j < k; ++j)
            keywords.keywordIds.push_back(doc.Data_GetKeywordId(words[Below(seed, 100)].c_str()));
        doc.Data_SetNodeKeywords(keywords.dwNodeId, keywords);
    }
}

bool MakeNotes(CQuillcrestDoc& doc, unsigned nNotes, unsigned long long& seed)
{
    const std::vector<DWORD> folders = AddFolders(doc, std::max(1u, nNotes / 20), seed, 0);
    if (folders.empty())
        return false;
    std::vector<DWORD> notes;
    notes.reserve(nNotes);
    for (unsigned i = 0; i < nNotes; ++i)
    {
        // A few notes at the top, the rest in the folders.
        const DWORD dwParent = Below(seed, 50) == 0 ? 0 : folders[Below(seed, (unsigned)folders.size())];
        if (!AddNote(doc, dwParent, MakeRtf(seed, kNoteRtfBytes), seed, notes))
            return false;
    }
    AddExtras(doc, notes, seed);
    return true;
}

bool MakeNodes(CQuillcrestDoc& doc, unsigned nNodes, unsigned long long& seed)
{
    doc.SetSortOptions(2, 0); // numbers in names by value
    std::vector<DWORD> notes;
    notes.reserve(nNodes);
    CQlcNode big;
    if (!big.Create(&doc, QLC_NODE_FOLDER, "Inbox", 0))
        return false;
    const unsigned nBig = nNodes / 5;
    for (unsigned i = 0; i < nBig; ++i)
    {
        if (!AddNote(doc, big.GetId(), MakeRtf(seed, kSmallRtfBytes), seed, notes))
            return false;
    }
    const unsigned nRest = nNodes - 1 - nBig;
    const std::vector<DWORD> folders = AddFolders(doc, std::max(1u, nRest / 10), seed, 0);
    if (folders.empty())
        return false;
    for (unsigned i = (unsigned)folders.size(); i < nRest; ++i)
    {
        const DWORD dwParent = Below(seed, 50) == 0 ? 0 : folders[Below(seed, (unsigned)folders.size())];
        if (!AddNote(doc, dwParent, MakeRtf(seed, kSmallRtfBytes), seed, notes))
            return false;
    }
    AddExtras(doc, notes, seed);
    return true;
}

} // namespace

std::string MakeRtf(unsigned long long& seed, size_t nBytes)
{
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Times "
        "New Roman;}}{\\colortbl ;\\red0\\green0\\blue128;\\red128\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    rtf.reserve(nBytes + 256);
    unsigned nInSentence = 0, nSentences = 0;
    while (rtf.size() < nBytes)
    {
        std::string word = Word(seed);
        if (nInSentence == 0)
            word = Capitalised(word);
        switch (Below(seed, 100))
        {
        case 0: case 1: case 2: rtf += "{\\b " + word + "}"; break;
        case 3: case 4: rtf += "{\\i " + word + "}"; break;
        case 5: rtf += "\\cf1 " + word + "\\cf0"; break;
        case 6: rtf += std::to_string(Below(seed, 100000)); break;
        default: rtf += word; break;
        }
        if (++nInSentence >= 8 + Below(seed, 12))
        {
            nInSentence = 0;
            rtf += ".";
            if (++nSentences % 4 == 0)
                rtf += "\\par\r\n";
            else
                rtf += " ";
        }
        else
            rtf += " ";
    }
    rtf += "\\par\r\n}";
    return rtf;
}

DWORD FirstNoteId(const CQuillcrestDoc& doc)
{
    CQlcDocLock::CScoped lock(doc.GetLock());
    const CQlcNodeMap& nodes = doc.GetNodeTable(lock);
    const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc();
    while (p != nullptr && p->value.nType != QLC_NODE_NOTE)
        p = nodes.PGetNextAssoc(p);
    return p ? p->key : 0;
}

bool MakeBenchNotebook(const BenchCase& benchCase, LPCSTR lpszPath, std::string& strError)
{
    unsigned long long seed = 0x5eed0000ull + benchCase.nSize + (benchCase.strSet == "notes" ? 1 : 2);
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
    {
        strError = "no new document";
        return false;
    }
    const bool bMade = benchCase.strSet == "notes" ? MakeNotes(doc, benchCase.nSize, seed) : MakeNodes(doc, benchCase.nSize, seed);
    if (!bMade)
    {
        strError = "the nodes could not be made";
        return false;
    }
    if (!doc.OnSaveDocument(lpszPath))
    {
        strError = "the notebook could not be saved";
        return false;
    }
    return true;
}
