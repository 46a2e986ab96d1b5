#include "framework/gdi/CWindowDC.h"

#include "framework/ui/CWnd.h"

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->GetSafeHwnd() : nullptr)
{
    if (!Attach(::GetWindowDC(m_hWnd)))
        throw std::bad_alloc();
}

CWindowDC::~CWindowDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}
