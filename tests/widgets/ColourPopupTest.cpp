// The colour popup through real windows: the custom-colour string, the
// initial selection, hover and click reaching the parent, the ways it is
// cancelled, the colour dialog behind "More Colours...", the tooltips and
// where it opens near the edges of the screen.
#include "WindowTestSupport.h"

#include "widgets/VarloColourPopup.h"

#include "framework/ui/CColorDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const int kRedCell = 16;

// The window the popup drops from: it records what the popup tells it.
class CPopupParent : public CWnd
{
public:
    CPopupParent(int x = 100, int y = 100, int cy = 30)
    {
        EXPECT_TRUE(CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, x, y, 300, cy, nullptr, nullptr));
    }
    ~CPopupParent() override { DestroyWindow(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= VarloColourPopup::NM_COLOUR_SELCHANGE && message <= VarloColourPopup::NM_COLOUR_CANCELLED)
        {
            notes.push_back({ message, (COLORREF)wParam });
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    struct Note
    {
        UINT message;
        COLORREF colour;
    };
    std::vector<Note> notes;
    const Note* Last(UINT message) const
    {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->message == message)
                return &*it;
        return nullptr;
    }
    // The colour of the last such notification (CLR_NONE when none came).
    COLORREF LastColour(UINT message) const
    {
        const Note* pNote = Last(message);
        return pNote != nullptr ? pNote->colour : CLR_NONE;
    }
};

// Answers the colour dialog: OK with a colour (and an edited custom
// colour), or Cancel.
class CColourAnswer : public IAfxCommonDialogHook
{
public:
    CColourAnswer(INT_PTR nAnswer, COLORREF clr) : m_nAnswer(nAnswer), m_clr(clr)
    {
        m_pOld = AfxSetCommonDialogHook(this);
    }
    ~CColourAnswer() override { AfxSetCommonDialogHook(m_pOld); }
    INT_PTR OnCommonDialog(CCommonDialog* pDialog) override
    {
        CColorDialog* pColour = dynamic_cast<CColorDialog*>(pDialog);
        if (pColour == nullptr)
            return IDCANCEL;
        nCalls++;
        flags = pColour->m_cc.Flags;
        initial = pColour->m_cc.rgbResult;
        pColour->m_cc.lpCustColors[5] = RGB(1, 2, 3);
        if (m_nAnswer == IDOK)
            pColour->m_cc.rgbResult = m_clr;
        return m_nAnswer;
    }
    int nCalls = 0;
    DWORD flags = 0;
    COLORREF initial = 0;

private:
    INT_PTR m_nAnswer;
    COLORREF m_clr;
    IAfxCommonDialogHook* m_pOld;
};

LPARAM At(CPoint pt)
{
    return MAKELPARAM(pt.x, pt.y);
}

CPoint Centre(VarloColourPopup& popup, int nIndex)
{
    return popup.GetItemRect(nIndex).CenterPoint();
}

std::string Custom(const VarloColourPopup& popup)
{
    char sz[VarloColourPopup::kCustomStringSize] = "";
    EXPECT_EQ(0, popup.GetCustomColours(sz, sizeof(sz)));
    return sz;
}

struct TipSearch
{
    HWND hOwner;
    HWND hTip;
};

BOOL CALLBACK FindOwnedTip(HWND hWnd, LPARAM lParam)
{
    TipSearch* p = (TipSearch*)lParam;
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (lstrcmpiA(szClass, TOOLTIPS_CLASSA) == 0 && ::GetWindow(hWnd, GW_OWNER) == p->hOwner)
        p->hTip = hWnd;
    return TRUE;
}

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; i++)
        out += s;
    return out;
}

} // namespace

