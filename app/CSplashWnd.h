// The splash picture: a borderless topmost window made on the splash thread,
// owned by a hidden window (so it has no taskbar button of its own). It
// closes itself at the first tick of its timer once start-up has released it
// and its deadline has passed.
#pragma once

#include "framework/base/CMutex.h"
#include "framework/base/CString.h"
#include "framework/gdi/CBitmap.h"
#include "framework/gdi/CPalette.h"
#include "framework/ui/CWnd.h"

class CSplashWnd : public CWnd
{
    DECLARE_DYNAMIC(CSplashWnd)
public:
    CSplashWnd();
    ~CSplashWnd() override;

    // Where the picture comes from (before Create).
    void SetBitmap(UINT nIDResource);
    void SetBitmapFile(LPCSTR lpszFileName);
    // The tick count before which the window stays up.
    void SetCloseDeadline(DWORD dwTick) { m_dwCloseDeadline = dwTick; }
    DWORD GetCloseDeadline() const { return m_dwCloseDeadline; }

    // Loads the picture and its palette, makes the hidden owner and the
    // splash window (on the calling thread, which owns them from then on).
    virtual BOOL Create();
    // Start-up is done with the splash: it may close once the deadline passed.
    void Release();
    BOOL IsReleased();

    int GetBitmapWidth() const { return m_nWidth; }
    int GetBitmapHeight() const { return m_nHeight; }
    CPalette& GetPalette() { return m_palette; }
    HWND GetOwnerHwnd() const { return m_wndOwner.m_hWnd; }

    enum { nTimerID = 1, nTimerPeriod = 100 };

protected:
    BOOL LoadBitmap();
    // The number of entries the picture's own colour table has (0 for true
    // colour), read from its header: a section made from it may report a
    // full table whatever the picture held.
    UINT ReadColourTableSize() const;
    BOOL CreatePalette();
    // Selects and realises the palette in hDC; TRUE when entries changed.
    BOOL RealizePaletteIn(HDC hDC, BOOL bBackground);
    // Puts the window back in front of every other on the screen.
    void KeepInFront();

    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnPaint();
    void OnTimer(UINT_PTR nIDEvent);
    void OnClose();
    BOOL OnQueryNewPalette();
    void OnPaletteChanged(CWnd* pFocusWnd);
    void PostNcDestroy() override;

    UINT_PTR m_nTimer;
    BOOL m_bReleased;            // under m_mutex
    DWORD m_dwCloseDeadline;
    CBitmap m_bitmap;
    CPalette m_palette;
    int m_nWidth;
    int m_nHeight;
    BOOL m_bFromFile;
    CString m_strFileName;
    UINT m_nResourceID;
    CWnd m_wndOwner;
    CMutex m_mutex;

    DECLARE_MESSAGE_MAP()
};
