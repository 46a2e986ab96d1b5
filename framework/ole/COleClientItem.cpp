#include "framework/ole/COleClientItem.h"

#include "framework/ole/COleDocument.h"
#include "framework/docview/CView.h"

IMPLEMENT_DYNAMIC(COleClientItem, CDocItem)

COleClientItem::COleClientItem(COleDocument* pContainerDoc)
    : m_lpObject(nullptr), m_lpStorage(nullptr), m_nDrawAspect(DVASPECT_CONTENT)
{
    if (pContainerDoc != nullptr)
        pContainerDoc->AddItem(this);
}

COleClientItem::~COleClientItem()
{
    Release();
}

UINT COleClientItem::GetItemState() const
{
    if (m_lpObject == nullptr)
        return emptyState;
    return ::OleIsRunning(m_lpObject) ? openState : loadedState;
}

BOOL COleClientItem::CreateMemoryStorage(IStorage** ppStorage)
{
    *ppStorage = nullptr;
    ILockBytes* pLockBytes = nullptr;
    if (FAILED(::CreateILockBytesOnHGlobal(nullptr, TRUE, &pLockBytes)))
        return FALSE;
    const HRESULT hr = ::StgCreateDocfileOnILockBytes(
        pLockBytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, ppStorage);
    // The storage keeps its own reference on the bytes.
    pLockBytes->Release();
    if (FAILED(hr))
    {
        *ppStorage = nullptr;
        return FALSE;
    }
    return TRUE;
}

void COleClientItem::Attach(IOleObject* pObject, IStorage* pStorage)
{
    if (pObject != nullptr)
        pObject->AddRef();
    if (pStorage != nullptr)
        pStorage->AddRef();
    Release();
    m_lpObject = pObject;
    m_lpStorage = pStorage;
}

BOOL COleClientItem::CreateNewItem(REFCLSID clsid, IOleClientSite* pClientSite, DWORD dwDrawAspect)
{
    IStorage* pStorage = nullptr;
    if (!CreateMemoryStorage(&pStorage))
        return FALSE;
    IOleObject* pObject = nullptr;
    const HRESULT hr = ::OleCreate(clsid, IID_IOleObject, OLERENDER_DRAW, nullptr, pClientSite, pStorage,
                                   (void**)&pObject);
    if (FAILED(hr) || pObject == nullptr)
    {
        pStorage->Release();
        return FALSE;
    }
    ::OleSetContainedObject(pObject, TRUE);
    Attach(pObject, pStorage);
    pObject->Release();
    pStorage->Release();
    m_nDrawAspect = dwDrawAspect;
    return TRUE;
}

BOOL COleClientItem::CreateFromFile(LPCSTR lpszFileName, IOleClientSite* pClientSite, DWORD dwDrawAspect)
{
    WCHAR szFile[MAX_PATH];
    if (lpszFileName == nullptr || ::MultiByteToWideChar(CP_ACP, 0, lpszFileName, -1, szFile, MAX_PATH) == 0)
        return FALSE;
    IStorage* pStorage = nullptr;
    if (!CreateMemoryStorage(&pStorage))
        return FALSE;
    IOleObject* pObject = nullptr;
    const HRESULT hr = ::OleCreateFromFile(CLSID_NULL, szFile, IID_IOleObject, OLERENDER_DRAW, nullptr,
                                           pClientSite, pStorage, (void**)&pObject);
    if (FAILED(hr) || pObject == nullptr)
    {
        pStorage->Release();
        return FALSE;
    }
    ::OleSetContainedObject(pObject, TRUE);
    Attach(pObject, pStorage);
    pObject->Release();
    pStorage->Release();
    m_nDrawAspect = dwDrawAspect;
    return TRUE;
}

BOOL COleClientItem::DoVerb(LONG nVerb, CView* pView, LPMSG lpMsg)
{
    if (m_lpObject == nullptr)
        return FALSE;
    IOleClientSite* pSite = nullptr;
    m_lpObject->GetClientSite(&pSite);
    HWND hWnd = pView ? pView->m_hWnd : nullptr;
    RECT rc = { 0, 0, 0, 0 };
    if (hWnd != nullptr)
        ::GetClientRect(hWnd, &rc);
    const HRESULT hr = m_lpObject->DoVerb(nVerb, lpMsg, pSite, 0, hWnd, &rc);
    if (pSite != nullptr)
        pSite->Release();
    return SUCCEEDED(hr);
}

void COleClientItem::Close(DWORD dwCloseOption)
{
    if (m_lpObject != nullptr)
        m_lpObject->Close(dwCloseOption);
}

void COleClientItem::Release(DWORD dwCloseOption)
{
    if (m_lpObject != nullptr)
    {
        IOleObject* pObject = m_lpObject;
        m_lpObject = nullptr;
        pObject->Close(dwCloseOption);
        pObject->Release();
    }
    if (m_lpStorage != nullptr)
    {
        IStorage* pStorage = m_lpStorage;
        m_lpStorage = nullptr;
        pStorage->Release();
    }
}

void COleClientItem::Delete(BOOL bAutoDelete)
{
    Release();
    if (bAutoDelete)
        delete this;
}

CLSID COleClientItem::GetClassID() const
{
    CLSID clsid = CLSID_NULL;
    if (m_lpObject != nullptr)
        m_lpObject->GetUserClassID(&clsid);
    return clsid;
}
