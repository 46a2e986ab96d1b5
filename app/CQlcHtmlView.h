// The content view of an HTML page node: the node's page is written to a
// file of its own in the temporary folder and shown by the browser control.
// The view never writes the node back. Its files go with it: a page of an
// encrypted node must not stay on disk as plain text.
//
// A page comes from a notebook, perhaps someone else's: it is shown as a
// page from the Internet would be, never with the rights of a file of this
// machine. Its file begins with the mark of the web, which puts it in the
// Internet zone, and the view tells the browser to neither run nor download
// ActiveX controls. While it is shown the file is held open so that no
// other program can change, replace or delete it.
#pragma once

#include "framework/docview/CHtmlView.h"

#include <string>

class CQuillcrestDoc;

class CQlcHtmlView : public CHtmlView
{
    DECLARE_DYNCREATE(CQlcHtmlView)
public:
    CQlcHtmlView();
    ~CQlcHtmlView() override;

    // The prefix of the view's temporary files ("QLC1A2B.tmp" and
    // "QLC1A2B.html").
    static const char kTempPrefix[];
    // The mark of the web a page file begins with (in the page's encoding,
    // after its byte-order mark when it has one).
    static const char kMarkOfTheWeb[];
    // What the page file holds before the page's bytes from nSkip on: the
    // page's byte-order mark (UTF-8, UTF-16 of either order), if any, and
    // the mark of the web in that encoding.
    static std::string PagePrefix(const BYTE* pPage, size_t nPage, size_t& nSkip);

    // Writes the node's page, after the mark of the web, to a new temporary
    // file and navigates to it. FALSE when no temporary name could be had or
    // the page could not be read or written (nothing is left behind then).
    // The browser's own failures are quiet.
    BOOL LoadNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, BOOL bPasswordKnown, LPCSTR lpszPassword);

    // The page file shown and the name reserved for it (empty when none).
    const CString& GetPagePath() const { return m_strPagePath; }
    const CString& GetReservedPath() const { return m_strReservedPath; }

    // Removes what earlier runs left in the temporary folder: pages and
    // reserved names of ours that no running view still holds.
    static void RemoveStaleFiles();
    // The page file's name for a reserved ".tmp" name: the same name with
    // ".html". Empty when the name does not end in ".tmp".
    static CString PageNameFor(const CString& strReserved);

    void DoDataExchange(CDataExchange* pDX) override;
    void OnDestroy();

    // The browser is told not to run or download ActiveX controls, and
    // every action of a page about them is refused.
    BOOL OnAmbientProperty(DISPID dispid, VARIANT* pvar) override;
    BOOL OnUrlAction(LPCWSTR lpszURL, DWORD dwAction, DWORD* pdwPolicy) override;

protected:
    // Writes the mark of the web and the node's page to the page file, then
    // holds it open for reading only.
    BOOL WritePage(CQuillcrestDoc* pDoc, DWORD dwNodeId, BOOL bHasData);
    // Deletes the page and the reserved name; the page is overwritten with
    // zeros first, so that no plain text is left even where it cannot be
    // deleted (someone holds it open).
    void RemoveFiles();

    CString m_strReservedPath;
    CString m_strPagePath;
    // Held open for the view's life so that no other run takes the reserved
    // name as stale and reuses it.
    HANDLE m_hReserved;
    // The page, held open for reading while it is shown: others may read it
    // (the browser does), nobody may write or delete it.
    HANDLE m_hPage;

    DECLARE_MESSAGE_MAP()
};
