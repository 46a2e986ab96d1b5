#include "NotebookWindowSupport.h"

#include "CShownNote.h"

#include "core/CQlcCntrItem.h"
#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"

#include "framework/docview/CDocManager.h"
#include "framework/ole/COleClientItem.h"
#include "framework/docview/CMultiDocTemplate.h"

#include <ole2.h>

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------
// Notebooks

CNotebookBuilder::CNotebookBuilder()
{
    doc.OnNewDocument();
}

DWORD CNotebookBuilder::Folder(LPCSTR lpszName, DWORD dwParentId)
{
    CQlcNode node;
    node.Create(&doc, QLC_NODE_FOLDER, lpszName, dwParentId);
    return node.GetId();
}

DWORD CNotebookBuilder::Node(BYTE nType, LPCSTR lpszName, DWORD dwParentId, const std::string& data)
{
    CQlcNode node;
    node.Create(&doc, nType, lpszName, dwParentId);
    if (!data.empty())
    {
        CQlcNodeData* pData = node.GetDataForWrite(TRUE);
        EXPECT_NE(nullptr, pData);
        if (pData != nullptr)
        {
            pData->Put((const BYTE*)data.data(), (UINT)data.size());
            EXPECT_TRUE(pData->Flush());
        }
    }
    return node.GetId();
}

DWORD CNotebookBuilder::Note(LPCSTR lpszName, DWORD dwParentId, LPCSTR lpszRtf)
{
    return Node(QLC_NODE_NOTE, lpszName, dwParentId, lpszRtf ? std::string(lpszRtf) : std::string());
}

DWORD CNotebookBuilder::DamagedNote(LPCSTR lpszName, DWORD dwParentId)
{
    // Stored plain, then said to be compressed: gunzip refuses the bytes.
    CQlcNode node;
    node.Create(&doc, QLC_NODE_NOTE, lpszName, dwParentId);
    CQlcNodeData* pData = node.GetDataForWrite(FALSE);
    const std::string junk = "{\\rtf1 this was never compressed and cannot be read}";
    pData->Put((const BYTE*)junk.data(), (UINT)junk.size());
    EXPECT_TRUE(pData->Flush());
    QLCNODE record;
    doc.Data_GetNode(node.GetId(), record);
    record.dwFlags = QLC_NODEFLAG_COMPRESSED;
    record.dwPlainSize = 5000;
    doc.Data_SetNode(node.GetId(), record);
    return node.GetId();
}

DWORD CNotebookBuilder::Bookmark(LPCSTR lpszName, DWORD dwNodeId)
{
    QLCBOOKMARK bookmark;
    bookmark.dwBookmarkId = doc.Data_AddBookmark();
    bookmark.dwNodeId = dwNodeId;
    bookmark.strName = lpszName;
    doc.Data_SetBookmark(bookmark.dwBookmarkId, bookmark);
    return bookmark.dwBookmarkId;
}

DWORD CNotebookBuilder::Task(DWORD dwNodeId)
{
    QLCTASK task;
    task.dwTaskId = doc.Data_AddTask();
    task.strTitle = "Task";
    task.nPriority = 3;
    task.dwFlags = QLC_TASKFLAG_LINKED;
    task.dwLinkedNodeId = dwNodeId;
    doc.Data_SetTask(task.dwTaskId, task);
    return task.dwTaskId;
}

void CNotebookBuilder::Encrypt(DWORD dwNodeId, LPCSTR lpszPassword)
{
    CQlcApp& app = TestApp();
    ASSERT_TRUE(app.m_cryptHandler.IsLoaded());
    CQlcNode node(&doc, dwNodeId);
    ASSERT_TRUE(node.SetEncryption(app.m_cryptHandler.m_pfnGetDefaultCipher(), 32,
                                   app.m_cryptHandler.m_pfnGetDefaultHash(), lpszPassword,
                                   (DWORD)strlen(lpszPassword), "", 0));
    CQlcNode stored(&doc, dwNodeId);
    stored.SetPassword(FALSE, "");
}

CUpdateProbe QueryCommand(CCmdTarget* pTarget, UINT nID)
{
    CUpdateProbe probe;
    probe.m_nID = nID;
    probe.DoUpdate(pTarget, TRUE);
    return probe;
}

// ---------------------------------------------------------------------------
// Fixture

