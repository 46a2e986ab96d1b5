// The whole-window device context of a window (GetWindowDC / ReleaseDC).
#pragma once

#include "framework/gdi/CDC.h"

class CWnd;

class CWindowDC : public CDC
{
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;
protected:
    HWND m_hWnd;
};
