// Private window messages and layout structures of the framework.
#pragma once

#include "framework/base/AfxDefs.h"

class CString;

#define WM_QUERYAFXWNDPROC  0x0360  // answers 1 for windows of the framework
#define WM_SIZEPARENT       0x0361  // lParam = AFX_SIZEPARENTPARAMS*
#define WM_SETMESSAGESTRING 0x0362  // wParam = string id (or 0), lParam = text
#define WM_IDLEUPDATECMDUI  0x0363  // wParam = disable items without handlers
#define WM_INITIALUPDATE    0x0364  // sent to views when the frame is first shown
#define WM_RECALCPARENT     0x0368  // the frame should lay out its bars again
#define WM_KICKIDLE         0x036A  // posted to run an idle pass in modal loops

// What a control bar gets in WM_SIZEPARENT: the rectangle left for the rest
// of the frame (it takes its own piece off it) and the deferred moves.
struct AFX_SIZEPARENTPARAMS
{
    HDWP hDWP;
    RECT rect;
    SIZE sizeTotal;
    BOOL bStretch;
};

// RepositionBars modes.
enum { reposDefault = 0, reposQuery = 1, reposExtra = 2 };

// Moves a window within a layout pass (deferred when the pass defers).
void AFXAPI AfxRepositionWindow(AFX_SIZEPARENTPARAMS* lpLayout, HWND hWnd, LPCRECT lpRect);

// Registers the common-control window classes of dwClasses (ICC_* flags)
// before a control of them is created.
void AFXAPI AfxInitCommonControls(DWORD dwClasses);

// An item's text from a list or combo box: nLengthMsg asks its length and
// nTextMsg copies it. Returns the length, or the control's error value
// (with the string emptied).
int AFXAPI AfxGetListItemText(HWND hWnd, UINT nLengthMsg, UINT nTextMsg, int nIndex, CString& rString);
