// Wine's rich-edit control does not lay text out for other devices
// (EM_FORMATRANGE answers 0 there). This stand-in takes over that one message
// of a rich-edit window for as long as it lives and answers it as the control
// documents it: from the range's first character, whole paragraphs of 240
// twips each, as many as fit in rc, drawn (when asked) with TextOut onto hdc;
// it returns the first character that did not fit. What it was asked is kept
// for the test to check.
#pragma once

#include <windows.h>
#include <richedit.h>

class CFormatRangeStandIn
{
public:
    explicit CFormatRangeStandIn(HWND hWndRichEdit);
    ~CFormatRangeStandIn();

    static constexpr int kLineTwips = 240;

    int nCalls = 0;
    int nClears = 0;         // EM_FORMATRANGE with no range: the cache freed
    RECT rcLast = {};        // the last range's rc and rcPage
    RECT rcPageLast = {};
    HDC hdcTargetLast = nullptr;
    BOOL bStuck = FALSE;     // lay nothing out, as a failing control would

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    LRESULT FormatRange(BOOL bRender, const FORMATRANGE* pfr);

    HWND m_hWnd;
    WNDPROC m_pfnOld;
};
