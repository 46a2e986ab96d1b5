#include "framework/docview/CHtmlView.h"

#include "framework/ui/CFrameWnd.h"

#include <exdispid.h>
#include <ocidl.h>
#include <oleidl.h>

#include <string>

IMPLEMENT_DYNCREATE(CHtmlView, CView)

BEGIN_MESSAGE_MAP(CHtmlView, CView)
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {

CString TextFromBstr(BSTR bstr)
{
    if (bstr == nullptr)
        return CString();
    const int cch = (int)::SysStringLen(bstr);
    if (cch == 0)
        return CString();
    const int cb = ::WideCharToMultiByte(CP_ACP, 0, bstr, cch, nullptr, 0, nullptr, nullptr);
    std::string text((size_t)(cb > 0 ? cb : 0), '\0');
    if (cb > 0)
        ::WideCharToMultiByte(CP_ACP, 0, bstr, cch, &text[0], cb, nullptr, nullptr);
    return CString(text.c_str());
}

// A VARIANT argument of an event, by value or by reference.
const VARIANT* Deref(const VARIANT& v)
{
    if ((v.vt & VT_BYREF) && (v.vt & ~VT_BYREF) == VT_VARIANT && v.pvarVal != nullptr)
        return v.pvarVal;
    return &v;
}

CString TextOfArg(const VARIANT& v)
{
    const VARIANT* p = Deref(v);
    if (p->vt == VT_BSTR)
        return TextFromBstr(p->bstrVal);
    if (p->vt == (VT_BSTR | VT_BYREF) && p->pbstrVal != nullptr)
        return TextFromBstr(*p->pbstrVal);
    return CString();
}

long LongOfArg(const VARIANT& v)
{
    const VARIANT* p = Deref(v);
    if (p->vt == VT_I4)
        return p->lVal;
    if (p->vt == (VT_I4 | VT_BYREF) && p->plVal != nullptr)
        return *p->plVal;
    return 0;
}

class CBstr
{
public:
    explicit CBstr(LPCSTR lpsz) : m_bstr(nullptr)
    {
        if (lpsz == nullptr)
            return;
        const int cch = ::MultiByteToWideChar(CP_ACP, 0, lpsz, -1, nullptr, 0);
        if (cch <= 0)
            return;
        m_bstr = ::SysAllocStringLen(nullptr, (UINT)(cch - 1));
        if (m_bstr != nullptr)
            ::MultiByteToWideChar(CP_ACP, 0, lpsz, -1, m_bstr, cch);
    }
    ~CBstr() { ::SysFreeString(m_bstr); }
    BSTR Get() const { return m_bstr; }

private:
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    BSTR m_bstr;
};

} // namespace

// ---------------------------------------------------------------------------
// The container side the browser talks to: client site, in-place site and
// frame of the view's window, and the sink of the browser's events.

