// Window-message entries of message maps (ON_WM_*), in the style of
// framework/base/AfxMsgMap.h: each entry calls the class's handler of the usual
// name with the message's cracked arguments. Handlers that want the default
// behaviour call the base class's handler (which ends in Default()).
#pragma once

#include "framework/base/AfxMsgMap.h"

class CWnd;
class CDC;
class CMenu;
class CScrollBar;
class CPoint;

// Helpers the entries use to turn handles into framework objects.
CWnd* AFXAPI AfxWndFromHandle(HWND hWnd);
CDC* AFXAPI AfxDCFromHandle(HDC hDC);
CMenu* AFXAPI AfxMenuFromHandle(HMENU hMenu);

#define AFX_WM_ENTRY(msg, body) \
    { (UINT)(msg), 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { (void)a; body; return TRUE; } },
#define AFX_PT(l) CPoint((short)LOWORD(l), (short)HIWORD(l))

#define ON_WM_CREATE()          AFX_WM_ENTRY(WM_CREATE, a.lResult = AFX_THIS(p)->OnCreate((LPCREATESTRUCTA)a.lParam))
#define ON_WM_DESTROY()         AFX_WM_ENTRY(WM_DESTROY, AFX_THIS(p)->OnDestroy())
#define ON_WM_NCDESTROY()       AFX_WM_ENTRY(WM_NCDESTROY, AFX_THIS(p)->OnNcDestroy())
#define ON_WM_CLOSE()           AFX_WM_ENTRY(WM_CLOSE, AFX_THIS(p)->OnClose())
#define ON_WM_SIZE()            AFX_WM_ENTRY(WM_SIZE, AFX_THIS(p)->OnSize((UINT)a.wParam, (short)LOWORD(a.lParam), (short)HIWORD(a.lParam)))
#define ON_WM_MOVE()            AFX_WM_ENTRY(WM_MOVE, AFX_THIS(p)->OnMove((short)LOWORD(a.lParam), (short)HIWORD(a.lParam)))
#define ON_WM_PAINT()           AFX_WM_ENTRY(WM_PAINT, AFX_THIS(p)->OnPaint())
#define ON_WM_ERASEBKGND()      AFX_WM_ENTRY(WM_ERASEBKGND, a.lResult = AFX_THIS(p)->OnEraseBkgnd(AfxDCFromHandle((HDC)a.wParam)))
#define ON_WM_TIMER()           AFX_WM_ENTRY(WM_TIMER, AFX_THIS(p)->OnTimer((UINT_PTR)a.wParam))
#define ON_WM_SETFOCUS()        AFX_WM_ENTRY(WM_SETFOCUS, AFX_THIS(p)->OnSetFocus(AfxWndFromHandle((HWND)a.wParam)))
#define ON_WM_KILLFOCUS()       AFX_WM_ENTRY(WM_KILLFOCUS, AFX_THIS(p)->OnKillFocus(AfxWndFromHandle((HWND)a.wParam)))
#define ON_WM_SHOWWINDOW()      AFX_WM_ENTRY(WM_SHOWWINDOW, AFX_THIS(p)->OnShowWindow((BOOL)a.wParam, (UINT)a.lParam))
#define ON_WM_ACTIVATE()        AFX_WM_ENTRY(WM_ACTIVATE, AFX_THIS(p)->OnActivate(LOWORD(a.wParam), AfxWndFromHandle((HWND)a.lParam), (BOOL)HIWORD(a.wParam)))
#define ON_WM_ACTIVATEAPP()     AFX_WM_ENTRY(WM_ACTIVATEAPP, AFX_THIS(p)->OnActivateApp((BOOL)a.wParam, (DWORD)a.lParam))
#define ON_WM_NCACTIVATE()      AFX_WM_ENTRY(WM_NCACTIVATE, a.lResult = AFX_THIS(p)->OnNcActivate((BOOL)a.wParam))
#define ON_WM_MOUSEACTIVATE()   AFX_WM_ENTRY(WM_MOUSEACTIVATE, a.lResult = AFX_THIS(p)->OnMouseActivate(AfxWndFromHandle((HWND)a.wParam), LOWORD(a.lParam), HIWORD(a.lParam)))
#define ON_WM_INITMENU()        AFX_WM_ENTRY(WM_INITMENU, AFX_THIS(p)->OnInitMenu(AfxMenuFromHandle((HMENU)a.wParam)))
#define ON_WM_INITMENUPOPUP()   AFX_WM_ENTRY(WM_INITMENUPOPUP, AFX_THIS(p)->OnInitMenuPopup(AfxMenuFromHandle((HMENU)a.wParam), LOWORD(a.lParam), (BOOL)HIWORD(a.lParam)))
#define ON_WM_MENUSELECT()      AFX_WM_ENTRY(WM_MENUSELECT, AFX_THIS(p)->OnMenuSelect(LOWORD(a.wParam), HIWORD(a.wParam), (HMENU)a.lParam))
#define ON_WM_MENUCHAR()        AFX_WM_ENTRY(WM_MENUCHAR, a.lResult = AFX_THIS(p)->OnMenuChar(LOWORD(a.wParam), HIWORD(a.wParam), AfxMenuFromHandle((HMENU)a.lParam)))
#define ON_WM_MEASUREITEM()     AFX_WM_ENTRY(WM_MEASUREITEM, AFX_THIS(p)->OnMeasureItem((int)a.wParam, (LPMEASUREITEMSTRUCT)a.lParam); a.lResult = TRUE)
#define ON_WM_DRAWITEM()        AFX_WM_ENTRY(WM_DRAWITEM, AFX_THIS(p)->OnDrawItem((int)a.wParam, (LPDRAWITEMSTRUCT)a.lParam); a.lResult = TRUE)
#define ON_WM_CONTEXTMENU()     AFX_WM_ENTRY(WM_CONTEXTMENU, AFX_THIS(p)->OnContextMenu(AfxWndFromHandle((HWND)a.wParam), AFX_PT(a.lParam)))
#define ON_WM_LBUTTONDOWN()     AFX_WM_ENTRY(WM_LBUTTONDOWN, AFX_THIS(p)->OnLButtonDown((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_LBUTTONUP()       AFX_WM_ENTRY(WM_LBUTTONUP, AFX_THIS(p)->OnLButtonUp((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_LBUTTONDBLCLK()   AFX_WM_ENTRY(WM_LBUTTONDBLCLK, AFX_THIS(p)->OnLButtonDblClk((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_RBUTTONDOWN()     AFX_WM_ENTRY(WM_RBUTTONDOWN, AFX_THIS(p)->OnRButtonDown((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_RBUTTONUP()       AFX_WM_ENTRY(WM_RBUTTONUP, AFX_THIS(p)->OnRButtonUp((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_RBUTTONDBLCLK()   AFX_WM_ENTRY(WM_RBUTTONDBLCLK, AFX_THIS(p)->OnRButtonDblClk((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_MOUSEMOVE()       AFX_WM_ENTRY(WM_MOUSEMOVE, AFX_THIS(p)->OnMouseMove((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_MOUSEWHEEL()      AFX_WM_ENTRY(WM_MOUSEWHEEL, a.lResult = AFX_THIS(p)->OnMouseWheel(LOWORD(a.wParam), (short)HIWORD(a.wParam), AFX_PT(a.lParam)))
#define ON_WM_KEYDOWN()         AFX_WM_ENTRY(WM_KEYDOWN, AFX_THIS(p)->OnKeyDown((UINT)a.wParam, LOWORD(a.lParam), HIWORD(a.lParam)))
#define ON_WM_KEYUP()           AFX_WM_ENTRY(WM_KEYUP, AFX_THIS(p)->OnKeyUp((UINT)a.wParam, LOWORD(a.lParam), HIWORD(a.lParam)))
#define ON_WM_CHAR()            AFX_WM_ENTRY(WM_CHAR, AFX_THIS(p)->OnChar((UINT)a.wParam, LOWORD(a.lParam), HIWORD(a.lParam)))
#define ON_WM_SYSCOMMAND()      AFX_WM_ENTRY(WM_SYSCOMMAND, AFX_THIS(p)->OnSysCommand((UINT)a.wParam, a.lParam))
#define ON_WM_GETMINMAXINFO()   AFX_WM_ENTRY(WM_GETMINMAXINFO, AFX_THIS(p)->OnGetMinMaxInfo((MINMAXINFO*)a.lParam))
#define ON_WM_WINDOWPOSCHANGING() AFX_WM_ENTRY(WM_WINDOWPOSCHANGING, AFX_THIS(p)->OnWindowPosChanging((WINDOWPOS*)a.lParam))
#define ON_WM_WINDOWPOSCHANGED() AFX_WM_ENTRY(WM_WINDOWPOSCHANGED, AFX_THIS(p)->OnWindowPosChanged((WINDOWPOS*)a.lParam))
#define ON_WM_NCCALCSIZE()      AFX_WM_ENTRY(WM_NCCALCSIZE, AFX_THIS(p)->OnNcCalcSize((BOOL)a.wParam, (NCCALCSIZE_PARAMS*)a.lParam))
#define ON_WM_NCHITTEST()       AFX_WM_ENTRY(WM_NCHITTEST, a.lResult = AFX_THIS(p)->OnNcHitTest(AFX_PT(a.lParam)))
#define ON_WM_NCPAINT()         AFX_WM_ENTRY(WM_NCPAINT, AFX_THIS(p)->OnNcPaint())
#define ON_WM_NCLBUTTONDOWN()   AFX_WM_ENTRY(WM_NCLBUTTONDOWN, AFX_THIS(p)->OnNcLButtonDown((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_NCLBUTTONUP()     AFX_WM_ENTRY(WM_NCLBUTTONUP, AFX_THIS(p)->OnNcLButtonUp((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_NCLBUTTONDBLCLK() AFX_WM_ENTRY(WM_NCLBUTTONDBLCLK, AFX_THIS(p)->OnNcLButtonDblClk((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_NCMOUSEMOVE()     AFX_WM_ENTRY(WM_NCMOUSEMOVE, AFX_THIS(p)->OnNcMouseMove((UINT)a.wParam, AFX_PT(a.lParam)))
#define ON_WM_SETCURSOR()       AFX_WM_ENTRY(WM_SETCURSOR, a.lResult = AFX_THIS(p)->OnSetCursor(AfxWndFromHandle((HWND)a.wParam), LOWORD(a.lParam), HIWORD(a.lParam)))
#define AFX_CTLCOLOR_ENTRY(msg, type) \
    AFX_WM_ENTRY(msg, a.lResult = (LRESULT)AFX_THIS(p)->OnCtlColor(AfxDCFromHandle((HDC)a.wParam), AfxWndFromHandle((HWND)a.lParam), type))
