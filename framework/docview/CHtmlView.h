// A view that shows web pages in the system's web browser object, hosted in
// place inside the view's window. The browser is optional: where it cannot
// be made (no browser engine) the view stays an empty window, navigation
// does nothing and nobody is asked anything. The browser's events arrive as
// the virtual On... handlers below; what the browser asks its host (ambient
// properties, the policy for what a page may do) goes to the two virtual
// On... answers.
#pragma once

#include "framework/docview/CView.h"

#include <exdisp.h>
#include <oaidl.h>

class CHtmlView : public CView
{
    DECLARE_DYNCREATE(CHtmlView)
public:
    CHtmlView();
    ~CHtmlView() override;

    // The window, then the browser in it. FALSE only when the window could
    // not be made; a missing browser leaves a plain window.
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, CCreateContext* pContext = nullptr) override;

    // The hosted browser, or null when it could not be made.
    IWebBrowser2* GetBrowser() const { return m_pBrowserApp; }
    BOOL HasBrowser() const { return m_pBrowserApp != nullptr; }

    // Starts loading a page. FALSE (quietly) without a browser or when the
    // browser refuses.
    BOOL Navigate2(LPCSTR lpszURL, DWORD dwFlags = 0, LPCSTR lpszTargetFrameName = nullptr,
                   LPCSTR lpszHeaders = nullptr);
    void Stop();

    // --- Browser events ----------------------------------------------------------
    // Before a page is loaded; setting *pbCancel stops it.
    virtual void OnBeforeNavigate2(LPCSTR lpszURL, DWORD nFlags, LPCSTR lpszTargetFrameName, LPCSTR lpszHeaders,
                                   BOOL* pbCancel);
    virtual void OnNavigateComplete2(LPCSTR lpszURL);
    virtual void OnDocumentComplete(LPCSTR lpszURL);
    // The page's status text: shown in the frame's status bar.
    virtual void OnStatusTextChange(LPCSTR lpszText);

    // One event of the browser with its arguments as the browser sends them
    // (last argument first); calls the handler above.
    void OnBrowserEvent(DISPID dispid, DISPPARAMS* pParams);

    // --- What the browser asks its host ---------------------------------------
    // An ambient property (DISPID_AMBIENT_...): TRUE with *pvar set answers
    // it; FALSE (the default) leaves the browser's own default.
    virtual BOOL OnAmbientProperty(DISPID dispid, VARIANT* pvar);
    // Whether a page may take an action (URLACTION_...): TRUE with
    // *pdwPolicy set (URLPOLICY_...) decides it; FALSE (the default) leaves
    // it to the settings of the page's zone.
    virtual BOOL OnUrlAction(LPCWSTR lpszURL, DWORD dwAction, DWORD* pdwPolicy);
    // The host object the browser is given as its client site (null without
    // a browser): the browser asks its questions through this object.
    IUnknown* GetHostSite() const;

    void OnSize(UINT nType, int cx, int cy);
    void OnDestroy();
    BOOL OnEraseBkgnd(CDC* pDC);

    class CBrowserSite;

protected:
    // Makes the browser object and activates it in the window; on any
    // failure everything made so far is released again.
    BOOL CreateBrowser();
    void ReleaseBrowser();
    // The browser object itself (the system's web browser).
    virtual HRESULT CreateBrowserObject(IOleObject** ppObject);

    IWebBrowser2* m_pBrowserApp;
    IOleObject* m_pBrowserObject;
    CBrowserSite* m_pSite;
    DWORD m_dwEventCookie;

    DECLARE_MESSAGE_MAP()
};