class CHtmlView::CBrowserSite : public IOleClientSite,
                                public IOleInPlaceSite,
                                public IOleInPlaceFrame,
                                public IDispatch
{
public:
    explicit CBrowserSite(CHtmlView* pView) : m_nRef(1), m_pView(pView) {}
    virtual ~CBrowserSite() {}

    // The view is going: calls that come later find nobody.
    void Detach() { m_pView = nullptr; }
    HWND GetViewWindow() const { return m_pView != nullptr ? m_pView->m_hWnd : nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *ppv = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame))
            *ppv = static_cast<IOleInPlaceFrame*>(this);
        else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, DIID_DWebBrowserEvents2))
            *ppv = static_cast<IDispatch*>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)::InterlockedIncrement(&m_nRef); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG n = ::InterlockedDecrement(&m_nRef);
        if (n == 0)
            delete this;
        return (ULONG)n;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override
    {
        if (ppmk != nullptr)
            *ppmk = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override
    {
        if (ppContainer != nullptr)
            *ppContainer = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of the site and the frame alike)
    STDMETHODIMP GetWindow(HWND* phwnd) override
    {
        if (phwnd == nullptr)
            return E_POINTER;
        *phwnd = GetViewWindow();
        return *phwnd != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return GetViewWindow() != nullptr ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override
    {
        if (ppFrame == nullptr || ppDoc == nullptr || lprcPosRect == nullptr || lprcClipRect == nullptr)
            return E_POINTER;
        *ppFrame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *ppDoc = nullptr;
        HWND hWnd = GetViewWindow();
        if (hWnd != nullptr)
            ::GetClientRect(hWnd, lprcPosRect);
        else
            ::SetRectEmpty(lprcPosRect);
        *lprcClipRect = *lprcPosRect;
        if (lpFrameInfo != nullptr)
        {
            lpFrameInfo->fMDIApp = FALSE;
            lpFrameInfo->hwndFrame = hWnd;
            lpFrameInfo->haccel = nullptr;
            lpFrameInfo->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override
    {
        if (m_pView == nullptr || m_pView->m_pBrowserObject == nullptr || lprcPosRect == nullptr)
            return S_OK;
        IOleInPlaceObject* pInPlace = nullptr;
        if (SUCCEEDED(m_pView->m_pBrowserObject->QueryInterface(IID_IOleInPlaceObject, (void**)&pInPlace)) &&
            pInPlace != nullptr)
        {
            pInPlace->SetObjectRects(lprcPosRect, lprcPosRect);
            pInPlace->Release();
        }
        return S_OK;
    }

    // IOleInPlaceUIWindow / IOleInPlaceFrame: the view has no tools or menus
    // to share.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: the browser's events
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        if (pctinfo != nullptr)
            *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override
    {
        if (ppTInfo != nullptr)
            *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        // Called from the browser: nothing may unwind into it.
        try
        {
            if (m_pView != nullptr && pParams != nullptr)
                m_pView->OnBrowserEvent(dispid, pParams);
        }
        catch (...)
        {
        }
        return S_OK;
    }

private:
    LONG m_nRef;
    CHtmlView* m_pView;
};

// ---------------------------------------------------------------------------
// The view

CHtmlView::CHtmlView() : m_pBrowserApp(nullptr), m_pBrowserObject(nullptr), m_pSite(nullptr), m_dwEventCookie(0)
{
}

CHtmlView::~CHtmlView()
{
    ReleaseBrowser();
}

BOOL CHtmlView::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    if (!CView::Create(lpszClassName, lpszWindowName, dwStyle | WS_CLIPCHILDREN, rect, pParentWnd, nID, pContext))
        return FALSE;
    // Without a browser engine the view stays an empty window.
    CreateBrowser();
    return TRUE;
}

BOOL CHtmlView::CreateBrowser()
{
    if (m_pBrowserApp != nullptr)
        return TRUE;
    try
    {
        if (FAILED(CreateBrowserObject(&m_pBrowserObject)) || m_pBrowserObject == nullptr)
        {
            m_pBrowserObject = nullptr;
            return FALSE;
        }
        m_pSite = new CBrowserSite(this);
        CRect rect;
        GetClientRect(rect);
        if (FAILED(m_pBrowserObject->SetClientSite(m_pSite)) ||
            FAILED(m_pBrowserObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_pSite, 0, m_hWnd, rect)) ||
            FAILED(m_pBrowserObject->QueryInterface(IID_IWebBrowser2, (void**)&m_pBrowserApp)) ||
            m_pBrowserApp == nullptr)
        {
            m_pBrowserApp = nullptr;
            ReleaseBrowser();
            return FALSE;
        }
        // The events; a browser that offers none still shows pages.
        IConnectionPointContainer* pContainer = nullptr;
        if (SUCCEEDED(m_pBrowserApp->QueryInterface(IID_IConnectionPointContainer, (void**)&pContainer)) &&
            pContainer != nullptr)
        {
            IConnectionPoint* pPoint = nullptr;
            if (SUCCEEDED(pContainer->FindConnectionPoint(DIID_DWebBrowserEvents2, &pPoint)) && pPoint != nullptr)
            {
                if (FAILED(pPoint->Advise(static_cast<IDispatch*>(m_pSite), &m_dwEventCookie)))
                    m_dwEventCookie = 0;
                pPoint->Release();
            }
            pContainer->Release();
        }
        m_pBrowserApp->put_Silent(VARIANT_TRUE);
        return TRUE;
    }
    catch (...)
    {
        ReleaseBrowser();
        return FALSE;
    }
}

HRESULT CHtmlView::CreateBrowserObject(IOleObject** ppObject)
{
    return ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, (void**)ppObject);
}

void CHtmlView::ReleaseBrowser()
{
    if (m_pBrowserApp != nullptr)
    {
        if (m_dwEventCookie != 0)
        {
            IConnectionPointContainer* pContainer = nullptr;
            if (SUCCEEDED(m_pBrowserApp->QueryInterface(IID_IConnectionPointContainer, (void**)&pContainer)) &&
                pContainer != nullptr)
            {
                IConnectionPoint* pPoint = nullptr;
                if (SUCCEEDED(pContainer->FindConnectionPoint(DIID_DWebBrowserEvents2, &pPoint)) && pPoint != nullptr)
                {
                    pPoint->Unadvise(m_dwEventCookie);
                    pPoint->Release();
                }
                pContainer->Release();
            }
            m_dwEventCookie = 0;
        }
        m_pBrowserApp->Release();
        m_pBrowserApp = nullptr;
    }
    if (m_pBrowserObject != nullptr)
    {
        m_pBrowserObject->Close(OLECLOSE_NOSAVE);
        m_pBrowserObject->SetClientSite(nullptr);
        m_pBrowserObject->Release();
        m_pBrowserObject = nullptr;
    }
    if (m_pSite != nullptr)
    {
        m_pSite->Detach();
        m_pSite->Release();
        m_pSite = nullptr;
    }
}