TEST(ColourPopupTest, CustomColoursMakeARoundTripThroughTheirString)
{
    CPopupParent parent;
    VarloColourPopup popup(100, 130, kRed, &parent, "Automatic", "More Colours...", "#000000ff;");
    ASSERT_NE(nullptr, popup.m_hWnd);
    EXPECT_EQ(kRed, popup.GetCustomColour(0));
    for (int i = 1; i < VarloColourPopup::kCustomCount; i++)
        EXPECT_EQ(RGB(255, 255, 255), popup.GetCustomColour(i)) << i;
    const std::string text = Custom(popup);
    EXPECT_EQ(160u, text.size());
    EXPECT_EQ("#000000ff;" + Repeat("#00ffffff;", 15), text);

    // Too small a buffer: only the size needed.
    char sz[200] = "unchanged";
    EXPECT_EQ(161, popup.GetCustomColours(nullptr, 0));
    EXPECT_EQ(161, popup.GetCustomColours(sz, 160));
    EXPECT_STREQ("unchanged", sz);

    // The string read back gives the same colours.
    popup.SetCustomColours(("#00123456;" + Repeat("#00ffffff;", 14) + "#00000001;").c_str());
    EXPECT_EQ(RGB(0x56, 0x34, 0x12), popup.GetCustomColour(0));
    EXPECT_EQ(RGB(1, 0, 0), popup.GetCustomColour(15));
    VarloColourPopup copy(100, 130, kRed, &parent, nullptr, nullptr, Custom(popup).c_str());
    EXPECT_EQ(Custom(popup), Custom(copy));
}

TEST(ColourPopupTest, MalformedOrOversizedCustomColoursStopTheReading)
{
    CPopupParent parent;
    VarloColourPopup popup(100, 130, kRed, &parent, nullptr, nullptr, "");
    EXPECT_EQ(Repeat("#00ffffff;", 16), Custom(popup));

    // Values from the registry are kept to 24 bits.
    popup.SetCustomColours("#ff0000ff;#7f00ff00;");
    EXPECT_EQ(kRed, popup.GetCustomColour(0));
    EXPECT_EQ(RGB(0, 255, 0), popup.GetCustomColour(1));

    // A number longer than 8 digits ends the reading after 8 of them.
    popup.SetCustomColours("#1234567890;#000000ff;");
    EXPECT_EQ((COLORREF)0x00345678, popup.GetCustomColour(0));
    EXPECT_EQ(RGB(255, 255, 255), popup.GetCustomColour(1));

    // A missing separator keeps the colour read and ends there; a bad
    // item ends before it.
    popup.SetCustomColours("#000000ff#0000ff00;");
    EXPECT_EQ(kRed, popup.GetCustomColour(0));
    EXPECT_EQ(RGB(255, 255, 255), popup.GetCustomColour(1));
    popup.SetCustomColours("#000000ff;x#0000ff00;");
    EXPECT_EQ(kRed, popup.GetCustomColour(0));
    EXPECT_EQ(RGB(255, 255, 255), popup.GetCustomColour(1));
    popup.SetCustomColours("#;#000000ff;");
    EXPECT_EQ(RGB(255, 255, 255), popup.GetCustomColour(0));
    EXPECT_EQ(RGB(255, 255, 255), popup.GetCustomColour(1));
}

TEST(ColourPopupTest, TheInitialColourSelectsItsCell)
{
    CPopupParent parent;
    const std::string custom = "#00ffffff;#00ffffff;#00ffffff;#00563412;";
    struct Case
    {
        COLORREF clr;
        LPCSTR lpszDefault;
        LPCSTR lpszCustom;
        int nSelected;
    } cases[] = {
        { VarloColourPopup::kAutomatic, "Automatic", "More Colours...", VarloColourPopup::kDefaultButton },
        { VarloColourPopup::kAutomatic, nullptr, "More Colours...", VarloColourPopup::kCustomButton },
        { kRed, "Automatic", "More Colours...", kRedCell },
        { RGB(255, 255, 255), nullptr, nullptr, 39 }, // the palette before the custom colours
        { RGB(0x12, 0x34, 0x56), nullptr, nullptr, VarloColourPopup::kCustomCell + 3 },
        { RGB(1, 2, 3), "Automatic", "More Colours...", VarloColourPopup::kCustomButton },
        { RGB(1, 2, 3), "Automatic", nullptr, VarloColourPopup::kNothing },
    };
    for (const Case& c : cases)
    {
        VarloColourPopup popup(100, 130, c.clr, &parent, c.lpszDefault, c.lpszCustom, custom.c_str());
        EXPECT_EQ(c.nSelected, popup.GetSelectedIndex()) << std::hex << c.clr;
        EXPECT_EQ(VarloColourPopup::kNothing, popup.GetHotIndex());
        EXPECT_EQ(c.clr, popup.GetColour());
    }
}

