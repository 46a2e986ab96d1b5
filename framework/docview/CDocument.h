// Document of the document/view architecture: path, title, modified state
// and the list of its views. A document works without any view, frame or
// template, so it can be driven directly. With views it closes their frames
// when it closes, and it is deleted (m_bAutoDelete) when its last view goes.
#pragma once

#include "framework/base/CCmdTarget.h"
#include "framework/base/CPtrList.h"
#include "framework/base/CString.h"

class CDocTemplate;
class CException;
class CView;
class CFrameWnd;

class CDocument : public CCmdTarget
{
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // Also adds the file to the program's recent-file list (bAddToMRU).
    virtual void SetPathName(LPCSTR lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL IsModified();
    virtual void SetModifiedFlag(BOOL bModified = TRUE);

    // Views
    POSITION GetFirstViewPosition() const { return m_viewList.GetHeadPosition(); }
    CView* GetNextView(POSITION& rPosition) const { return (CView*)m_viewList.GetNext(rPosition); }
    BOOL HasViews() const { return !m_viewList.IsEmpty(); }
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);
    virtual void OnChangedViewList();
    // Window numbers in the titles of frames when there are several.
    virtual void UpdateFrameCounts();

    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCSTR lpszPathName);
    virtual BOOL OnSaveDocument(LPCSTR lpszPathName);
    virtual void DeleteContents();

    // Closing: frames ask CanCloseFrame; the last frame of a modified
    // document asks the user (SaveModified). OnCloseDocument destroys every
    // frame and deletes the document when m_bAutoDelete is set.
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    virtual BOOL SaveModified();
    virtual void PreCloseFrame(CFrameWnd* pFrame);
    virtual void OnCloseDocument();
    // Save under the current name (Save As when it has none or is read-only).
    virtual BOOL DoFileSave();
    // Save to lpszPathName, asking for a name when it is null.
    virtual BOOL DoSave(LPCSTR lpszPathName, BOOL bReplace = TRUE);
    // Tells the user why a save or an open failed: a file error by its cause
    // (damaged, not found, disk full, no access, input/output), anything else
    // with the default prompt nIDPDefault. %1 in the prompt is the path. A
    // CUserException has been reported already and shows nothing.
    virtual void ReportSaveLoadException(LPCSTR lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault);
    virtual HMENU GetDefaultMenu() { return nullptr; }
    virtual HACCEL GetDefaultAccelerator() { return nullptr; }

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();

    BOOL m_bAutoDelete;   // deleted when its last view goes
    CDocTemplate* m_pDocTemplate;

protected:
    CString m_strTitle;
    CString m_strPathName;
    BOOL m_bModified;
    CPtrList m_viewList;

    DECLARE_MESSAGE_MAP()
};