void NotebookWindowTest::SetUp()
{
    app.m_settings = CQlcSettings();
    app.m_settings.m_nPromptDelete = 1;
    if (app.m_treeImages.GetSafeHandle() == nullptr)
        app.LoadTreeImages();
    AfxInitRichEdit2();
    m_pMainFrame = MakeMainFrame();
    ASSERT_NE(nullptr, m_pMainFrame);
    m_pMainFrame->MoveWindow(0, 0, 1000, 700);
    m_pMainFrame->ShowWindow(SW_SHOW);
    // As start-up registers it, for the main frame's broadcast.
    g_uOptionsChangedMsg = ::RegisterWindowMessageA("Options Changed");
    app.m_pDocManager = new CDocManager;
    app.m_pDocumentClass = RUNTIME_CLASS(CQuillcrestDoc);
    app.CreateDocTemplate();
    m_pPrompts = new CRecordingPrompts(IDOK);

    char szTemp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szTemp);
    static int s_nFixture = 0;
    wsprintfA(m_szDir, "%sqlcwin-%lu-%d", szTemp, ::GetCurrentProcessId(), ++s_nFixture);
    ::CreateDirectoryA(m_szDir, nullptr);
}

void NotebookWindowTest::TearDown()
{
    app.CloseAllDocuments(TRUE);
    DestroyMainFrame();
    delete app.m_pDocManager;
    app.m_pDocManager = nullptr;
    delete m_pPrompts;
    m_pPrompts = nullptr;
    QlcSetPrompts(nullptr);
    app.m_cryptHandler.Unload();
    app.m_nodeClipboard = QLCNODECLIPBOARD();
    PumpMessages();

    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((std::string(m_szDir) + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string strFile = std::string(m_szDir) + "\\" + fd.cFileName;
            ::SetFileAttributesA(strFile.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(strFile.c_str());
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(m_szDir);
}

CString NotebookWindowTest::Path(LPCSTR lpszName) const
{
    return CString(m_szDir) + "\\" + lpszName;
}

CString NotebookWindowTest::MakeFile(LPCSTR lpszName, const std::string& bytes) const
{
    const CString strPath = Path(lpszName);
    HANDLE h = ::CreateFileA(strPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD dw = 0;
    ::WriteFile(h, bytes.data(), (DWORD)bytes.size(), &dw, nullptr);
    ::CloseHandle(h);
    return strPath;
}

std::string NotebookWindowTest::Selection(std::initializer_list<const char*> names) const
{
    std::string s = m_szDir;
    s.push_back('\0');
    for (const char* name : names)
        s.append(name).push_back('\0');
    return s;
}

CQuillcrestDoc* NotebookWindowTest::Open(LPCSTR lpszPath)
{
    CDocument* pDoc = app.OpenDocumentFile(lpszPath);
    PumpMessages();
    return pDoc ? DYNAMIC_DOWNCAST(CQuillcrestDoc, pDoc) : nullptr;
}

CQuillcrestDoc* NotebookWindowTest::OpenBuilt(CNotebookBuilder& builder, LPCSTR lpszName)
{
    const CString strPath = Path(lpszName);
    if (!builder.Save(strPath))
        return nullptr;
    // The builder lets go of the file so the template can open it.
    builder.doc.Data_ReleaseFiles();
    return Open(strPath);
}

CChildFrame* NotebookWindowTest::FrameOf(CQuillcrestDoc* pDoc) const
{
    POSITION pos = pDoc ? pDoc->GetFirstViewPosition() : nullptr;
    if (pos == nullptr)
        return nullptr;
    CFrameWnd* pFrame = pDoc->GetNextView(pos)->GetParentFrame();
    return pFrame ? DYNAMIC_DOWNCAST(CChildFrame, pFrame) : nullptr;
}

CQlcTreeCtrl* NotebookWindowTest::TreeOf(CQuillcrestDoc* pDoc) const
{
    CChildFrame* pFrame = FrameOf(pDoc);
    return pFrame ? pFrame->GetTreeCtrl() : nullptr;
}

CBookmarkTreeCtrl* NotebookWindowTest::BookmarksOf(CQuillcrestDoc* pDoc) const
{
    CChildFrame* pFrame = FrameOf(pDoc);
    return pFrame ? pFrame->GetBookmarkTreeCtrl() : nullptr;
}

std::vector<std::string> NotebookWindowTest::TakeMessages()
{
    std::vector<std::string> texts;
    for (const RecordedBox& box : m_pPrompts->boxes)
        texts.push_back(box.text);
    m_pPrompts->boxes.clear();
    return texts;
}

// ---------------------------------------------------------------------------
// The tree as text

int OverlayOf(CTreeCtrl& tree, HTREEITEM hItem)
{
    return (int)(tree.GetItemState(hItem, TVIS_OVERLAYMASK) >> 8);
}

BOOL IsBold(CTreeCtrl& tree, HTREEITEM hItem)
{
    return (tree.GetItemState(hItem, TVIS_BOLD) & TVIS_BOLD) != 0;
}

int ImageOf(CTreeCtrl& tree, HTREEITEM hItem)
{
    int nImage = -1, nSelected = -1;
    tree.GetItemImage(hItem, nImage, nSelected);
    return nImage;
}

std::string DescribeTree(CTreeCtrl& tree, HTREEITEM hParent, BOOL bMarks)
{
    std::string text;
    for (HTREEITEM h = tree.GetChildItem(hParent); h != nullptr; h = tree.GetNextSiblingItem(h))
    {
        if (!text.empty())
            text += ", ";
        text += (LPCSTR)tree.GetItemText(h);
        if (bMarks && (OverlayOf(tree, h) != 0 || IsBold(tree, h)))
        {
            text += "[";
            if (OverlayOf(tree, h) != 0)
                text += "o" + std::to_string(OverlayOf(tree, h));
            if (IsBold(tree, h))
                text += "b";
            text += "]";
        }
        if (tree.GetChildItem(h) != nullptr)
            text += "{" + DescribeTree(tree, h, bMarks) + "}";
    }
    return text;
}

HTREEITEM FindItem(CTreeCtrl& tree, LPCSTR lpszPath)
{
    std::string path = lpszPath;
    HTREEITEM hParent = nullptr;
    HTREEITEM hFound = nullptr;
    while (!path.empty())
    {
        const size_t nSlash = path.find('/');
        const std::string name = path.substr(0, nSlash);
        path = nSlash == std::string::npos ? std::string() : path.substr(nSlash + 1);
        hFound = nullptr;
        for (HTREEITEM h = tree.GetChildItem(hParent); h != nullptr; h = tree.GetNextSiblingItem(h))
        {
            if (name == (LPCSTR)tree.GetItemText(h))
            {
                hFound = h;
                break;
            }
        }
        if (hFound == nullptr)
            return nullptr;
        hParent = hFound;
    }
    return hFound;
}

// ---------------------------------------------------------------------------
// Input

namespace {

CPoint LabelCentre(CTreeCtrl& tree, HTREEITEM hItem)
{
    tree.EnsureVisible(hItem);
    CRect rc;
    tree.GetItemRect(hItem, rc, TRUE);
    return rc.CenterPoint();
}

} // namespace

void DoubleClickItem(CTreeCtrl& tree, HTREEITEM hItem)
{
    const CPoint pt = LabelCentre(tree, hItem);
    tree.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    PumpMessages();
}

void DoubleClickEmptySpace(CTreeCtrl& tree)
{
    CRect rc;
    tree.GetClientRect(rc);
    tree.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.right - 4, rc.bottom - 4));
    PumpMessages();
}

void ClickItem(CTreeCtrl& tree, HTREEITEM hItem)
{
    CPoint pt = LabelCentre(tree, hItem);
    CPoint ptScreen = pt;
    tree.ClientToScreen(&ptScreen);
    ::SetCursorPos(ptScreen.x, ptScreen.y);
    // The control follows the press in a loop of its own until the release,
    // which is waiting in the queue already.
    tree.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    PumpMessages();
}

void PressKey(CWnd& wnd, UINT nVirtKey)
{
    wnd.SendMessage(WM_KEYDOWN, nVirtKey, 1);
    wnd.SendMessage(WM_KEYUP, nVirtKey, 1 | (1u << 30) | (1u << 31));
    PumpMessages();
}

void RenameThroughEdit(CTreeCtrl& tree, LPCSTR lpszText, BOOL bCancel)
{
    HWND hEdit = tree.GetEditControl();
    ASSERT_NE(nullptr, hEdit) << "no label edit under way";
    ::SetWindowTextA(hEdit, lpszText);
    tree.EndEditLabelNow(bCancel);
    PumpMessages();
}

void UserClickItem(CTreeCtrl& tree, LPCSTR lpszPath, BOOL bDouble)
{
    HTREEITEM hItem = FindItem(tree, lpszPath);
    EXPECT_NE(nullptr, hItem) << lpszPath;
    if (hItem == nullptr)
        return;
    CUserInput::Click(tree.m_hWnd, LabelCentre(tree, hItem), bDouble);
}

CQlcRichEditViewEx* OpenNoteAsUser(CChildFrame* pFrame, LPCSTR lpszPath)
{
    UserClickItem(*pFrame->GetTreeCtrl(), lpszPath, TRUE);
    CQlcRichEditViewEx* pView = pFrame->GetRichEditView();
    if (pView != nullptr)
        CUserInput::Click(pView->m_hWnd, CharPoint(pView->GetRichEditCtrl(), 0));
    return pView;
}

// ---------------------------------------------------------------------------
// Menus

HMENU OpenMenu(CWnd* pFrame, LPCSTR lpszText)
{
    HMENU hBar = ::GetMenu(pFrame->m_hWnd);
    const int nCount = hBar ? ::GetMenuItemCount(hBar) : 0;
    for (int i = 0; i < nCount; i++)
    {
        char szText[64] = "";
        ::GetMenuStringA(hBar, (UINT)i, szText, sizeof(szText), MF_BYPOSITION);
        if (lstrcmpA(szText, lpszText) != 0)
            continue;
        HMENU hPopup = ::GetSubMenu(hBar, i);
        pFrame->SendMessage(WM_INITMENU, (WPARAM)hBar, 0);
        pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)hPopup, MAKELPARAM(i, FALSE));
        return hPopup;
    }
    return nullptr;
}

