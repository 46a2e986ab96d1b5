// A note's RTF shown in a hidden rich-edit control, plain by default as in
// the note view, so tests read its text and formats as the view shows them.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <string>

class CShownNote
{
public:
    explicit CShownNote(const std::string& rtf);
    ~CShownNote();
    CShownNote(const CShownNote&) = delete;
    CShownNote& operator=(const CShownNote&) = delete;

    BOOL IsShown() const { return m_hWnd != nullptr; }
    // The first occurrence (case counts); cpMin -1 when there is none.
    CHARRANGE Find(LPCSTR lpszText) const;
    // The format of a range (dwMask 0 for an empty control).
    CHARFORMAT2A FormatOf(const CHARRANGE& range) const;
    std::string Text() const;

private:
    HWND m_hWnd;
};
