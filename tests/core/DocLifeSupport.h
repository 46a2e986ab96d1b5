// Helpers of the document lifecycle tests: the framework's message boxes
// recorded and answered, a frame that answers what the document asks of it,
// and second names for files that are about to be deleted.
#pragma once

#include "core/IQlcFrameCallbacks.h"

#include "framework/base/AfxPrompt.h"

#include "TestSupport.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Installs itself for its lifetime: the framework's message boxes (the
// save and load error reports) are recorded and answered from a script
// (IDOK when it is empty).
class CAfxBoxes : public IAfxPromptHook
{
public:
    CAfxBoxes();
    ~CAfxBoxes() override;
    int OnMessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override;

    std::vector<CTestPrompts::CBox> boxes;
    std::deque<int> answers;

private:
    IAfxPromptHook* m_pPrevious;
};

// A frame showing the document: answers and records its calls. It is the
// document's frame from construction to destruction.
class CLifeFrame : public IQlcFrameCallbacks
{
public:
    explicit CLifeFrame(CQuillcrestDoc& doc);
    ~CLifeFrame() override;

    void OnDocumentLoaded() override { ++nLoaded; }
    BOOL SaveCurrentNote() override;
    BOOL IsTasksBarVisible() override { return bTasksVisible; }
    void SetRichEditHostNames(LPCSTR lpszTitle) override { hostNames.push_back(lpszTitle ? lpszTitle : ""); }
    BOOL IsEditorModified() override { return bEditorModified; }
    void UpdateTaskItem(DWORD) override {}
    void RefreshTreeNodeItem(DWORD) override {}
    void RedrawBlankArea() override {}

    BOOL bSaveResult = TRUE;
    BOOL bTasksVisible = FALSE;
    BOOL bEditorModified = FALSE;
    // Runs inside SaveCurrentNote, as the editor storing its note would.
    std::function<void()> onSave;
    int nLoaded = 0;
    int nSaves = 0;
    std::vector<std::string> hostNames;

private:
    CQuillcrestDoc& m_doc;
};

// A second name (hard link) for a file in a folder of the test, so that its
// last contents can be read after the first name is deleted. Empty when the
// file system cannot make one.
CString LinkTo(const CTempDir& dir, LPCSTR lpszName, LPCSTR lpszExisting);
BOOL IsAllZero(const Bytes& bytes);
BOOL FileExists(LPCSTR lpszPath);
// Whether someone may open the file to write beside its present holders.
BOOL CanOpenForWriting(LPCSTR lpszPath);
// The bytes per sector of the volume that holds the path.
DWORD SectorSizeOf(LPCSTR lpszPath);
