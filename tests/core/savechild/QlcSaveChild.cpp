// A process of its own for the crash-safety tests: it opens a notebook with
// the program's core, changes it and saves it, and stops where the test says,
// so that the test can kill it there.
//
//   qlcsavechild <notebook> <password or -> <step> <count> <event name>
//
// Step 0 stops once the notebook is open; step -1 only runs the start-up
// sweep of the temporary folder; any other step stops at the count-th time
// the save reports that step (IQlcFileProbe). Stopping sets the named event
// and waits for the end. The change: the node named "First note" is renamed
// "First note, edited". Exit status 0 when the save went through (or the
// sweep ran), 2 for bad arguments, 3 when the notebook does not read, 4 when
// the save failed.
#include "core/CCryptDLLHandler.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcNode.h"
#include "core/CQlcTempFile.h"
#include "core/CQuillcrestDoc.h"
#include "core/IQlcFileProbe.h"
#include "core/IQlcPrompts.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HANDLE g_hStopped = nullptr;

[[noreturn]] void StopHere()
{
    SetEvent(g_hStopped);
    for (;;)
        Sleep(INFINITE);
}

class CPasswordPrompts : public IQlcPrompts
{
public:
    explicit CPasswordPrompts(const std::string& password) : m_password(password) {}
    int MessageBox(HWND, LPCSTR lpszText, LPCSTR, UINT) override
    {
        fprintf(stderr, "qlcsavechild: message: %s\n", lpszText ? lpszText : "");
        return IDOK;
    }
    int FrameworkMessageBox(LPCSTR lpszText, UINT nType) override { return MessageBox(nullptr, lpszText, "", nType); }
    BOOL AskPassword(CString& strPassword) override
    {
        strPassword = m_password.c_str();
        return TRUE;
    }

private:
    std::string m_password;
};

class CStopProbe : public IQlcFileProbe
{
public:
    CStopProbe(int nStep, int nCount) : m_nStep(nStep), m_nCount(nCount) {}
    void OnStep(int nStep) override
    {
        if (nStep == m_nStep && ++m_nSeen == m_nCount)
            StopHere();
    }

private:
    int m_nStep;
    int m_nCount;
    int m_nSeen = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6)
    {
        fprintf(stderr, "usage: qlcsavechild <notebook> <password or -> <step> <count> <event name>\n");
        return 2;
    }
    const int nStep = atoi(argv[3]);
    const int nCount = atoi(argv[4]);
    g_hStopped = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[5]);
    if (g_hStopped == nullptr)
        return 2;

    if (nStep == -1)
    {
        printf("qlcsavechild: %d stale files removed\n", CQlcTempFile::SweepStale());
        return 0;
    }

    CCryptDLLHandler crypt;
    crypt.Load();
    QlcApp().SetCryptHandler(&crypt);
    CPasswordPrompts prompts(strcmp(argv[2], "-") == 0 ? "" : argv[2]);
    QlcSetPrompts(&prompts);

    // Never destroyed when the test kills the process, as in a crash.
    CQuillcrestDoc* pDoc = new CQuillcrestDoc;
    if (!pDoc->Data_OpenNotebookFile(argv[1]) || pDoc->Data_ReadFile() != 1)
        return 3;
    if (nStep == 0)
        StopHere();

    CQlcDocLock::CScoped tableLock108(pDoc->GetLock());
    const CQlcNodeMap& nodes = pDoc->GetNodeTable(tableLock108);
    for (POSITION pos = nodes.GetStartPosition(); pos != nullptr;)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        if (node.strName == "First note")
        {
            CQlcNode handle(pDoc, dwId);
            handle.SetName("First note, edited");
            handle.Update(TRUE);
            break;
        }
    }

    CStopProbe probe(nStep, nCount);
    QlcSetFileProbe(&probe);
    const BOOL bSaved = pDoc->Data_WriteFile();
    QlcSetFileProbe(nullptr);
    delete pDoc;
    QlcSetPrompts(nullptr);
    QlcApp().SetCryptHandler(nullptr);
    return bSaved ? 0 : 4;
}
