#include "framework/ui/CDateTimeCtrl.h"

IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)

BOOL CDateTimeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    AfxInitCommonControls(ICC_DATE_CLASSES);
    return CWnd::CreateEx(0, DATETIMEPICK_CLASSA, nullptr, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* pTime)
{
    if (pTime != nullptr)
        return (BOOL)SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)pTime);
    // The value is ignored with GDT_NONE, but some versions of the control
    // refuse a null pointer.
    SYSTEMTIME stUnused = {};
    ::GetLocalTime(&stUnused);
    return (BOOL)SendMessage(DTM_SETSYSTEMTIME, GDT_NONE, (LPARAM)&stUnused);
}

BOOL CDateTimeCtrl::SetRange(const SYSTEMTIME* pMinRange, const SYSTEMTIME* pMaxRange)
{
    SYSTEMTIME range[2] = {};
    WPARAM flags = 0;
    if (pMinRange != nullptr)
    {
        range[0] = *pMinRange;
        flags |= GDTR_MIN;
    }
    if (pMaxRange != nullptr)
    {
        range[1] = *pMaxRange;
        flags |= GDTR_MAX;
    }
    return (BOOL)SendMessage(DTM_SETRANGE, flags, (LPARAM)range);
}

DWORD CDateTimeCtrl::GetRange(SYSTEMTIME* pMinRange, SYSTEMTIME* pMaxRange) const
{
    SYSTEMTIME range[2] = {};
    const DWORD dwFlags = (DWORD)SendMessage(DTM_GETRANGE, 0, (LPARAM)range);
    if (pMinRange != nullptr)
        *pMinRange = range[0];
    if (pMaxRange != nullptr)
        *pMaxRange = range[1];
    return dwFlags;
}
