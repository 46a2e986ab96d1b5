// A date-and-time picker: its value as a SYSTEMTIME, an optional range and
// a display format ("ddd dd-MMM-yyyy HH:mm"; null: the system's default).
#pragma once

#include "framework/ui/CWnd.h"

#include <commctrl.h>

class CDateTimeCtrl : public CWnd
{
    DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    CDateTimeCtrl() {}

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // GDT_VALID, or GDT_NONE when a DTS_SHOWNONE picker is unchecked.
    DWORD GetTime(SYSTEMTIME* pTime) const { return (DWORD)SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)pTime); }
    // Null (with DTS_SHOWNONE): no value.
    BOOL SetTime(const SYSTEMTIME* pTime);
    BOOL SetFormat(LPCSTR lpszFormat) { return (BOOL)SendMessage(DTM_SETFORMATA, 0, (LPARAM)lpszFormat); }
    // A null bound is no bound on that side.
    BOOL SetRange(const SYSTEMTIME* pMinRange, const SYSTEMTIME* pMaxRange);
    // GDTR_MIN | GDTR_MAX for the bounds that are set.
    DWORD GetRange(SYSTEMTIME* pMinRange, SYSTEMTIME* pMaxRange) const;
};
