// The device context of WM_PAINT: BeginPaint on construction, EndPaint on
// destruction.
#pragma once

#include "framework/gdi/CDC.h"

class CWnd;

class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
protected:
    HWND m_hWnd;
};