BOOL CHtmlView::Navigate2(LPCSTR lpszURL, DWORD dwFlags, LPCSTR lpszTargetFrameName, LPCSTR lpszHeaders)
{
    if (m_pBrowserApp == nullptr || lpszURL == nullptr)
        return FALSE;
    CBstr url(lpszURL), target(lpszTargetFrameName), headers(lpszHeaders);
    VARIANT vURL, vFlags, vTarget, vPostData, vHeaders;
    ::VariantInit(&vURL);
    ::VariantInit(&vFlags);
    ::VariantInit(&vTarget);
    ::VariantInit(&vPostData);
    ::VariantInit(&vHeaders);
    vURL.vt = VT_BSTR;
    vURL.bstrVal = url.Get();
    vFlags.vt = VT_I4;
    vFlags.lVal = (LONG)dwFlags;
    if (target.Get() != nullptr)
    {
        vTarget.vt = VT_BSTR;
        vTarget.bstrVal = target.Get();
    }
    if (headers.Get() != nullptr)
    {
        vHeaders.vt = VT_BSTR;
        vHeaders.bstrVal = headers.Get();
    }
    return SUCCEEDED(m_pBrowserApp->Navigate2(&vURL, &vFlags, &vTarget, &vPostData, &vHeaders));
}

void CHtmlView::Stop()
{
    if (m_pBrowserApp != nullptr)
        m_pBrowserApp->Stop();
}

// ---------------------------------------------------------------------------
// Events

void CHtmlView::OnBrowserEvent(DISPID dispid, DISPPARAMS* pParams)
{
    VARIANTARG* args = pParams->rgvarg;
    const UINT n = pParams->cArgs;
    switch (dispid)
    {
    case DISPID_BEFORENAVIGATE2:
    {
        // (browser, URL, flags, target frame, post data, headers, cancel),
        // last argument first.
        if (n < 7)
            return;
        BOOL bCancel = FALSE;
        OnBeforeNavigate2(TextOfArg(args[5]), (DWORD)LongOfArg(args[4]), TextOfArg(args[3]), TextOfArg(args[1]),
                          &bCancel);
        if (args[0].vt == (VT_BOOL | VT_BYREF) && args[0].pboolVal != nullptr)
            *args[0].pboolVal = bCancel ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    }
    case DISPID_NAVIGATECOMPLETE2:
        if (n >= 2)
            OnNavigateComplete2(TextOfArg(args[0]));
        break;
    case DISPID_DOCUMENTCOMPLETE:
        if (n >= 2)
            OnDocumentComplete(TextOfArg(args[0]));
        break;
    case DISPID_STATUSTEXTCHANGE:
        if (n >= 1)
            OnStatusTextChange(TextOfArg(args[0]));
        break;
    default:
        break;
    }
}

void CHtmlView::OnBeforeNavigate2(LPCSTR, DWORD, LPCSTR, LPCSTR, BOOL* /*pbCancel*/)
{
}

void CHtmlView::OnNavigateComplete2(LPCSTR)
{
}

void CHtmlView::OnDocumentComplete(LPCSTR)
{
}

void CHtmlView::OnStatusTextChange(LPCSTR lpszText)
{
    CFrameWnd* pFrame = GetTopLevelFrame();
    if (pFrame == nullptr)
        return;
    // The browser clears its text when it has nothing to say: the bar says
    // what it says when idle then, rather than nothing at all.
    if (lpszText == nullptr || *lpszText == '\0')
        pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    else
        pFrame->SetMessageText(lpszText);
}

// ---------------------------------------------------------------------------
// Window

void CHtmlView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (m_pSite != nullptr && m_pBrowserObject != nullptr)
    {
        const CRect rect(0, 0, cx, cy);
        m_pSite->OnPosRectChange(rect);
    }
}

void CHtmlView::OnDestroy()
{
    ReleaseBrowser();
    CView::OnDestroy();
}

BOOL CHtmlView::OnEraseBkgnd(CDC* pDC)
{
    // The browser covers the window; without one the window shows empty.
    if (m_pBrowserApp != nullptr)
        return TRUE;
    return CView::OnEraseBkgnd(pDC);
}
