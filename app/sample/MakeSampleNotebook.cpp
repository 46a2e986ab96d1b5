// Makes the sample notebook that the run command opens: a few folders,
// notes with formatted text, a picture, a web page, keywords and a
// bookmark, written by the program's own notebook core.
//
//   qlcsample.exe <notebook path>
//
// Exit status 0 when the notebook was written and reads back as written.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kWelcome[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
    "{\\colortbl;\\red0\\green0\\blue128;\\red128\\green0\\blue0;}"
    "\\f0\\fs20 {\\b\\fs28\\cf1 Welcome to Quillcrest}\\par\\par "
    "This notebook shows what a notebook can hold. The tree on the left lists its "
    "{\\b folders} and {\\i notes}; double-click a note to open it, then type away. "
    "Your changes are kept when you open another note or save the notebook with "
    "{\\b Ctrl+S}.\\par\\par "
    "{\\ul Things to try}\\par "
    "{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent360{\\pntxtb\\'B7}}\\fi-360\\li720 "
    "Rename a node with F2.\\par "
    "{\\pntext\\'B7\\tab}Look at the Bookmarks tab below the tree.\\par "
    "{\\pntext\\'B7\\tab}Use Format > Paragraph... for indents.\\par\\pard\\par "
    "Visit {\\cf2 http://www.varlosoft.com/} for news.\\par}";