#define ON_WM_CTLCOLOR() \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORMSGBOX, CTLCOLOR_MSGBOX) AFX_CTLCOLOR_ENTRY(WM_CTLCOLOREDIT, CTLCOLOR_EDIT) \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORLISTBOX, CTLCOLOR_LISTBOX) AFX_CTLCOLOR_ENTRY(WM_CTLCOLORBTN, CTLCOLOR_BTN) \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORDLG, CTLCOLOR_DLG) AFX_CTLCOLOR_ENTRY(WM_CTLCOLORSCROLLBAR, CTLCOLOR_SCROLLBAR) \
    AFX_CTLCOLOR_ENTRY(WM_CTLCOLORSTATIC, CTLCOLOR_STATIC)
#define ON_WM_HSCROLL()         AFX_WM_ENTRY(WM_HSCROLL, AFX_THIS(p)->OnHScroll(LOWORD(a.wParam), (short)HIWORD(a.wParam), (CScrollBar*)AfxWndFromHandle((HWND)a.lParam)))
#define ON_WM_VSCROLL()         AFX_WM_ENTRY(WM_VSCROLL, AFX_THIS(p)->OnVScroll(LOWORD(a.wParam), (short)HIWORD(a.wParam), (CScrollBar*)AfxWndFromHandle((HWND)a.lParam)))
#define ON_WM_DROPFILES()       AFX_WM_ENTRY(WM_DROPFILES, AFX_THIS(p)->OnDropFiles((HDROP)a.wParam))
#define ON_WM_QUERYENDSESSION() AFX_WM_ENTRY(WM_QUERYENDSESSION, a.lResult = AFX_THIS(p)->OnQueryEndSession())
#define ON_WM_ENDSESSION()      AFX_WM_ENTRY(WM_ENDSESSION, AFX_THIS(p)->OnEndSession((BOOL)a.wParam))
#define ON_WM_SYSCOLORCHANGE()  AFX_WM_ENTRY(WM_SYSCOLORCHANGE, AFX_THIS(p)->OnSysColorChange())
#define ON_WM_SETTINGCHANGE()   AFX_WM_ENTRY(WM_SETTINGCHANGE, AFX_THIS(p)->OnSettingChange((UINT)a.wParam, (LPCSTR)a.lParam))
#define ON_WM_CAPTURECHANGED()  AFX_WM_ENTRY(WM_CAPTURECHANGED, AFX_THIS(p)->OnCaptureChanged(AfxWndFromHandle((HWND)a.lParam)))
#define ON_WM_QUERYNEWPALETTE() AFX_WM_ENTRY(WM_QUERYNEWPALETTE, a.lResult = AFX_THIS(p)->OnQueryNewPalette())
#define ON_WM_PALETTECHANGED()  AFX_WM_ENTRY(WM_PALETTECHANGED, AFX_THIS(p)->OnPaletteChanged(AfxWndFromHandle((HWND)a.wParam)))
#define ON_WM_GETDLGCODE()      AFX_WM_ENTRY(WM_GETDLGCODE, a.lResult = AFX_THIS(p)->OnGetDlgCode())
#define ON_WM_CANCELMODE()      AFX_WM_ENTRY(WM_CANCELMODE, AFX_THIS(p)->OnCancelMode())
#define ON_WM_ENABLE()          AFX_WM_ENTRY(WM_ENABLE, AFX_THIS(p)->OnEnable((BOOL)a.wParam))
#define ON_WM_ENTERIDLE()       AFX_WM_ENTRY(WM_ENTERIDLE, AFX_THIS(p)->OnEnterIdle((UINT)a.wParam, AfxWndFromHandle((HWND)a.lParam)))
#define ON_WM_HELPINFO()        AFX_WM_ENTRY(WM_HELP, a.lResult = AFX_THIS(p)->OnHelpInfo((HELPINFO*)a.lParam))
#define ON_WM_PARENTNOTIFY()    AFX_WM_ENTRY(WM_PARENTNOTIFY, AFX_THIS(p)->OnParentNotify(LOWORD(a.wParam), a.lParam))
#define ON_WM_COPYDATA()        AFX_WM_ENTRY(WM_COPYDATA, a.lResult = AFX_THIS(p)->OnCopyData(AfxWndFromHandle((HWND)a.wParam), (COPYDATASTRUCT*)a.lParam))