TEST(ColourPopupTest, TheLayoutAndHitTestFollowTheGrids)
{
    CPopupParent parent;
    VarloColourPopup popup(100, 130, kRed, &parent, "Automatic", "More Colours...", "");
    const CRect palette0 = popup.GetItemRect(0);
    const CRect palette39 = popup.GetItemRect(39);
    EXPECT_EQ(18, palette0.Width());
    EXPECT_EQ(18, palette0.Height());
    EXPECT_EQ(144, palette39.right - palette0.left);
    EXPECT_EQ(90, palette39.bottom - palette0.top);
    const CRect custom0 = popup.GetItemRect(VarloColourPopup::kCustomCell);
    const CRect custom15 = popup.GetItemRect(VarloColourPopup::kCustomCell + 15);
    EXPECT_EQ(36, custom15.bottom - custom0.top);
    // Top to bottom: default button, palette, custom button, custom grid,
    // 9 pixels apart; both buttons as wide as the content.
    const CRect rectDefault = popup.GetItemRect(VarloColourPopup::kDefaultButton);
    const CRect rectCustom = popup.GetItemRect(VarloColourPopup::kCustomButton);
    EXPECT_EQ(palette0.top, rectDefault.bottom + 9);
    EXPECT_EQ(rectCustom.top, palette39.bottom + 9);
    EXPECT_EQ(custom0.top, rectCustom.bottom + 9);
    EXPECT_GE(rectDefault.Width(), 144);
    EXPECT_EQ(rectDefault.Width(), rectCustom.Width());
    // An inner margin of one frame thickness.
    CRect rectWindow, rectClient;
    popup.GetWindowRect(rectWindow);
    popup.GetClientRect(rectClient);
    const int cxFrame = (rectWindow.Width() - rectClient.Width()) / 2;
    EXPECT_EQ(cxFrame, rectDefault.left);
    EXPECT_EQ(rectClient.right - cxFrame, rectDefault.right);

    for (int i : { 0, 7, 8, kRedCell, 39, (int)VarloColourPopup::kCustomCell, VarloColourPopup::kCustomCell + 15,
                   (int)VarloColourPopup::kDefaultButton, (int)VarloColourPopup::kCustomButton })
        EXPECT_EQ(i, popup.HitTest(Centre(popup, i))) << i;
    EXPECT_EQ(VarloColourPopup::kNothing, popup.HitTest(CPoint(palette0.left, palette0.top - 4)));
}

