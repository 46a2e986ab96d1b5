#include "BenchSteps.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CProcessingDlg.h"
#include "app/CQlcApp.h"
#include "app/CQlcTreeCtrl.h"
#include "app/res/Resource.h"

#include "core/CNodeBatchExport.h"
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/docview/CDocManager.h"
#include "framework/docview/CView.h"
#include "framework/ui/CRichEditCtrl.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace {

// --- Clock, memory and the result file ------------------------------------------

double Now()
{
    static LARGE_INTEGER s_freq = {};
    if (s_freq.QuadPart == 0)
        QueryPerformanceFrequency(&s_freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)s_freq.QuadPart;
}

double PeakMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return (double)counters.PeakWorkingSetSize / (1024.0 * 1024.0);
}

class CResultFile
{
public:
    bool Open(LPCSTR lpszPath)
    {
        m_pFile = fopen(lpszPath, "w");
        return m_pFile != nullptr;
    }
    ~CResultFile()
    {
        if (m_pFile)
            fclose(m_pFile);
    }
    void Put(const std::string& strKey, double dValue)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        fprintf(m_pFile, "%s %.6f\n", strKey.c_str(), dValue);
        fflush(m_pFile);
    }
    void Fail(const std::string& strWhat)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        fprintf(m_pFile, "error %s\n", strWhat.c_str());
        fflush(m_pFile);
        fprintf(stderr, "qlcbench: %s\n", strWhat.c_str());
    }

private:
    FILE* m_pFile = nullptr;
    std::mutex m_mutex;
};

// Stops the process when a step runs past the cap, after writing
// "<step>_cap <seconds>" and the peak memory so far.
class CWatchdog
{
public:
    CWatchdog(CResultFile& results, double dCap) : m_results(results), m_dCap(dCap)
    {
        m_thread = std::thread([this] { Watch(); });
    }
    ~CWatchdog()
    {
        m_bStop = true;
        m_thread.join();
    }
    void Begin(const char* pszStep)
    {
        m_dStart = Now();
        m_pszStep = pszStep;
    }
    void End() { m_pszStep = nullptr; }

private:
    void Watch()
    {
        while (!m_bStop)
        {
            Sleep(50);
            const char* pszStep = m_pszStep;
            if (pszStep != nullptr && Now() - m_dStart > m_dCap)
            {
                m_results.Put(std::string(pszStep) + "_cap", m_dCap);
                m_results.Put("peak_mb", PeakMegabytes());
                TerminateProcess(GetCurrentProcess(), 0);
            }
        }
    }

    CResultFile& m_results;
    double m_dCap;
    std::atomic<const char*> m_pszStep{ nullptr };
    std::atomic<double> m_dStart{ 0 };
    std::atomic<bool> m_bStop{ false };
    std::thread m_thread;
};

// A message box during a run means a step went wrong: it is answered at once
// and counted. Only the batch export asks on its own: a name that clashes
// with a file already written is asked about, and kept.
class CBenchPrompts : public IAfxPromptHook
{
public:
    int OnMessageBox(HWND, LPCSTR lpszText, LPCSTR, UINT nType) override
    {
        if (bExporting && nType == (MB_YESNO | MB_ICONEXCLAMATION))
        {
            ++nOverwrites;
            return IDNO;
        }
        ++nBoxes;
        fprintf(stderr, "qlcbench: message box: %s\n", lpszText ? lpszText : "");
        if ((nType & MB_TYPEMASK) == MB_ABORTRETRYIGNORE)
            return IDABORT;
        return (nType & MB_TYPEMASK) == MB_YESNO || (nType & MB_TYPEMASK) == MB_YESNOCANCEL ? IDNO : IDOK;
    }
    int nBoxes = 0;
    bool bExporting = false;
    int nOverwrites = 0;
};

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool CopyAndSync(LPCSTR lpszFrom, LPCSTR lpszTo)
{
    if (!CopyFileA(lpszFrom, lpszTo, FALSE))
        return false;
    HANDLE h = CreateFileA(lpszTo, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const BOOL bFlushed = FlushFileBuffers(h);
    CloseHandle(h);
    return bFlushed != FALSE;
}

double FileMegabytes(LPCSTR lpszPath)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(lpszPath, GetFileExInfoStandard, &data))
        return 0;
    return ((double)data.nFileSizeHigh * 4294967296.0 + data.nFileSizeLow) / (1024.0 * 1024.0);
}

