// Helpers of the printing tests: an answer to the print dialogs that gives a
// display device context as the printer, the open preview window, and the
// text a page drew.
#pragma once

#include "framework/ui/AfxHooks.h"

#include <windows.h>

#include <string>
#include <vector>

class CPrintPreviewWnd;

// Installs itself for its lifetime. Every print dialog (the Print dialog,
// Print Setup, the default printer's question) is answered with a display
// device context, or cancelled while bAnswer is FALSE.
class CDisplayPrinter : public IAfxCommonDialogHook
{
public:
    CDisplayPrinter();
    ~CDisplayPrinter() override;
    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override;

    int nAsked = 0;
    DWORD dwLastFlags = 0;
    BOOL bAnswer = TRUE;

private:
    IAfxCommonDialogHook* m_pOld;
};

// The open preview window, or null.
CPrintPreviewWnd* FindPrintPreview();
// Presses a button of the preview's toolbar as a click would.
void ClickPreviewButton(CPrintPreviewWnd* pPreview, int nID);
// The text a page drew, its pieces separated by spaces.
std::string TextOfPage(HENHMETAFILE hPage);
// The numbers of the words "wNNNN" a page drew, in drawing order.
std::vector<int> WordsOfPage(HENHMETAFILE hPage);