TEST(ColourPopupTest, HoverAndClickReachTheParentWithTheColour)
{
    CPopupParent parent;
    const COLORREF clrInitial = RGB(0, 0, 255);
    VarloColourPopup popup(100, 130, clrInitial, &parent, "Automatic", "More Colours...", "#00563412;");
    ASSERT_NE(nullptr, popup.m_hWnd);

    popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, kRedCell)));
    EXPECT_EQ(kRedCell, popup.GetHotIndex());
    ASSERT_NE(nullptr, parent.Last(VarloColourPopup::NM_COLOUR_SELCHANGE));
    EXPECT_EQ(kRed, parent.LastColour(VarloColourPopup::NM_COLOUR_SELCHANGE));
    EXPECT_EQ(kRed, popup.GetColour());
    // A move within the same cell tells nothing new.
    const size_t nNotes = parent.notes.size();
    popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, kRedCell) + CPoint(1, 1)));
    EXPECT_EQ(nNotes, parent.notes.size());

    popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, VarloColourPopup::kCustomCell)));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), parent.LastColour(VarloColourPopup::NM_COLOUR_SELCHANGE));
    popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, VarloColourPopup::kDefaultButton)));
    EXPECT_EQ(VarloColourPopup::kAutomatic, parent.LastColour(VarloColourPopup::NM_COLOUR_SELCHANGE));
    EXPECT_EQ(VarloColourPopup::kAutomatic, popup.GetColour());

    // Over nothing the parent hears the initial colour, and the colour last
    // pointed at stays the choice.
    popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, kRedCell)));
    popup.SendMessage(WM_MOUSEMOVE, 0, At(CPoint(popup.GetItemRect(0).left, popup.GetItemRect(0).top - 4)));
    EXPECT_EQ(VarloColourPopup::kNothing, popup.GetHotIndex());
    EXPECT_EQ(clrInitial, parent.LastColour(VarloColourPopup::NM_COLOUR_SELCHANGE));
    EXPECT_EQ(kRed, popup.GetColour());

    // A click on the red cell chooses red.
    popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, kRedCell)));
    popup.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(Centre(popup, kRedCell)));
    popup.PostMessage(WM_LBUTTONUP, 0, At(Centre(popup, kRedCell)));
    EXPECT_EQ(0, popup.RunModalLoop());
    ASSERT_NE(nullptr, parent.Last(VarloColourPopup::NM_COLOUR_CHOSEN));
    EXPECT_EQ(kRed, parent.LastColour(VarloColourPopup::NM_COLOUR_CHOSEN));
    EXPECT_EQ(nullptr, parent.Last(VarloColourPopup::NM_COLOUR_CANCELLED));
    EXPECT_NE(popup.m_hWnd, ::GetCapture());
}

TEST(ColourPopupTest, AReleaseInsideButOverNoCellChoosesTheLastColour)
{
    CPopupParent parent;
    VarloColourPopup popup(100, 130, RGB(0, 0, 255), &parent, "Automatic", "More Colours...", "");
    popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, 3)));
    const CPoint ptEmpty(popup.GetItemRect(0).left, popup.GetItemRect(0).top - 4);
    popup.PostMessage(WM_MOUSEMOVE, 0, At(ptEmpty));
    popup.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(ptEmpty));
    popup.PostMessage(WM_LBUTTONUP, 0, At(ptEmpty));
    EXPECT_EQ(0, popup.RunModalLoop());
    EXPECT_EQ(VarloColourPopup::GetPaletteColour(3), parent.LastColour(VarloColourPopup::NM_COLOUR_CHOSEN));
}