// Items a full tree of the notebook has: every node and a placeholder under
// each folder without children.
UINT ExpectedItems(const CQuillcrestDoc& doc)
{
    std::unordered_set<DWORD> parents;
    CQlcDocLock::CScoped lock(doc.GetLock());
    const CQlcNodeMap& nodes = doc.GetNodeTable(lock);
    for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        parents.insert(node.dwParentId);
    }
    UINT nItems = 0;
    for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        nItems += (node.nType == QLC_NODE_FOLDER && parents.count(dwId) == 0) ? 2 : 1;
    }
    return nItems;
}

// A folder removed with everything in it.
void RemoveTree(const std::string& strDir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((strDir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0)
                continue;
            const std::string strPath = strDir + "\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(strPath);
            else
                DeleteFileA(strPath.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(strDir.c_str());
}

// A folder's contents, folders before what is in them, with file sizes:
// what the export made, for the bare loop that makes it again.
struct CTreeEntry
{
    std::string strPath; // below the folder
    bool bFolder;
    ULONGLONG ullSize;
};

void ListTree(const std::string& strDir, const std::string& strBelow, std::vector<CTreeEntry>& entries)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((strDir + "\\" + strBelow + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0)
            continue;
        const std::string strPath = strBelow + fd.cFileName;
        const bool bFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(CTreeEntry{ strPath, bFolder, ((ULONGLONG)fd.nFileSizeHigh << 32) | fd.nFileSizeLow });
        if (bFolder)
            ListTree(strDir, strPath + "\\", entries);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

// The same folders and files made by nothing but CreateDirectory,
// CreateFile, WriteFile and CloseHandle: what the system alone costs.
bool MakeTree(const std::string& strDir, const std::vector<CTreeEntry>& entries)
{
    static const std::vector<char> zeros(1024 * 1024, 'x');
    if (!CreateDirectoryA(strDir.c_str(), nullptr))
        return false;
    for (const CTreeEntry& entry : entries)
    {
        const std::string strPath = strDir + "\\" + entry.strPath;
        if (entry.bFolder)
        {
            if (!CreateDirectoryA(strPath.c_str(), nullptr))
                return false;
            continue;
        }
        HANDLE h = CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        bool bOk = true;
        for (ULONGLONG ullLeft = entry.ullSize; bOk && ullLeft > 0;)
        {
            const DWORD dwPiece = (DWORD)std::min<ULONGLONG>(ullLeft, zeros.size());
            DWORD dwDone = 0;
            bOk = WriteFile(h, zeros.data(), dwPiece, &dwDone, nullptr) && dwDone == dwPiece;
            ullLeft -= dwPiece;
        }
        CloseHandle(h);
        if (!bOk)
            return false;
    }
    return true;
}

UINT CountNonFolders(const CQuillcrestDoc& doc)
{
    CQlcDocLock::CScoped lock(doc.GetLock());
    const CQlcNodeMap& nodes = doc.GetNodeTable(lock);
    UINT n = 0;
    for (const CQlcNodeMap::CPair* p = nodes.PGetFirstAssoc(); p != nullptr; p = nodes.PGetNextAssoc(p))
        n += p->value.nType != QLC_NODE_FOLDER ? 1 : 0;
    return n;
}

// Processor time of this process so far (all its threads), in seconds: on a
// loaded machine it tells the work done from the time spent waiting.
double ProcessSeconds()
{
    FILETIME ftCreated, ftExited, ftKernel, ftUser;
    if (!GetProcessTimes(GetCurrentProcess(), &ftCreated, &ftExited, &ftKernel, &ftUser))
        return 0;
    const auto seconds = [](const FILETIME& ft) {
        return (double)(((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime) / 1e7;
    };
    return seconds(ftKernel) + seconds(ftUser);
}

// The machine's load (the one-minute average) where the system tells it.
double LoadAverage()
{
    FILE* pFile = fopen("Z:\\proc\\loadavg", "r");
    double dLoad = -1;
    if (pFile != nullptr)
    {
        if (fscanf(pFile, "%lf", &dLoad) != 1)
            dLoad = -1;
        fclose(pFile);
    }
    return dLoad;
}

// The program as start-up leaves it: application object, tree images, main
// frame on screen and the notebook template.
class CBenchProgram
{
public:
    bool Start()
    {
        m_pApp = new CQlcApp;
        AfxWinInit(GetModuleHandleA(nullptr), nullptr, (LPSTR) "", SW_SHOWNORMAL);
        m_pApp->InitApplication();
        m_pApp->SetRegistryKey(IDS_REGISTRY_KEY);
        m_pApp->SetCommandLineArgs({ CString("quillapp.exe") });
        m_pApp->LoadTreeImages();
        AfxInitRichEdit2();
        CMainFrame* pFrame = new CMainFrame;
        if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
            return false;
        pFrame->SetAppTitle();
        m_pApp->m_pMainWnd = pFrame;
        pFrame->MoveWindow(0, 0, 1000, 700);
        pFrame->ShowWindow(SW_SHOW);
        g_uOptionsChangedMsg = RegisterWindowMessageA("Options Changed");
        m_pApp->m_pDocManager = new CDocManager;
        m_pApp->m_pDocumentClass = RUNTIME_CLASS(CQuillcrestDoc);
        m_pApp->CreateDocTemplate();
        PumpMessages();
        return true;
    }
    CQuillcrestDoc* Open(LPCSTR lpszPath)
    {
        CDocument* pDoc = m_pApp->OpenDocumentFile(lpszPath);
        PumpMessages();
        return pDoc ? DYNAMIC_DOWNCAST(CQuillcrestDoc, pDoc) : nullptr;
    }
    static CQlcTreeCtrl* TreeOf(CQuillcrestDoc* pDoc)
    {
        POSITION pos = pDoc->GetFirstViewPosition();
        CFrameWnd* pFrame = pos ? pDoc->GetNextView(pos)->GetParentFrame() : nullptr;
        CChildFrame* pChild = pFrame ? DYNAMIC_DOWNCAST(CChildFrame, pFrame) : nullptr;
        return pChild ? pChild->GetTreeCtrl() : nullptr;
    }

private:
    CQlcApp* m_pApp = nullptr; // lives as long as the process
};

std::string Key(const char* pszStep, int nRep)
{
    return std::string(pszStep) + "#" + std::to_string(nRep);
}

// Every top-level folder open.
void OpenTopFolders(CQlcTreeCtrl& tree)
{
    for (HTREEITEM h = tree.GetRootItem(); h != nullptr; h = tree.GetNextSiblingItem(h))
    {
        if (tree.ItemHasChildren(h))
            tree.Expand(h, TVE_EXPAND);
    }
    PumpMessages();
}

} // namespace

int RunMakeStep(const BenchCase& benchCase, LPCSTR lpszNotebook)
{
    CBenchPrompts prompts;
    AfxSetPromptHook(&prompts);
    std::string strError;
    if (!MakeBenchNotebook(benchCase, lpszNotebook, strError))
    {
        fprintf(stderr, "qlcbench: making %s %u: %s\n", benchCase.strSet.c_str(), benchCase.nSize, strError.c_str());
        return 1;
    }
    return prompts.nBoxes == 0 ? 0 : 1;
}

int RunMeasureSteps(const BenchCase& benchCase, LPCSTR lpszNotebook, LPCSTR lpszWorkDir, LPCSTR lpszResults,
                    const BenchOptions& options)
{
    CResultFile results;
    if (!results.Open(lpszResults))
        return 1;
    CBenchPrompts prompts;
    AfxSetPromptHook(&prompts);
    CWatchdog watchdog(results, options.dCapSeconds);
    const std::string strWork = std::string(lpszWorkDir) + "\\work-" + benchCase.strSet + "-" + std::to_string(benchCase.nSize) + ".qlc";
    results.Put("file_mb", FileMegabytes(lpszNotebook));

    CBenchProgram program;
    int nFailures = 0;
    auto fail = [&](const std::string& strWhat) {
        results.Fail(strWhat);
        ++nFailures;
    };
    // One run of a step, with the messages it leaves, under the cap.
    auto timed = [&](const char* pszStep, int nRep, const std::function<void()>& step) {
        watchdog.Begin(pszStep);
        const double t = Now();
        step();
        PumpMessages();
        results.Put(Key(pszStep, nRep), Now() - t);
        watchdog.End();
    };

    // The core alone: copy, read, one edit and save.
    UINT nNodes = 0;
    for (int r = 0; r < options.nReps; ++r)
    {
        bool bCopied = false;
        timed("copy", r, [&] { bCopied = CopyAndSync(lpszNotebook, strWork.c_str()); });
        if (!bCopied)
        {
            fail("the notebook could not be copied");
            return 1;
        }

        std::unique_ptr<CQuillcrestDoc> pDoc(new CQuillcrestDoc);
        BOOL bRead = FALSE;
        timed("read", r, [&] { bRead = pDoc->OnOpenDocument(strWork.c_str()); });
        if (!bRead)
        {
            fail("the notebook could not be read");
            return 1;
        }
        nNodes = (UINT)pDoc->Data_GetNodeCount();

        CQlcNode note(pDoc.get(), FirstNoteId(*pDoc));
        CQlcNodeData* pData = note.GetDataForWrite(TRUE);
        unsigned long long seed = 1000 + r;
        const std::string strRtf = MakeRtf(seed, 2000);
        if (pData == nullptr)
            fail("no note to edit");
        else
        {
            pData->Put((const BYTE*)strRtf.data(), (UINT)strRtf.size());
            if (!pData->Flush())
                fail("the edit could not be stored");
        }
        BOOL bSaved = FALSE;
        timed("save", r, [&] { bSaved = pDoc->OnSaveDocument(strWork.c_str()); });
        if (!bSaved)
            fail("the notebook could not be saved");
    }
    results.Put("nodes", nNodes);
    results.Put("core_mb", PeakMegabytes());

    // The program: open to a filled tree, fill again, refresh, expand, close.
    if (!program.Start())
    {
        fail("the program's windows could not be made");
        return 1;
    }
    for (int r = 0; r < options.nReps; ++r)
    {
        CQuillcrestDoc* pDoc = nullptr;
        timed("open", r, [&] { pDoc = program.Open(strWork.c_str()); });
        CQlcTreeCtrl* pTree = pDoc ? CBenchProgram::TreeOf(pDoc) : nullptr;
        if (pTree == nullptr)
        {
            fail("the notebook did not open in a window");
            return 1;
        }
        const UINT nExpected = ExpectedItems(*pDoc);
        auto check = [&](const char* pszWhen) {
            if (pTree->GetCount() != nExpected)
                fail(std::string(pszWhen) + " the tree holds " + std::to_string(pTree->GetCount()) + " items, not " +
                     std::to_string(nExpected));
        };
        check("opened,");

        pTree->DeleteAllItems();
        PumpMessages();
        timed("fill", r, [&] { pTree->RefreshTree(FALSE); });
        check("filled again,");

        OpenTopFolders(*pTree);
        timed("refresh", r, [&] { pTree->RefreshTree(TRUE); });
        check("refreshed,");

        timed("expand", r, [&] { pTree->ExpandAll(); });
        pTree->CollapseAll();
        OpenTopFolders(*pTree); // as it was before

        // Batch export of the whole notebook under the processing dialog, as
        // the command runs it once the folder is chosen.
        const std::string strExport = std::string(lpszWorkDir) + "\\export-" + benchCase.strSet + "-" +
                                      std::to_string(benchCase.nSize);
        RemoveTree(strExport);
        prompts.nOverwrites = 0;
        prompts.bExporting = true;
        INT_PTR nExported = -1;
        const double dCpuBefore = ProcessSeconds();
        timed("export", r, [&] {
            CNodeBatchExport job(pDoc);
            job.SetDestination(strExport.c_str());
            CProcessingDlg dlg(AfxGetMainWnd());
            nExported = dlg.DoModalProcess(&job);
        });
        prompts.bExporting = false;
        results.Put(Key("export_cpu", r), ProcessSeconds() - dCpuBefore);
        results.Put(Key("load", r), LoadAverage());
        results.Put(Key("asked", r), prompts.nOverwrites);
        // What the export wrote: counted here, and made again below.
        std::vector<CTreeEntry> entries;
        ListTree(strExport, "", entries);
        const UINT nFiles = (UINT)std::count_if(entries.begin(), entries.end(),
                                                [](const CTreeEntry& entry) { return !entry.bFolder; });
        const UINT nWanted = CountNonFolders(*pDoc) - (UINT)prompts.nOverwrites;
        if (nExported != IDOK || nFiles != nWanted)
            fail("the batch export wrote " + std::to_string(nFiles) + " files, not " + std::to_string(nWanted));

        // The floor: what the export wrote, made again by a bare loop.
        RemoveTree(strExport);
        const std::string strFloor = strExport + "-floor";
        RemoveTree(strFloor);
        bool bFloorMade = false;
        timed("floor", r, [&] { bFloorMade = MakeTree(strFloor, entries); });
        if (!bFloorMade)
            fail("the bare loop could not make the exported files again");
        RemoveTree(strFloor);

        timed("close", r, [&] { pDoc->OnCloseDocument(); });
    }
    results.Put("peak_mb", PeakMegabytes());
    DeleteFileA(strWork.c_str());
    if (prompts.nBoxes != 0)
        fail(std::to_string(prompts.nBoxes) + " message boxes came up");
    return nFailures == 0 ? 0 : 1;
}
