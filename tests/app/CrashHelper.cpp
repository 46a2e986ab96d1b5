// A program that starts as the real one does, then crashes on request: the
// crash-handling tests run it as a child process and look at what it left
// (dump, log, recorded messages, saved files, exit code). The environment
// says what to do:
//   QLC_CRASH_MODE     ui (access violation on the interface thread), worker
//                      (on a worker), worker-blocked (on a worker while the
//                      interface thread waits for it without pumping), throw
//                      (a C++ exception escaping a worker)
//   QLC_CRASH_MODIFY   1: first adds a node to the open notebook
//   QLC_CRASH_ANSWERS  the answers to the message boxes in order: ok, yes, no
//   QLC_CRASH_SAVEAS   the answers to the file dialogs in order: accept (the
//                      proposed name), original (the notebook's own file),
//                      cancel
//   QLC_CRASH_RECORD   the file where each box and file dialog is written
//   QLC_CRASH_TIMEOUT  how long a worker's crash waits for the interface
//                      thread, in ms
//   QLC_CRASH_IN_BOX   1: the first message box faults itself
//   QLC_CRASH_LOGS     the folder of the day log (default: the program's)
// The notebook to open is the command line, as for the program.
#include "app/CQlcApp.h"
#include "app/CrashHandler.h"

#include "core/CLog.h"
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/CWinThread.h"
#include "framework/docview/CDocTemplate.h"
#include "framework/ui/AfxHooks.h"
#include "framework/ui/CFileDialog.h"
#include "widgets/CFileDialogEx.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace {

const UINT WM_CRASH_NOW = WM_APP + 0x51;

std::string Env(LPCSTR lpszName)
{
    char sz[2048] = "";
    const DWORD n = ::GetEnvironmentVariableA(lpszName, sz, sizeof(sz));
    return n > 0 && n < sizeof(sz) ? std::string(sz) : std::string();
}