TEST(ColourPopupTest, TheCancelPathsGiveBackTheInitialColour)
{
    const COLORREF clrInitial = RGB(0, 0, 255);
    {
        // The release of the click that opened it is ignored; a press and
        // release outside cancels.
        CPopupParent parent;
        VarloColourPopup popup(100, 130, clrInitial, &parent, "Automatic", "More Colours...", "");
        popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, kRedCell)));
        popup.SendMessage(WM_LBUTTONUP, 0, At(Centre(popup, kRedCell)));
        EXPECT_EQ(nullptr, parent.Last(VarloColourPopup::NM_COLOUR_CHOSEN));
        const CPoint ptOutside(-30, -30);
        popup.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(ptOutside));
        popup.PostMessage(WM_LBUTTONUP, 0, At(ptOutside));
        EXPECT_EQ(-1, popup.RunModalLoop());
        ASSERT_NE(nullptr, parent.Last(VarloColourPopup::NM_COLOUR_CANCELLED));
        EXPECT_EQ(clrInitial, parent.LastColour(VarloColourPopup::NM_COLOUR_CANCELLED));
        EXPECT_EQ(clrInitial, popup.GetColour());
        EXPECT_EQ(nullptr, parent.Last(VarloColourPopup::NM_COLOUR_CHOSEN));
    }
    {
        // Switching to another program cancels.
        CPopupParent parent;
        VarloColourPopup popup(100, 130, clrInitial, &parent, "Automatic", "More Colours...", "");
        popup.SendMessage(WM_MOUSEMOVE, 0, At(Centre(popup, kRedCell)));
        popup.PostMessage(WM_ACTIVATEAPP, FALSE, 0);
        EXPECT_EQ(-1, popup.RunModalLoop());
        EXPECT_EQ(clrInitial, parent.LastColour(VarloColourPopup::NM_COLOUR_CANCELLED));
    }
    {
        // "More Colours..." cancelled at the colour dialog.
        CColourAnswer answer(IDCANCEL, 0);
        CPopupParent parent;
        VarloColourPopup popup(100, 130, clrInitial, &parent, "Automatic", "More Colours...", "");
        const CPoint pt = Centre(popup, VarloColourPopup::kCustomButton);
        popup.SendMessage(WM_MOUSEMOVE, 0, At(pt));
        popup.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(pt));
        popup.PostMessage(WM_LBUTTONUP, 0, At(pt));
        EXPECT_EQ(-1, popup.RunModalLoop());
        EXPECT_EQ(1, answer.nCalls);
        EXPECT_EQ(clrInitial, parent.LastColour(VarloColourPopup::NM_COLOUR_CANCELLED));
        // What was edited in the dialog stays with the popup.
        EXPECT_EQ(RGB(1, 2, 3), popup.GetCustomColour(5));
    }
    {
        // A popup whose window could not be made ends its loop at once.
        VarloColourPopup popup(100, 130, clrInitial, nullptr, nullptr, nullptr, "");
        popup.DestroyWindow();
        EXPECT_EQ(-1, popup.RunModalLoop());
    }
}

TEST(ColourPopupTest, MoreColoursTakesTheDialogsColourAndKeepsItsCustomColours)
{
    CColourAnswer answer(IDOK, RGB(10, 20, 30));
    CPopupParent parent;
    VarloColourPopup popup(100, 130, kRed, &parent, "Automatic", "More Colours...", "");
    const CPoint pt = Centre(popup, VarloColourPopup::kCustomButton);
    popup.SendMessage(WM_MOUSEMOVE, 0, At(pt));
    // Over the button the parent hears the initial colour.
    EXPECT_EQ(kRed, parent.LastColour(VarloColourPopup::NM_COLOUR_SELCHANGE));
    popup.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(pt));
    popup.PostMessage(WM_LBUTTONUP, 0, At(pt));
    EXPECT_EQ(0, popup.RunModalLoop());
    EXPECT_EQ(1, answer.nCalls);
    EXPECT_EQ((DWORD)(CC_FULLOPEN | CC_ANYCOLOR), answer.flags & (CC_FULLOPEN | CC_ANYCOLOR));
    EXPECT_EQ(kRed, answer.initial);
    EXPECT_EQ(RGB(10, 20, 30), parent.LastColour(VarloColourPopup::NM_COLOUR_CHOSEN));
    EXPECT_EQ(RGB(10, 20, 30), popup.GetColour());
    EXPECT_EQ("#00030201;", Custom(popup).substr(50, 10));
}

