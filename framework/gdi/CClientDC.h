// The client-area device context of a window (GetDC / ReleaseDC).
#pragma once

#include "framework/gdi/CDC.h"

class CWnd;

class CClientDC : public CDC
{
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;
protected:
    HWND m_hWnd;
};
