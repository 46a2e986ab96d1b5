// The Insert Object dialog: chooses a class to create a new object of, or a
// file to embed. DoModal asks the common-dialog hook first (the hook fills
// m_io: dwFlags with IOF_SELECTCREATENEW or IOF_SELECTCREATEFROMFILE, the
// class id or the file). CreateItem then makes the chosen object.
#pragma once

#include "framework/ui/CCommonDialog.h"

#include <ole2.h>
#include <oledlg.h>

class COleClientItem;

class COleInsertDialog : public CCommonDialog
{
    DECLARE_DYNAMIC(COleInsertDialog)
public:
    explicit COleInsertDialog(DWORD dwFlags = IOF_SELECTCREATENEW, CWnd* pParentWnd = nullptr);

    // IDOK, IDCANCEL when the user cancelled, IDABORT when the dialog failed.
    virtual INT_PTR DoModal();

    enum Selection { createNewItem, insertFromFile, linkToFile };
    UINT GetSelectionType() const;
    REFCLSID GetClassID() const { return m_io.clsid; }
    CString GetPathName() const { return CString(m_szFileName); }
    void SetPathName(LPCSTR lpszPath) { lstrcpynA(m_szFileName, lpszPath, (int)sizeof(m_szFileName)); }
    DWORD GetDrawAspect() const { return (m_io.dwFlags & IOF_CHECKDISPLAYASICON) ? DVASPECT_ICON : DVASPECT_CONTENT; }

    // Makes the chosen object in the item, reporting to the client site.
    // Links are not offered, so a link choice is refused (FALSE).
    BOOL CreateItem(COleClientItem* pItem, IOleClientSite* pClientSite) const;

    OLEUIINSERTOBJECTA m_io;

protected:
    char m_szFileName[MAX_PATH];
};
