#include "framework/ole/COleInsertDialog.h"

#include "framework/ole/COleClientItem.h"

IMPLEMENT_DYNAMIC(COleInsertDialog, CCommonDialog)

COleInsertDialog::COleInsertDialog(DWORD dwFlags, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_io(), m_szFileName()
{
    m_io.cbStruct = sizeof(m_io);
    // Embedding only: the program keeps no links to outside files.
    m_io.dwFlags = dwFlags | IOF_DISABLELINK;
    m_io.lpszFile = m_szFileName;
    m_io.cchFile = (UINT)sizeof(m_szFileName);
    m_io.clsid = CLSID_NULL;
}

INT_PTR COleInsertDialog::DoModal()
{
    const INT_PTR nHook = AskHook();
    if (nHook != -2)
        return nHook;
    m_io.hWndOwner = GetOwnerWindow();
    const UINT nResult = ::OleUIInsertObjectA(&m_io);
    if (nResult == OLEUI_OK)
        return IDOK;
    // Cancel and Escape; some systems' dialogs answer OLEUI_FALSE for them,
    // and for OK with no object type chosen, which creates nothing either.
    if (nResult == OLEUI_CANCEL || nResult == OLEUI_FALSE)
        return IDCANCEL;
    // Anything else is a failure the caller must tell.
    return IDABORT;
}

UINT COleInsertDialog::GetSelectionType() const
{
    if (m_io.dwFlags & IOF_SELECTCREATEFROMFILE)
        return (m_io.dwFlags & IOF_CHECKLINK) ? linkToFile : insertFromFile;
    return createNewItem;
}

BOOL COleInsertDialog::CreateItem(COleClientItem* pItem, IOleClientSite* pClientSite) const
{
    if (pItem == nullptr)
        return FALSE;
    switch (GetSelectionType())
    {
    case createNewItem:
        return pItem->CreateNewItem(m_io.clsid, pClientSite, GetDrawAspect());
    case insertFromFile:
        return pItem->CreateFromFile(m_szFileName, pClientSite, GetDrawAspect());
    default:
        return FALSE;
    }
}
