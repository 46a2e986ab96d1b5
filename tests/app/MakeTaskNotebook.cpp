// Writes a notebook for the end-to-end run of the Tasks bar: two notes, a
// few tasks of every priority (one linked to a note), saved with the Tasks
// bar shown, by the program's own notebook core.
//
//   qlctasknotebook <notebook path>
//
// Exit status 0 when the notebook was written and reads back with its tasks
// and the Tasks bar flag.
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"
#include "core/IQlcFrameCallbacks.h"

#include <cstdio>
#include <cstring>

namespace {

const char kPlan[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 {\\b Garden plan}\\par "
    "Beds along the south wall, a bench under the apple tree.\\par}";
const char kCalls[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 Calls to make this week.\\par}";

// A window that shows the Tasks bar, as far as the save asks.
class CTasksShown : public IQlcFrameCallbacks
{
public:
    void OnDocumentLoaded() override {}
    BOOL SaveCurrentNote() override { return TRUE; }
    BOOL IsTasksBarVisible() override { return TRUE; }
    void SetRichEditHostNames(LPCSTR) override {}
    BOOL IsEditorModified() override { return FALSE; }
    void UpdateTaskItem(DWORD) override {}
    void RefreshTreeNodeItem(DWORD) override {}
    void RedrawBlankArea() override {}
};

DWORD AddNote(CQuillcrestDoc& doc, LPCSTR lpszName, LPCSTR lpszRtf)
{
    CQlcNode node;
    node.Create(&doc, QLC_NODE_NOTE, lpszName, 0);
    CQlcNodeData* pData = node.GetDataForWrite(TRUE);
    if (pData == nullptr)
        return 0;
    pData->Put((const BYTE*)lpszRtf, (UINT)strlen(lpszRtf));
    return pData->Flush() ? node.GetId() : 0;
}

void AddTask(CQuillcrestDoc& doc, LPCSTR lpszTitle, BYTE nPriority, LONG lDue, LPCSTR lpszNotes, DWORD dwNode)
{
    QLCTASK task;
    task.dwTaskId = doc.Data_AddTask();
    task.strTitle = lpszTitle;
    task.nPriority = nPriority;
    task.lCreated = task.lStart = 1767261600; // 1 January 2026
    task.lDue = lDue;
    task.strNotes = lpszNotes;
    if (dwNode != 0)
    {
        task.dwFlags = QLC_TASKFLAG_LINKED;
        task.dwLinkedNodeId = dwNode;
    }
    doc.Data_SetTask(task.dwTaskId, task);
}

BOOL Write(LPCSTR lpszPath)
{
    CQuillcrestDoc doc;
    if (!doc.OnNewDocument())
        return FALSE;
    const DWORD dwPlan = AddNote(doc, "Garden plan", kPlan);
    const DWORD dwCalls = AddNote(doc, "Calls", kCalls);
    if (dwPlan == 0 || dwCalls == 0)
        return FALSE;
    AddTask(doc, "Order seeds", 5, 1769940000, "Before the spring catalogue runs out of the early peas", dwPlan);
    AddTask(doc, "Mend the fence", 4, 1772359200, "", 0);
    AddTask(doc, "Call the plumber", 3, 1770112800, "About the outside tap", dwCalls);
    AddTask(doc, "Sort the shed", 2, 1775037600, "", 0);
    AddTask(doc, "Paint the bench", 1, 1780308000, "Green, like last time", 0);
    CTasksShown window;
    doc.SetFrameCallbacks(&window);
    const BOOL bSaved = doc.OnSaveDocument(lpszPath);
    doc.SetFrameCallbacks(nullptr);
    return bSaved;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: qlctasknotebook <notebook path>\n");
        return 2;
    }
    try
    {
        if (!Write(argv[1]))
        {
            fprintf(stderr, "qlctasknotebook: %s could not be written\n", argv[1]);
            return 1;
        }
        CQuillcrestDoc check;
        if (!check.Data_OpenNotebookFile(argv[1]) || check.Data_ReadFile() != 1 ||
            check.Data_GetTaskCount() != 5 || !(check.GetFileFlags() & QLC_FILEFLAG_TASKBAR))
        {
            fprintf(stderr, "qlctasknotebook: %s does not read back with its tasks\n", argv[1]);
            return 1;
        }
    }
    catch (...)
    {
        fprintf(stderr, "qlctasknotebook: failed\n");
        return 1;
    }
    return 0;
}