CMenuItemState ItemState(HMENU hMenu, UINT nID)
{
    const UINT nState = ::GetMenuState(hMenu, nID, MF_BYCOMMAND);
    if (nState == (UINT)-1)
        return { FALSE, FALSE, FALSE };
    return { TRUE, (nState & (MF_GRAYED | MF_DISABLED)) == 0, (nState & MF_CHECKED) != 0 };
}

void ChooseMenuItem(CWnd* pFrame, UINT nID)
{
    pFrame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    pFrame->PostMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
    CUserInput::Pump();
}

POINT CharPoint(CRichEditCtrl& ctrl, long nChar)
{
    const CPoint pt = ctrl.PosFromChar((UINT)nChar);
    return { pt.x + 2, pt.y + 4 };
}

// ---------------------------------------------------------------------------
// Notes

namespace {

DWORD CALLBACK CollectOut(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    reinterpret_cast<std::string*>(dwCookie)->append((const char*)pbBuff, (size_t)cb);
    *pcb = cb;
    return 0;
}

} // namespace

std::string StreamOutRtf(CRichEditCtrl& ctrl)
{
    std::string rtf;
    EDITSTREAM es = { (DWORD_PTR)&rtf, 0, &CollectOut };
    ctrl.StreamOut(SF_RTF, es);
    return rtf;
}

