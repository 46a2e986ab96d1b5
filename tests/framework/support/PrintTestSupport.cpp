#include "PrintTestSupport.h"

#include "WindowTestSupport.h"

#include "framework/docview/CPrintPreviewWnd.h"
#include "framework/res/AfxRes.h"
#include "framework/ui/CPrintDialog.h"

#include <regex>

CDisplayPrinter::CDisplayPrinter() : m_pOld(AfxSetCommonDialogHook(this))
{
}

CDisplayPrinter::~CDisplayPrinter()
{
    AfxSetCommonDialogHook(m_pOld);
}

INT_PTR CDisplayPrinter::OnCommonDialog(CCommonDialog* pDialog)
{
    CPrintDialog* pPrint = DYNAMIC_DOWNCAST(CPrintDialog, pDialog);
    if (pPrint == nullptr)
        return IDCANCEL;
    nAsked++;
    dwLastFlags = pPrint->m_pd.Flags;
    if (!bAnswer)
        return IDCANCEL;
    pPrint->m_pd.hDC = ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    return IDOK;
}

CPrintPreviewWnd* FindPrintPreview()
{
    HWND hWnd = ::FindWindowA(nullptr, "Print Preview");
    return hWnd ? DYNAMIC_DOWNCAST(CPrintPreviewWnd, CWnd::FromHandlePermanent(hWnd)) : nullptr;
}

void ClickPreviewButton(CPrintPreviewWnd* pPreview, int nID)
{
    ::SendMessageA(::GetDlgItem(pPreview->GetToolBar(), nID), BM_CLICK, 0, 0);
    PumpMessages();
}

namespace {
int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* pRecord, int, LPARAM lParam)
{
    std::string& str = *(std::string*)lParam;
    if (pRecord->iType == EMR_EXTTEXTOUTA)
    {
        const EMREXTTEXTOUTA* pText = (const EMREXTTEXTOUTA*)pRecord;
        str.append((const char*)pText + pText->emrtext.offString, pText->emrtext.nChars);
        str += ' ';
    }
    else if (pRecord->iType == EMR_EXTTEXTOUTW)
    {
        const EMREXTTEXTOUTW* pText = (const EMREXTTEXTOUTW*)pRecord;
        const WCHAR* pch = (const WCHAR*)((const BYTE*)pText + pText->emrtext.offString);
        if (!(pText->emrtext.fOptions & ETO_GLYPH_INDEX))
            for (DWORD i = 0; i < pText->emrtext.nChars; i++)
                str += pch[i] < 128 ? (char)pch[i] : '?';
        str += ' ';
    }
    return 1;
}
} // namespace

std::string TextOfPage(HENHMETAFILE hPage)
{
    std::string strText;
    if (hPage != nullptr)
        ::EnumEnhMetaFile(nullptr, hPage, CollectText, &strText, nullptr);
    return strText;
}

std::vector<int> WordsOfPage(HENHMETAFILE hPage)
{
    const std::string strText = TextOfPage(hPage);
    std::vector<int> words;
    const std::regex word("w(\\d{4})");
    for (std::sregex_iterator it(strText.begin(), strText.end(), word), end; it != end; ++it)
        words.push_back(std::stoi((*it)[1].str()));
    return words;
}
