#include "framework/gdi/CPaintDC.h"

#include "framework/ui/CWnd.h"

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(AfxGetSafeHwnd(pWnd))
{
    if (!Attach(::BeginPaint(m_hWnd, &m_ps)))
        throw std::bad_alloc();
}

CPaintDC::~CPaintDC()
{
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}
