#include "framework/gdi/CClientDC.h"

#include "framework/ui/CWnd.h"

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->GetSafeHwnd() : nullptr)
{
    if (!Attach(::GetDC(m_hWnd)))
        throw std::bad_alloc();
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}