const char kShopping[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 "
    "{\\b Shopping}\\par Seeds for the garden\\par Twine\\par {\\strike Watering can}\\par}";

const char kIdeas[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs24 "
    "{\\i Ideas for the garden:}\\par\\qc Raised beds along the south wall\\par\\pard "
    "A bench under the apple tree.\\par}";

const char kMeeting[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 "
    "{\\b Meeting notes}\\par Decided: {\\b\\i start in March}.\\par}";

const char kTips[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}\\f0\\fs20 "
    "Keyboard:\\par {\\f1 F5} rebuilds the tree, {\\f1 Alt+1} and {\\f1 Alt+2} switch tabs.\\par}";

const char kPage[] =
    "<html><head><title>Garden page</title></head><body style=\"font-family: Arial\">"
    "<h1>The garden</h1><p>An HTML page kept in the notebook. It opens in the browser view.</p>"
    "<ul><li>Raised beds</li><li>Apple tree</li><li>Bench</li></ul></body></html>";

// A 24-bpp BMP file of a small garden scene, drawn here: sky, sun, lawn, a
// house and a tree.
std::string GardenPicture()
{
    const int w = 320, h = 200;
    const int nRow = (w * 3 + 3) & ~3;
    std::string bytes(54 + (size_t)nRow * h, '\0');
    auto put16 = [&](size_t at, unsigned v) { bytes[at] = (char)(v & 0xFF); bytes[at + 1] = (char)(v >> 8); };
    auto put32 = [&](size_t at, unsigned v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, (unsigned)bytes.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    put16(26, 1);
    put16(28, 24);
    put32(34, (unsigned)(nRow * h));
    for (int y = 0; y < h; ++y)
    {
        for (int x = 0; x < w; ++x)
        {
            int r = 90 + y / 2, g = 150 + y / 3, b = 235; // sky, lighter near the ground
            if ((x - 260) * (x - 260) + (y - 40) * (y - 40) < 22 * 22)
                r = 255, g = 215, b = 60; // sun
            if (y > 140)
                r = 60, g = 150 - (y - 140), b = 50; // lawn
            if (x >= 60 && x < 150 && y >= 95 && y < 150)
                r = 200, g = 180, b = 150; // house
            const int nRoof = (y - 60) * 50 / 35; // half the roof's width on this line
            if (y >= 60 && y < 95 && x >= 105 - nRoof && x < 105 + nRoof)
                r = 170, g = 50, b = 40; // roof
            if (x >= 95 && x < 115 && y >= 120 && y < 150)
                r = 110, g = 70, b = 40; // door
            if (x >= 228 && x < 236 && y >= 110 && y < 160)
                r = 100, g = 70, b = 40; // trunk
            if ((x - 232) * (x - 232) + (y - 95) * (y - 95) < 26 * 26)
                r = 40, g = 120, b = 40; // crown
            char* px = &bytes[54 + (size_t)(h - 1 - y) * nRow + (size_t)x * 3];
            px[0] = (char)b;
            px[1] = (char)g;
            px[2] = (char)r;
        }
    }
    return bytes;
}

// A node of a type with these bytes as its payload (compressed).
DWORD AddData(CQuillcrestDoc& doc, BYTE nType, LPCSTR lpszName, DWORD dwParentId, const std::string& bytes)
{
    CQlcNode node;
    node.Create(&doc, nType, lpszName, dwParentId);
    CQlcNodeData* pData = node.GetDataForWrite(TRUE);
    if (pData == nullptr)
        return 0;
    pData->Put((const BYTE*)bytes.data(), (UINT)bytes.size());
    if (!pData->Flush())
        return 0;
    return node.GetId();
}

// A node with the RTF as its payload (compressed, as the program stores notes).
DWORD AddNote(CQuillcrestDoc& doc, LPCSTR lpszName, DWORD dwParentId, LPCSTR lpszRtf)
{
    CQlcNode node;
    node.Create(&doc, QLC_NODE_NOTE, lpszName, dwParentId);
    CQlcNodeData* pData = node.GetDataForWrite(TRUE);
    if (pData == nullptr)
        return 0;
    pData->Put((const BYTE*)lpszRtf, (UINT)strlen(lpszRtf));
    if (!pData->Flush())
        return 0;
    return node.GetId();
}

DWORD AddFolder(CQuillcrestDoc& doc, LPCSTR lpszName, DWORD dwParentId)
{
    CQlcNode node;
    node.Create(&doc, QLC_NODE_FOLDER, lpszName, dwParentId);
    return node.GetId();
}

void SetKeywords(CQuillcrestDoc& doc, DWORD dwNodeId, std::initializer_list<LPCSTR> keywords)
{
    QLCNODE_KEYWORDS list;
    list.dwNodeId = dwNodeId;
    for (LPCSTR lpsz : keywords)
        list.keywordIds.push_back(doc.Data_GetKeywordId(lpsz));
    doc.Data_SetNodeKeywords(dwNodeId, list);
}

BOOL WriteSample(LPCSTR lpszPath, INT_PTR& nNodes)
{
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
        return FALSE;

    const DWORD dwWelcome = AddNote(doc, "Welcome to Quillcrest", 0, kWelcome);
    const DWORD dwHome = AddFolder(doc, "Home", 0);
    const DWORD dwGarden = AddFolder(doc, "Garden", dwHome);
    const DWORD dwShopping = AddNote(doc, "Shopping list", dwHome, kShopping);
    const DWORD dwIdeas = AddNote(doc, "Ideas", dwGarden, kIdeas);
    const DWORD dwWork = AddFolder(doc, "Work", 0);
    const DWORD dwMeeting = AddNote(doc, "Meeting notes", dwWork, kMeeting);
    AddFolder(doc, "Archive", dwWork); // an empty folder shows "(empty)"
    const DWORD dwTips = AddNote(doc, "Tips", 0, kTips);
    const DWORD dwPicture = AddData(doc, QLC_NODE_IMAGE, "Garden sketch", 0, GardenPicture());
    const DWORD dwPage = AddData(doc, QLC_NODE_HTML, "Garden page", 0, kPage);
    if (!dwWelcome || !dwShopping || !dwIdeas || !dwMeeting || !dwTips || !dwPicture || !dwPage)
        return FALSE;

    SetKeywords(doc, dwWelcome, { "quillcrest", "start" });
    SetKeywords(doc, dwIdeas, { "garden", "plans" });
    SetKeywords(doc, dwShopping, { "garden" });

    QLCBOOKMARK bookmark;
    bookmark.dwBookmarkId = doc.Data_AddBookmark();
    bookmark.dwNodeId = dwIdeas;
    bookmark.strName = "Garden ideas";
    doc.Data_SetBookmark(bookmark.dwBookmarkId, bookmark);

    nNodes = doc.Data_GetNodeCount();
    return doc.OnSaveDocument(lpszPath);
}

BOOL MakeSample(LPCSTR lpszPath)
{
    // The document holds its file while it lives: read back after it.
    INT_PTR nNodes = 0;
    if (!WriteSample(lpszPath, nNodes))
        return FALSE;

    // Read back as the program would.
    CQuillcrestDoc check;
    if (!check.Data_OpenNotebookFile(lpszPath))
    {
        fprintf(stderr, "qlcsample: the notebook written cannot be opened\n");
        return FALSE;
    }
    const int nRead = check.Data_ReadFile();
    if (nRead != 1 || check.Data_GetNodeCount() != nNodes ||
        check.Data_GetBookmarkCount() != 1)
    {
        fprintf(stderr, "qlcsample: the notebook written does not read back (result %d, %d nodes)\n", nRead,
                (int)check.Data_GetNodeCount());
        return FALSE;
    }
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: qlcsample <notebook path>\n");
        return 2;
    }
    try
    {
        if (!MakeSample(argv[1]))
        {
            fprintf(stderr, "qlcsample: the sample notebook could not be written to %s\n", argv[1]);
            return 1;
        }
    }
    catch (...)
    {
        fprintf(stderr, "qlcsample: the sample notebook could not be written to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
