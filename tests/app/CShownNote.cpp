#include "CShownNote.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct CSource
{
    const std::string* pRtf;
    size_t nPos;
};

DWORD CALLBACK FeedRtf(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb)
{
    CSource* pSource = reinterpret_cast<CSource*>(dwCookie);
    const size_t n = std::min(pSource->pRtf->size() - pSource->nPos, (size_t)cb);
    memcpy(pbBuff, pSource->pRtf->data() + pSource->nPos, n);
    pSource->nPos += n;
    *pcb = (LONG)n;
    return 0;
}

} // namespace

CShownNote::CShownNote(const std::string& rtf)
{
    ::LoadLibraryA("RICHED20.DLL");
    m_hWnd = ::CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr,
                               nullptr, nullptr);
    if (m_hWnd == nullptr)
        return;
    // The control's own default face is bold: text the RTF leaves plain must read plain.
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    ::SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf);
    CSource source = { &rtf, 0 };
    EDITSTREAM es = { (DWORD_PTR)&source, 0, &FeedRtf };
    ::SendMessageA(m_hWnd, EM_STREAMIN, SF_RTF, (LPARAM)&es);
}

CShownNote::~CShownNote()
{
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
}

CHARRANGE CShownNote::Find(LPCSTR lpszText) const
{
    FINDTEXTEXA ft = {};
    ft.chrg.cpMin = 0;
    ft.chrg.cpMax = -1;
    ft.lpstrText = lpszText;
    if (m_hWnd == nullptr || ::SendMessageA(m_hWnd, EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE, (LPARAM)&ft) < 0)
        ft.chrgText.cpMin = ft.chrgText.cpMax = -1;
    return ft.chrgText;
}

CHARFORMAT2A CShownNote::FormatOf(const CHARRANGE& range) const
{
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    if (m_hWnd == nullptr)
        return cf;
    ::SendMessageA(m_hWnd, EM_EXSETSEL, 0, (LPARAM)&range);
    ::SendMessageA(m_hWnd, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    return cf;
}

std::string CShownNote::Text() const
{
    if (m_hWnd == nullptr)
        return std::string();
    const int n = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> text((size_t)n + 1);
    ::GetWindowTextA(m_hWnd, text.data(), n + 1);
    return text.data();
}