std::vector<std::string> EnvList(LPCSTR lpszName)
{
    std::vector<std::string> items;
    const std::string text = Env(lpszName);
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

DWORD g_dwUiThread = 0;

// One line to the record file, written through at once: the process may
// end at any moment.
void Record(const std::string& kind, const std::string& text, UINT nType = 0)
{
    const std::string strPath = Env("QLC_CRASH_RECORD");
    if (strPath.empty())
        return;
    std::string line = kind + "\t" + (::GetCurrentThreadId() == g_dwUiThread ? "ui" : "worker") + "\t";
    char szType[16];
    wsprintfA(szType, "%x", nType);
    line += szType;
    line += "\t";
    for (char c : text)
        line += c == '\n' ? std::string("\\n") : std::string(1, c);
    line += "\n";
    HANDLE h = ::CreateFileA(strPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD dwWritten = 0;
    ::WriteFile(h, line.data(), (DWORD)line.size(), &dwWritten, nullptr);
    ::FlushFileBuffers(h);
    ::CloseHandle(h);
}

void Fault()
{
    int* volatile p = nullptr;
    *p = 1;
}

class CScriptedAnswers : public IAfxPromptHook, public IAfxCommonDialogHook
{
public:
    int OnMessageBox(HWND, LPCSTR lpszText, LPCSTR, UINT nType) override
    {
        Record("box", lpszText ? lpszText : "", nType);
        if (m_bFaultInBox)
        {
            m_bFaultInBox = FALSE;
            Fault();
        }
        const std::string answer = m_nextBox < m_boxes.size() ? m_boxes[m_nextBox++] : std::string();
        if (answer == "yes")
            return IDYES;
        if (answer == "no")
            return IDNO;
        if (answer == "ok")
            return IDOK;
        return (nType & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    }
    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        // The program's Save As is the extended dialog; the framework's
        // plain one is answered the same way.
        if (CFileDialogEx* pFileEx = DYNAMIC_DOWNCAST(CFileDialogEx, pDialog))
            return AnswerSaveAs(*pFileEx);
        if (CFileDialog* pFile = DYNAMIC_DOWNCAST(CFileDialog, pDialog))
            return AnswerSaveAs(*pFile);
        return IDCANCEL;
    }
    template <class TDialog> INT_PTR AnswerSaveAs(TDialog& dlg)
    {
        Record("saveas", (LPCSTR)dlg.GetPathName(), dlg.m_ofn.Flags);
        const std::string answer = m_nextDialog < m_dialogs.size() ? m_dialogs[m_nextDialog++] : std::string();
        if (answer == "accept")
            return IDOK;
        if (answer == "original")
        {
            dlg.SetPathName(m_strOriginal.c_str());
            return IDOK;
        }
        return IDCANCEL;
    }

    std::vector<std::string> m_boxes = EnvList("QLC_CRASH_ANSWERS");
    std::vector<std::string> m_dialogs = EnvList("QLC_CRASH_SAVEAS");
    size_t m_nextBox = 0;
    size_t m_nextDialog = 0;
    BOOL m_bFaultInBox = Env("QLC_CRASH_IN_BOX") == "1";
    std::string m_strOriginal;
};

UINT __cdecl FaultingWorker(LPVOID)
{
    ::Sleep(200);
    Fault();
    return 0;
}

UINT __cdecl ThrowingWorker(LPVOID)
{
    ::Sleep(200);
    throw std::runtime_error("escapes the thread");
}

class CCrashHelperApp : public CQlcApp
{
public:
    BOOL InitInstance() override
    {
        g_dwUiThread = ::GetCurrentThreadId();
        std::string strOriginal = m_lpCmdLine ? m_lpCmdLine : "";
        if (strOriginal.size() >= 2 && strOriginal.front() == '"' && strOriginal.back() == '"')
            strOriginal = strOriginal.substr(1, strOriginal.size() - 2);
        m_answers.m_strOriginal = strOriginal;
        AfxSetPromptHook(&m_answers);
        AfxSetCommonDialogHook(&m_answers);
        g_log.SetFolder(Env("QLC_CRASH_LOGS").c_str());
        if (!CQlcApp::InitInstance())
            return FALSE;
        const std::string strTimeout = Env("QLC_CRASH_TIMEOUT");
        if (!strTimeout.empty())
            CrashSeams().dwUiTimeout = (DWORD)atoi(strTimeout.c_str());
        if (Env("QLC_CRASH_MODIFY") == "1")
            AddNode();

        const std::string mode = Env("QLC_CRASH_MODE");
        if (mode == "ui")
        {
            ::PostThreadMessageA(::GetCurrentThreadId(), WM_CRASH_NOW, 0, 0);
        }
        else if (mode == "worker" || mode == "worker-blocked")
        {
            CWinThread* pThread = AfxBeginThread(&FaultingWorker, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
            pThread->m_bAutoDelete = FALSE;
            pThread->ResumeThread();
            // Busy without pumping: the worker's crash gets no answer.
            if (mode == "worker-blocked")
                ::WaitForSingleObject(pThread->m_hThread, INFINITE);
        }
        else if (mode == "throw")
        {
            AfxBeginThread(&ThrowingWorker, nullptr);
        }
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->hwnd == nullptr && pMsg->message == WM_CRASH_NOW)
            Fault();
        return CQlcApp::PreTranslateMessage(pMsg);
    }

private:
    void AddNode()
    {
        POSITION pos = GetFirstDocTemplatePosition();
        CDocTemplate* pTemplate = pos ? GetNextDocTemplate(pos) : nullptr;
        POSITION posDoc = pTemplate ? pTemplate->GetFirstDocPosition() : nullptr;
        CQuillcrestDoc* pDoc = posDoc ? DYNAMIC_DOWNCAST(CQuillcrestDoc, pTemplate->GetNextDoc(posDoc)) : nullptr;
        if (pDoc == nullptr)
            return;
        CQlcNode node;
        node.Create(pDoc, QLC_NODE_NOTE, "Added before the crash", 0);
        pDoc->SetModified(TRUE);
    }

    CScriptedAnswers m_answers;
};

} // namespace

CCrashHelperApp theApp;
