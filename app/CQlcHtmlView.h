// The content view of an HTML page node: the node's page is written to a
// file of its own in the temporary folder and shown by the browser control.
// The view never writes the node back. Its files go with it: a page of an
// encrypted node must not stay on disk as plain text.
#pragma once

#include "framework/docview/CHtmlView.h"

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

    // Writes the node's page to a new temporary file and navigates to it.
    // FALSE when no temporary name could be had or the page could not be
    // written (nothing is left behind then). The browser's own failures are
    // quiet.
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

protected:
    // Deletes the page and the reserved name; a page that cannot be deleted
    // (held open) is emptied first, so no plain text is left.
    void RemoveFiles();

    CString m_strReservedPath;
    CString m_strPagePath;
    // Held open for the view's life so that no other run takes the reserved
    // name as stale and reuses it.
    HANDLE m_hReserved;

    DECLARE_MESSAGE_MAP()
};