std::string PlainText(CRichEditCtrl& ctrl)
{
    CString text;
    ctrl.GetTextRange(0, ctrl.GetTextLengthEx(), text);
    return (LPCSTR)text;
}

std::string SimpleRtf(LPCSTR lpszText)
{
    return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ") + lpszText + "\\par}";
}

CHARFORMAT2A FormatOfWord(const std::string& rtf, LPCSTR lpszWord)
{
    const CShownNote note(rtf);
    const CHARRANGE range = note.Find(lpszWord);
    if (range.cpMin < 0)
    {
        CHARFORMAT2A cf = {};
        cf.cbSize = sizeof(cf);
        return cf;
    }
    return note.FormatOf(range);
}

std::string ReadFileBytes(LPCSTR lpszPath)
{
    std::string bytes;
    HANDLE h = ::CreateFileA(lpszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buf[4096];
    DWORD dwRead = 0;
    while (::ReadFile(h, buf, sizeof(buf), &dwRead, nullptr) && dwRead != 0)
        bytes.append(buf, dwRead);
    ::CloseHandle(h);
    return bytes;
}

std::string ReadPayload(CQuillcrestDoc* pDoc, DWORD dwNodeId)
{
    CQlcNode node(pDoc, dwNodeId);
    CQlcNodeData* pData = node.GetDataForRead();
    if (pData == nullptr)
        return std::string();
    std::string text;
    BYTE buf[4096];
    for (;;)
    {
        const UINT n = pData->Get(buf, sizeof(buf));
        if (n == 0)
            break;
        text.append((const char*)buf, n);
    }
    return text;
}

DWORD NodeIdByName(CQuillcrestDoc* pDoc, LPCSTR lpszName)
{
    CQlcDocLock::CScoped tableLock511(pDoc->GetLock());
    const CQlcNodeMap& nodes = pDoc->GetNodeTable(tableLock511);
    POSITION pos = nodes.GetStartPosition();
    while (pos != nullptr)
    {
        DWORD dwId = 0;
        QLCNODE node;
        nodes.GetNextAssoc(pos, dwId, node);
        if (node.strName == lpszName)
            return dwId;
    }
    return 0;
}

HRESULT InsertStaticPicture(CQuillcrestDoc* pDoc, CQlcRichEditViewEx* pView, int cx, int cy, CRichEditCntrItem** ppItem)
{
    if (ppItem != nullptr)
        *ppItem = nullptr;
    CRichEditCntrItem* pItem = pDoc->CreateClientItem(nullptr);
    if (pItem == nullptr)
        return E_FAIL;
    IStorage* pStorage = nullptr;
    IOleClientSite* pSite = pView->GetClientSite();
    if (!COleClientItem::CreateMemoryStorage(&pStorage) || pSite == nullptr)
    {
        if (pStorage != nullptr)
            pStorage->Release();
        if (pSite != nullptr)
            pSite->Release();
        pItem->Delete();
        return E_FAIL;
    }
    CMetafileData data(cx, cy);
    FORMATETC fmt = { CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF };
    IOleObject* pObject = nullptr;
    HRESULT hr =
        ::OleCreateStaticFromData(&data, IID_IOleObject, OLERENDER_FORMAT, &fmt, pSite, pStorage, (void**)&pObject);
    pSite->Release();
    if (FAILED(hr) || pObject == nullptr)
    {
        pStorage->Release();
        pItem->Delete();
        return FAILED(hr) ? hr : E_FAIL;
    }
    pItem->Attach(pObject, pStorage);
    pObject->Release();
    pStorage->Release();
    hr = pView->InsertItem(pItem);
    if (ppItem != nullptr)
        *ppItem = pItem;
    return hr;
}

// --- Menus -------------------------------------------------------------------------

namespace {

BOOL CALLBACK FindShownMenu(HWND hWnd, LPARAM lParam)
{
    char szClass[16] = {};
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, "#32768") == 0 && ::IsWindowVisible(hWnd))
    {
        *(HWND*)lParam = hWnd;
        return FALSE;
    }
    return TRUE;
}

