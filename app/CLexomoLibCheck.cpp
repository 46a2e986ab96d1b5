// Checking a RichEdit control's text through the engine, piece by piece.
#include "app/CLexomoLib.h"

#include "app/CSpellCheckDlg.h"

#include "framework/ui/CRichEditCtrl.h"

#include <algorithm>

namespace {

// Object placeholders of the control and NULs become this non-word byte.
const char kStandInByte = ' ';
// Characters the code page cannot hold.
const char kUnmappedByte = '?';

// The control's characters from nFrom to nTo (clamped to the text), one
// UTF-16 unit per character position. Leaves that range selected.
std::wstring GetRangeText(CRichEditCtrl& ctrl, long nFrom, long nTo)
{
    CHARRANGE cr = { nFrom, nTo };
    ctrl.SetSel(cr);
    ctrl.GetSel(cr);
    if (cr.cpMax <= cr.cpMin)
        return std::wstring();
    std::wstring text((size_t)(cr.cpMax - cr.cpMin) + 1, L'\0');
    GETTEXTEX gt = {};
    gt.cb = (DWORD)(text.size() * sizeof(wchar_t));
    gt.flags = GT_SELECTION;
    gt.codepage = 1200;
    const LRESULT nGot = ctrl.SendMessage(EM_GETTEXTEX, (WPARAM)&gt, (LPARAM)&text[0]);
    text.resize((size_t)std::max<LRESULT>(0, std::min<LRESULT>(nGot, (LRESULT)text.size())));
    return text;
}

} // namespace

// ---------------------------------------------------------------------------
// Pieces

void CLexomoLib::CPiece::Assign(const std::wstring& text)
{
    m_text = text;
    m_bytes.clear();
    m_offsets.clear();
    m_offsets.reserve(text.size() + 1);
    for (wchar_t ch : text)
    {
        m_offsets.push_back((int)m_bytes.size());
        if (ch == 0 || ch == 0xFFFC)
        {
            m_bytes += kStandInByte;
            continue;
        }
        char sz[8] = {};
        BOOL bDefault = FALSE;
        const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &ch, 1, sz, sizeof(sz), nullptr, &bDefault);
        if (n <= 0 || bDefault || memchr(sz, 0, (size_t)n) != nullptr)
            m_bytes += kUnmappedByte;
        else
            m_bytes.append(sz, (size_t)n);
    }
    m_offsets.push_back((int)m_bytes.size());
}

int CLexomoLib::CPiece::CharFromByte(int nByte) const
{
    if (nByte <= 0)
        return 0;
    if (nByte >= (int)m_bytes.size())
        return Length();
    // The last character starting at or before the byte.
    return (int)(std::upper_bound(m_offsets.begin(), m_offsets.end() - 1, nByte) - m_offsets.begin()) - 1;
}

int CLexomoLib::CPiece::ByteFromChar(int nChar) const
{
    nChar = std::max(0, std::min(nChar, Length()));
    return m_offsets[(size_t)nChar];
}

void CLexomoLib::CPiece::Replace(int nChar, int nCount, const std::wstring& replacement)
{
    std::wstring text = m_text;
    text.replace((size_t)nChar, (size_t)nCount, replacement);
    Assign(text);
}

std::string CLexomoLib::CPiece::CharBytes(int nChar) const
{
    if (nChar < 0 || nChar >= Length())
        return std::string();
    return m_bytes.substr((size_t)m_offsets[(size_t)nChar],
                          (size_t)(m_offsets[(size_t)nChar + 1] - m_offsets[(size_t)nChar]));
}

BOOL CLexomoLib::EndsInWord(const CPiece& piece, int nChar)
{
    if (!IsEngineReady())
        return FALSE;
    const std::string bytes = piece.CharBytes(nChar);
    return !bytes.empty() && m_engine.pfnIsWordChar((unsigned char)bytes.back()) == 1;
}

// ---------------------------------------------------------------------------
// The check

RECT CLexomoLib::GetWordRect(CRichEditCtrl& ctrl, long nStart, long nLength)
{
    POINTL ptStart = {};
    POINTL ptEnd = {};
    ctrl.SendMessage(EM_POSFROMCHAR, (WPARAM)&ptStart, nStart);
    ctrl.SendMessage(EM_POSFROMCHAR, (WPARAM)&ptEnd, nStart + nLength);

    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_SIZE;
    ctrl.GetSelectionCharFormat(cf);
    HDC hdc = ::GetDC(nullptr);
    const int nLogPixelsY = hdc != nullptr ? ::GetDeviceCaps(hdc, LOGPIXELSY) : 96;
    if (hdc != nullptr)
        ::ReleaseDC(nullptr, hdc);
    const int nHeight = ::MulDiv(cf.yHeight > 0 ? cf.yHeight : 200, nLogPixelsY, 1440);

    RECT rc = {};
    rc.left = ptStart.x;
    rc.top = ptStart.y;
    // A word at the end of a line: the next character begins the next line.
    rc.right = ptEnd.y == ptStart.y && ptEnd.x > ptStart.x ? ptEnd.x : ptStart.x + nHeight;
    rc.bottom = rc.top + nHeight;
    ::MapWindowPoints(ctrl.m_hWnd, nullptr, (LPPOINT)&rc, 2);
    return rc;
}

