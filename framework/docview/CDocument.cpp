#include "framework/docview/CDocument.h"

#include "framework/base/AfxPath.h"
#include "framework/base/AfxPrompt.h"
#include "framework/base/CFileException.h"
#include "framework/docview/CDocTemplate.h"
#include "framework/docview/CView.h"
#include "framework/docview/CWinApp.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CWaitCursor.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::CDocument() : m_bAutoDelete(TRUE), m_pDocTemplate(nullptr), m_bModified(FALSE)
{
}

CDocument::~CDocument()
{
    // Views that outlive the document forget it.
    POSITION pos = m_viewList.GetHeadPosition();
    while (pos != nullptr)
        ((CView*)m_viewList.GetNext(pos))->m_pDocument = nullptr;
    m_viewList.RemoveAll();
    if (m_pDocTemplate != nullptr)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCSTR lpszTitle)
{
    m_strTitle = lpszTitle;
    UpdateFrameCounts();
}

void CDocument::SetPathName(LPCSTR lpszPathName, BOOL bAddToMRU)
{
    // The full path, as the system resolves it.
    char szFull[MAX_PATH];
    LPSTR lpszFilePart = nullptr;
    const DWORD n = GetFullPathNameA(lpszPathName, MAX_PATH, szFull, &lpszFilePart);
    if (n > 0 && n < MAX_PATH)
        m_strPathName = szFull;
    else
        m_strPathName = lpszPathName;

    SetTitle(AfxPathGetFileName(m_strPathName));

    if (bAddToMRU)
    {
        if (CWinApp* pApp = AfxGetApp())
            pApp->AddToRecentFileList(m_strPathName);
    }
}

BOOL CDocument::IsModified()
{
    return m_bModified;
}

void CDocument::SetModifiedFlag(BOOL bModified)
{
    m_bModified = bModified;
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCSTR /*lpszPathName*/)
{
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCSTR /*lpszPathName*/)
{
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::DeleteContents()
{
}

// ---------------------------------------------------------------------------
// Views

void CDocument::AddView(CView* pView)
{
    if (m_viewList.Find(pView) != nullptr)
        return;
    m_viewList.AddTail(pView);
    pView->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* pView)
{
    POSITION pos = m_viewList.Find(pView);
    if (pos == nullptr)
        return;
    m_viewList.RemoveAt(pos);
    pView->m_pDocument = nullptr;
    OnChangedViewList();
}

void CDocument::OnChangedViewList()
{
    // The last view went: the document goes too.
    if (m_viewList.IsEmpty() && m_bAutoDelete)
    {
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts();
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    POSITION pos = m_viewList.GetHeadPosition();
    while (pos != nullptr)
    {
        CView* pView = (CView*)m_viewList.GetNext(pos);
        if (pView != pSender)
            pView->OnUpdate(pSender, lHint, pHint);
    }
}

void CDocument::UpdateFrameCounts()
{
    // Count the distinct frames, then number them when there is more than one.
    CPtrList frames;
    POSITION pos = m_viewList.GetHeadPosition();
    while (pos != nullptr)
    {
        CView* pView = (CView*)m_viewList.GetNext(pos);
        if (pView->m_hWnd == nullptr || !::IsWindowVisible(pView->m_hWnd))
            continue;
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame != nullptr && frames.Find(pFrame) == nullptr)
            frames.AddTail(pFrame);
    }
    int nFrame = 1;
    const int nFrames = (int)frames.GetCount();
    pos = frames.GetHeadPosition();
    while (pos != nullptr)
    {
        CFrameWnd* pFrame = (CFrameWnd*)frames.GetNext(pos);
        pFrame->m_nWindow = nFrames == 1 ? 0 : nFrame++;
        pFrame->OnUpdateFrameTitle(TRUE);
    }
}

// ---------------------------------------------------------------------------
// Closing and saving

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrameArg)
{
    POSITION pos = GetFirstViewPosition();
    while (pos != nullptr)
    {
        CView* pView = GetNextView(pos);
        if (pView->GetParentFrame() != pFrameArg)
            return TRUE; // another frame stays open
    }
    return SaveModified();
}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;
    CString strName = m_strPathName;
    if (strName.IsEmpty())
    {
        strName = m_strTitle;
        if (strName.IsEmpty())
            strName.LoadString(AFX_IDS_UNTITLED);
    }
    CString strPrompt;
    AfxFormatString1(strPrompt, AFX_IDP_ASK_TO_SAVE, strName);
    switch (AfxMessageBox(strPrompt, MB_YESNOCANCEL, AFX_IDP_ASK_TO_SAVE))
    {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        return DoFileSave();
    default:
        return TRUE;
    }
}

