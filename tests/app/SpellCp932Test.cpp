// Spell checking under the Japanese code page 932 (its CTest entry sets the
// locale), where a character of the control can be two bytes of the text the
// engine reads: the engine's byte offsets must be turned back into the
// control's character positions, or Change replaces the wrong text.
#include "AppTestSupport.h"
#include "SheetScripts.h"

#include "app/CLexomoLib.h"
#include "app/CSpellCheckDlg.h"
#include "app/res/SpellCheckDlgRes.h"

#include "framework/ui/CRichEditCtrl.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

class SpellCp932Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(932u, ::GetACP()) << "the test process must run under code page 932";
        TestApp();
        AfxInitRichEdit2();
        m_hHost = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400, nullptr, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(nullptr, m_hHost);
        HWND hEdit = ::CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 600, 400,
                                       m_hHost, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, hEdit);
        ASSERT_TRUE(m_ctrl.Attach(hEdit));
    }
    void TearDown() override
    {
        if (m_ctrl.m_hWnd != nullptr)
            ::DestroyWindow(m_ctrl.Detach());
        if (m_hHost != nullptr)
            ::DestroyWindow(m_hHost);
    }
    void SetText(const wchar_t* text)
    {
        SETTEXTEX st = { ST_DEFAULT, 1200 };
        m_ctrl.SendMessage(EM_SETTEXTEX, (WPARAM)&st, (LPARAM)text);
    }
    std::wstring Text()
    {
        wchar_t sz[256] = {};
        GETTEXTEX gt = { sizeof(sz), GT_DEFAULT, 1200, nullptr, nullptr };
        m_ctrl.SendMessage(EM_GETTEXTEX, (WPARAM)&gt, (LPARAM)sz);
        std::wstring text(sz);
        while (!text.empty() && text.back() == L'\r')
            text.pop_back();
        return text;
    }

    HWND m_hHost = nullptr;
    CRichEditCtrl m_ctrl;
};

} // namespace

TEST_F(SpellCp932Test, DoubleByteCharactersBeforeAWordDoNotMoveTheChange)
{
    CLexomoLib lib;
    lib.RegisterDictionaries(CLexomoLib::GetDictionaryFolder());
    ASSERT_TRUE(lib.SelectDictionary("English"));

    // Hiragana "a i u", two bytes each in code page 932.
    SetText(L"\x3042\x3044\x3046 teh \x3042\x3044 cat wich end");
    const std::map<std::string, std::string> changes = { { "teh", "the" }, { "wich", "which" } };
    std::vector<std::string> words;
    std::vector<long> starts;
    CScriptedDialogs hook([&](CWnd* pWnd) {
        CSpellCheckDlg* pDlg = DYNAMIC_DOWNCAST(CSpellCheckDlg, pWnd);
        ASSERT_NE(nullptr, pDlg);
        const std::string word = TextOf(pDlg, IDC_SPELL_WORD);
        words.push_back(word);
        long nStart = 0, nEnd = 0;
        m_ctrl.GetSel(nStart, nEnd);
        starts.push_back(nStart);
        auto it = changes.find(word);
        if (it == changes.end() || words.size() > 10)
        {
            Press(pDlg, IDC_SPELL_IGNORE);
            return;
        }
        Type(pDlg, IDC_SPELL_REPLACEMENT, it->second.c_str());
        Press(pDlg, IDC_SPELL_CHANGE);
    });
    EXPECT_TRUE(lib.CheckSpelling(m_ctrl));
    EXPECT_EQ((std::vector<std::string>{ "teh", "wich" }), words);
    EXPECT_EQ((std::vector<long>{ 4, 15 }), starts);
    EXPECT_TRUE(Text() == L"\x3042\x3044\x3046 the \x3042\x3044 cat which end");
}