TEST(ColourPopupTest, TooltipsNameThePaletteAndDescribeCustomColours)
{
    EXPECT_EQ("RGB: (255,0,0)\r\nHTML: #ff0000", VarloColourPopup::MakeCustomTip(kRed));
    EXPECT_EQ("RGB: (1,2,3)\r\nHTML: #010203", VarloColourPopup::MakeCustomTip(RGB(1, 2, 3)));
    EXPECT_EQ("Red", VarloColourPopup::GetPaletteName(kRedCell));
    EXPECT_EQ("Pale Green ", VarloColourPopup::GetPaletteName(35));

    CPopupParent parent;
    VarloColourPopup popup(100, 130, RGB(0, 0, 255), &parent, "Automatic", "More Colours...", "#000000ff;");
    // The popup's tooltip window: the one it owns.
    TipSearch search = { popup.m_hWnd, nullptr };
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindOwnedTip, (LPARAM)&search);
    HWND hTip = search.hTip;
    ASSERT_NE(nullptr, hTip);
    EXPECT_EQ(56, (int)::SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0));

    // The palette's tools come first, each named after its colour, over its cell.
    char szText[80] = "";
    TTTOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.lpszText = szText;
    ASSERT_TRUE(::SendMessageA(hTip, TTM_ENUMTOOLSA, kRedCell, (LPARAM)&ti));
    EXPECT_STREQ("Red", szText);
    EXPECT_TRUE(CRect(ti.rect) == popup.GetItemRect(kRedCell));

    // A custom cell's text is asked for when it shows.
    NMTTDISPINFOA info = {};
    info.hdr.hwndFrom = hTip;
    info.hdr.idFrom = VarloColourPopup::kCustomCell;
    info.hdr.code = TTN_GETDISPINFOA;
    popup.SendMessage(WM_NOTIFY, 0, (LPARAM)&info);
    ASSERT_NE(nullptr, info.lpszText);
    EXPECT_STREQ("RGB: (255,0,0)\r\nHTML: #ff0000", info.lpszText);
    EXPECT_EQ(300, (int)::SendMessageA(hTip, TTM_GETMAXTIPWIDTH, 0, 0));
}

TEST(ColourPopupTest, ThePopupStaysOnTheMonitorItOpensOn)
{
    // A second monitor to the right of a 1280 x 1024 one: the popup keeps to
    // the monitor of its position, not the primary screen's edges.
    const CRect second(1280, 0, 2560, 1024);
    EXPECT_EQ(CRect(2400, 100, 2560, 400), VarloColourPopup::PlaceOnMonitor(CRect(2500, 100, 2660, 400), second, 30));
    EXPECT_EQ(CRect(1500, 100, 1660, 400), VarloColourPopup::PlaceOnMonitor(CRect(1500, 100, 1660, 400), second, 30));
    EXPECT_EQ(CRect(1280, 100, 1440, 400), VarloColourPopup::PlaceOnMonitor(CRect(1270, 100, 1430, 400), second, 30));
    // Near its bottom: above the bar it drops from.
    EXPECT_EQ(CRect(1500, 570, 1660, 870), VarloColourPopup::PlaceOnMonitor(CRect(1500, 900, 1660, 1200), second, 30));
    // A monitor above the primary one (negative coordinates).
    const CRect above(0, -768, 1024, 0);
    EXPECT_EQ(CRect(864, -500, 1024, -200), VarloColourPopup::PlaceOnMonitor(CRect(900, -500, 1060, -200), above, 30));
    EXPECT_EQ(CRect(100, -768, 260, -468), VarloColourPopup::PlaceOnMonitor(CRect(100, -100, 260, 200), above, 600));
}

TEST(ColourPopupTest, ThePopupStaysOnTheScreenAndOpensAboveNearTheBottom)
{
    const int cxScreen = ::GetSystemMetrics(SM_CXSCREEN);
    const int cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
    CRect rect;
    {
        CPopupParent parent;
        VarloColourPopup popup(cxScreen - 20, 100, kRed, &parent, "Automatic", "More Colours...", "");
        popup.GetWindowRect(rect);
        EXPECT_EQ(cxScreen, rect.right);
    }
    {
        CPopupParent parent;
        VarloColourPopup popup(-40, 100, kRed, &parent, "Automatic", "More Colours...", "");
        popup.GetWindowRect(rect);
        EXPECT_EQ(0, rect.left);
        EXPECT_EQ(100, rect.top);
    }
    {
        // Dropping from a bar 30 pixels high whose bottom is near the screen's
        // bottom: the popup ends where the bar begins.
        CPopupParent parent(100, cyScreen - 60, 30);
        const int y = cyScreen - 30;
        VarloColourPopup popup(100, y, kRed, &parent, "Automatic", "More Colours...", "");
        popup.GetWindowRect(rect);
        EXPECT_EQ(y - 30, rect.bottom);
        EXPECT_LE(rect.bottom, cyScreen);
    }
}
