// A device context for a scope: a memory DC (deleted at the end) or a
// window's or the screen's DC (released at the end).
#pragma once

#include "framework/base/AfxDefs.h"

class CScopedDC
{
public:
    // A memory DC compatible with hCompatible (null: the screen).
    static CScopedDC Compatible(HDC hCompatible) { return CScopedDC(::CreateCompatibleDC(hCompatible), nullptr, FALSE); }
    // The DC of hWnd's client area (null: the screen).
    static CScopedDC OfWindow(HWND hWnd) { return CScopedDC(::GetDC(hWnd), hWnd, TRUE); }
    // GetDCEx with its flags, released the same way.
    static CScopedDC OfWindowEx(HWND hWnd, DWORD dwFlags) { return CScopedDC(::GetDCEx(hWnd, nullptr, dwFlags), hWnd, TRUE); }

    CScopedDC(CScopedDC&& other) noexcept : m_hDC(other.m_hDC), m_hWnd(other.m_hWnd), m_bRelease(other.m_bRelease)
    {
        other.m_hDC = nullptr;
    }
    ~CScopedDC()
    {
        if (m_hDC == nullptr)
            return;
        if (m_bRelease)
            ::ReleaseDC(m_hWnd, m_hDC);
        else
            ::DeleteDC(m_hDC);
    }

    HDC Get() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

private:
    CScopedDC(HDC hDC, HWND hWnd, BOOL bRelease) : m_hDC(hDC), m_hWnd(hWnd), m_bRelease(bRelease) {}
    CScopedDC(const CScopedDC&) = delete;
    CScopedDC& operator=(const CScopedDC&) = delete;
    CScopedDC& operator=(CScopedDC&&) = delete;

    HDC m_hDC;
    HWND m_hWnd;
    BOOL m_bRelease;
};