void RecordGreyed(HMENU hMenu, std::set<UINT>& greyed)
{
    for (int i = 0; i < ::GetMenuItemCount(hMenu); i++)
    {
        if (HMENU hSub = ::GetSubMenu(hMenu, i))
            RecordGreyed(hSub, greyed);
        else if (::GetMenuState(hMenu, (UINT)i, MF_BYPOSITION) & MF_GRAYED)
            greyed.insert(::GetMenuItemID(hMenu, i));
    }
}

} // namespace

CMenuWatch* CMenuWatch::s_pThis = nullptr;

CMenuWatch::CMenuWatch() : m_nTimer(0)
{
    s_pThis = this;
    m_nTimer = ::SetTimer(nullptr, 0, 50, &OnTimer);
}

CMenuWatch::~CMenuWatch()
{
    ::KillTimer(nullptr, m_nTimer);
    s_pThis = nullptr;
}

void CALLBACK CMenuWatch::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    CMenuWatch* p = s_pThis;
    HWND hMenuWnd = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindShownMenu, (LPARAM)&hMenuWnd);
    if (p == nullptr || hMenuWnd == nullptr)
        return;
    p->nSeen++;
    ::GetWindowRect(hMenuWnd, &p->rcWindow);
    p->hMenu = (HMENU)::SendMessageA(hMenuWnd, MN_GETHMENU, 0, 0);
    if (p->hMenu != nullptr)
        RecordGreyed(p->hMenu, p->greyed);
    ::EndMenu();
}
