// What one print or preview run knows: the print dialog (and the printer's
// device context it returned), the page range, the page being printed and
// where on it to draw. The views' printing hooks read and set it.
#pragma once

#include "framework/base/CString.h"
#include "framework/gdi/CRect.h"

class CPrintDialog;

class CPrintInfo
{
public:
    CPrintInfo();
    ~CPrintInfo();
    CPrintInfo(const CPrintInfo&) = delete;
    CPrintInfo& operator=(const CPrintInfo&) = delete;

    // The page count of a document whose length is not known yet.
    static constexpr UINT kUnknownMaxPage = 0xFFFF;

    void SetMinPage(UINT nMinPage);
    void SetMaxPage(UINT nMaxPage);
    UINT GetMinPage() const;
    UINT GetMaxPage() const;
    // The range the user chose (the whole document unless pages were given).
    UINT GetFromPage() const;
    UINT GetToPage() const;

    CPrintDialog* m_pPD;        // owned; its device context too
    BOOL m_bDirect;             // no print dialog: the default printer
    BOOL m_bPreview;            // drawing for the preview window
    BOOL m_bContinuePrinting;   // FALSE once the current page does not exist
    BOOL m_bError;              // a page could not be drawn: the run fails
    UINT m_nCurPage;
    CRect m_rectDraw;           // the page's printable area, device units
    LPVOID m_lpUserData;
};