int CLexomoLib::AskAboutWord(CRichEditCtrl& ctrl, CSpellCheckDlg& dlg, long nStart, long nLength,
                             const CString& strWord)
{
    ctrl.SetSel(nStart, nStart + nLength);
    ctrl.HideSelection(FALSE, FALSE);

    dlg.m_rcWord = GetWordRect(ctrl, nStart, nLength);
    dlg.m_strWord = strWord;
    dlg.m_strReplacement = strWord;
    dlg.m_suggestions.RemoveAll();
    const int nCount = GetSuggestionCount();
    for (int i = 0; i < nCount; i++)
    {
        CString strSuggestion;
        GetSuggestion(i, strSuggestion);
        if (!strSuggestion.IsEmpty())
            dlg.m_suggestions.Add(strSuggestion);
    }
    dlg.m_nResult = CSpellCheckDlg::resCancel;
    if (dlg.DoModal() == -1)
        return CSpellCheckDlg::resCancel;
    return dlg.m_nResult;
}

BOOL CLexomoLib::CheckSpelling(CRichEditCtrl& ctrl)
{
    if (!IsEngineReady() || ctrl.m_hWnd == nullptr)
        return FALSE;

    CSpellCheckDlg dlg(&ctrl);
    CStringList ignoreAll;
    CHARRANGE crSaved = {};
    ctrl.GetSel(crSaved);
    ctrl.HideSelection(TRUE, FALSE);
    ctrl.SetSel(0, 0);

    BOOL bCompleted = TRUE;
    long nNext = 0;
    for (bool bLast = false; !bLast && bCompleted;)
    {
        const long nStart = nNext;
        CPiece piece;
        piece.Assign(GetRangeText(ctrl, nStart, nStart + kPieceLength));
        bLast = piece.Length() < kPieceLength;
        if (!bLast)
        {
            // End the piece after a non-word character, so no word is cut in
            // two; a piece that is one run of word characters stays whole.
            int nKeep = piece.Length();
            while (nKeep > 0 && EndsInWord(piece, nKeep - 1))
                nKeep--;
            if (nKeep > 0)
                piece.Truncate(nKeep);
        }
        nNext = nStart + piece.Length();

        int nPos = 0;   // characters into the piece
        while (nPos < piece.Length())
        {
            int nBytePos = piece.ByteFromChar(nPos);
            const int nFrom = nBytePos;
            const int nByteLength =
                m_engine.pfnFindMisspelling(piece.Bytes().c_str(), &nBytePos, &CLexomoLib::IsIgnoredWord, &ignoreAll);
            if (nByteLength <= 0 || nBytePos < nFrom || nBytePos >= (int)piece.Bytes().size())
                break;
            const int nWordStart = piece.CharFromByte(nBytePos);
            const int nWordEnd = std::max(nWordStart + 1, piece.CharFromByte(nBytePos + nByteLength - 1) + 1);
            const int nWordLength = nWordEnd - nWordStart;
            const CString strWord(piece.Bytes().substr((size_t)nBytePos, (size_t)nByteLength).c_str());

            const int nAnswer = AskAboutWord(ctrl, dlg, nStart + nWordStart, nWordLength, strWord);
            int nLength = nWordLength;
            switch (nAnswer)
            {
            case CSpellCheckDlg::resIgnoreAll:
                ignoreAll.AddTail(strWord);
                break;
            case CSpellCheckDlg::resAdd:
                // A word the engine could not keep is at least not asked
                // about again in this check.
                if (!AddWord(strWord))
                    ignoreAll.AddTail(strWord);
                break;
            case CSpellCheckDlg::resChange:
            {
                ctrl.ReplaceSel(dlg.m_strReplacement, FALSE);
                // What the control holds now, in its own characters.
                CHARRANGE cr = {};
                ctrl.GetSel(cr);
                const long nInserted = std::max<long>(0, cr.cpMax - (nStart + nWordStart));
                const std::wstring replacement =
                    nInserted > 0 ? GetRangeText(ctrl, nStart + nWordStart, nStart + nWordStart + nInserted)
                                  : std::wstring();
                piece.Replace(nWordStart, nWordLength, replacement);
                nLength = (int)replacement.size();
                nNext += nLength - nWordLength;
                break;
            }
            case CSpellCheckDlg::resIgnore:
                break;
            default:
                bCompleted = FALSE;
                break;
            }
            if (!bCompleted)
                break;
            ctrl.HideSelection(TRUE, FALSE);
            // After an emptied word the text that moved into its place is checked.
            nPos = nWordStart + nLength;
        }
    }

    ctrl.HideSelection(FALSE, FALSE);
    ctrl.SetSel(crSaved);
    return bCompleted;
}