// Messages a child gets back from its parent (reflection): the handler of a
// control class sees its own notification. WM_REFLECT_BASE + the message.
#define ON_WM_DRAWITEM_REFLECT() \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_DRAWITEM, AFX_THIS(p)->DrawItem((LPDRAWITEMSTRUCT)a.lParam); a.lResult = TRUE)
#define ON_WM_MEASUREITEM_REFLECT() \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_MEASUREITEM, AFX_THIS(p)->MeasureItem((LPMEASUREITEMSTRUCT)a.lParam); a.lResult = TRUE)
// HBRUSH CtlColor(CDC*, UINT): a null brush lets the parent decide.
#define ON_WM_CTLCOLOR_REFLECT() \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_CTLCOLORSTATIC, a.lResult = (LRESULT)AFX_THIS(p)->CtlColor(AfxDCFromHandle((HDC)a.wParam), CTLCOLOR_STATIC)) \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOREDIT, a.lResult = (LRESULT)AFX_THIS(p)->CtlColor(AfxDCFromHandle((HDC)a.wParam), CTLCOLOR_EDIT)) \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_CTLCOLORBTN, a.lResult = (LRESULT)AFX_THIS(p)->CtlColor(AfxDCFromHandle((HDC)a.wParam), CTLCOLOR_BTN)) \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_CTLCOLORLISTBOX, a.lResult = (LRESULT)AFX_THIS(p)->CtlColor(AfxDCFromHandle((HDC)a.wParam), CTLCOLOR_LISTBOX))
#define ON_WM_HSCROLL_REFLECT() \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_HSCROLL, AFX_THIS(p)->HScroll(LOWORD(a.wParam), (short)HIWORD(a.wParam)))
#define ON_WM_VSCROLL_REFLECT() \
    AFX_WM_ENTRY(WM_REFLECT_BASE + WM_VSCROLL, AFX_THIS(p)->VScroll(LOWORD(a.wParam), (short)HIWORD(a.wParam)))
// A control's own WM_COMMAND notification (BN_CLICKED, EN_CHANGE...): void fn()
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn) \
    { WM_REFLECT_BASE + WM_COMMAND, (UINT)(wNotifyCode), 0, 0, nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS&) -> BOOL { AFX_THIS(p)->memberFxn(); return TRUE; } },
// BOOL fn(): FALSE lets the parent see it too.
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn) \
    { WM_REFLECT_BASE + WM_COMMAND, (UINT)(wNotifyCode), 0, 0, nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS&) -> BOOL { return AFX_THIS(p)->memberFxn(); } },

// BOOL fn(UINT nID) over a range of ids: FALSE lets routing go on.
#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { return AFX_THIS(p)->memberFxn(a.nID); } },
// void fn(UINT nID) for control notifications over a range of ids.
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn) \
    { WM_COMMAND, (UINT)(wNotifyCode), (UINT)(id), (UINT)(idLast), nullptr, \
      [](CCmdTarget* p, AFX_MSGARGS& a) -> BOOL { AFX_THIS(p)->memberFxn(a.nID); return TRUE; } },
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