void CDocument::PreCloseFrame(CFrameWnd* /*pFrame*/)
{
}

void CDocument::OnCloseDocument()
{
    // Keep the document alive while its frames go.
    const BOOL bAutoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (!m_viewList.IsEmpty())
    {
        CView* pView = (CView*)m_viewList.GetHead();
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame != nullptr)
        {
            PreCloseFrame(pFrame);
            pFrame->DestroyWindow();
        }
        else
        {
            pView->DestroyWindow();
        }
        // A view whose window was already gone leaves by hand.
        if (!m_viewList.IsEmpty() && m_viewList.GetHead() == pView)
            RemoveView(pView);
    }
    m_bAutoDelete = bAutoDelete;
    DeleteContents();
    if (m_bAutoDelete)
        delete this;
}

BOOL CDocument::DoFileSave()
{
    const DWORD dwAttrib = ::GetFileAttributesA(m_strPathName);
    if (m_strPathName.IsEmpty() || (dwAttrib != INVALID_FILE_ATTRIBUTES && (dwAttrib & FILE_ATTRIBUTE_READONLY)))
        return DoSave(nullptr);
    return DoSave(m_strPathName);
}

BOOL CDocument::DoSave(LPCSTR lpszPathName, BOOL bReplace)
{
    CString strNewName = lpszPathName;
    if (strNewName.IsEmpty())
    {
        strNewName = m_strPathName;
        if (bReplace && strNewName.IsEmpty())
            strNewName = m_strTitle;
        CWinApp* pApp = AfxGetApp();
        if (pApp == nullptr ||
            !pApp->DoPromptFileName(strNewName, AFX_IDS_SAVEFILE, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, FALSE,
                                    m_pDocTemplate))
            return FALSE;
    }
    CWaitCursor wait;
    if (!OnSaveDocument(strNewName))
        return FALSE;
    if (bReplace)
        SetPathName(strNewName);
    return TRUE;
}

void CDocument::ReportSaveLoadException(LPCSTR lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault)
{
    if (e != nullptr && e->IsKindOf(RUNTIME_CLASS(CUserException)))
        return;

    UINT nIDP = nIDPDefault;
    if (e != nullptr && e->IsKindOf(RUNTIME_CLASS(CFileException)))
    {
        switch (static_cast<CFileException*>(e)->m_cause)
        {
        case CFileException::fileNotFound:
        case CFileException::badPath:
            nIDP = AFX_IDP_FAILED_INVALID_PATH;
            break;
        case CFileException::diskFull:
            nIDP = AFX_IDP_FAILED_DISK_FULL;
            break;
        case CFileException::accessDenied:
        case CFileException::sharingViolation:
        case CFileException::lockViolation:
            nIDP = bSaving ? AFX_IDP_FAILED_ACCESS_WRITE : AFX_IDP_FAILED_ACCESS_READ;
            break;
        case CFileException::endOfFile:
        case CFileException::invalidFile:
            // A file that ends early or does not hold together is damaged
            // when it is read; a write meeting it names the default.
            if (!bSaving)
                nIDP = AFX_IDP_FAILED_INVALID_FORMAT;
            break;
        case CFileException::hardIO:
        case CFileException::badSeek:
            nIDP = bSaving ? AFX_IDP_FAILED_IO_ERROR_WRITE : AFX_IDP_FAILED_IO_ERROR_READ;
            break;
        default:
            break;
        }
    }

    CString strPrompt;
    AfxFormatString1(strPrompt, nIDP, lpszPathName != nullptr ? lpszPathName : "");
    if (strPrompt.IsEmpty())
        strPrompt.LoadString(bSaving ? AFX_IDP_FAILED_TO_SAVE_DOC : AFX_IDP_FAILED_TO_OPEN_DOC);
    AfxMessageBox(strPrompt, MB_ICONEXCLAMATION);
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (m_pDocTemplate != nullptr && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return FALSE;
}

void CDocument::OnFileClose()
{
    if (!SaveModified())
        return;
    OnCloseDocument();
}

void CDocument::OnFileSave()
{
    DoFileSave();
}

void CDocument::OnFileSaveAs()
{
    DoSave(nullptr);
}
