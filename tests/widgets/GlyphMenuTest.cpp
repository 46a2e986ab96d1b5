// The owner-drawn menu model through real menus and windows: building from
// templates, toolbar pictures in the shared list, accelerator padding, the
// records kept in step with the live menu, destruction, mnemonics and the
// frame's message routing.
#include "GlyphMenuTestRes.h"
#include "GlyphMenuTestSupport.h"
#include "WindowTestSupport.h"

#include "framework/docview/CRecentFileList.h"
#include "framework/res/AfxRes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Text(GlyphMenu* pMenu, int nPos)
{
    CString str;
    pMenu->GetItemText((UINT)nPos, str, MF_BYPOSITION);
    return str.GetString();
}

int TextWidth(HDC hdc, const std::string& s)
{
    SIZE size = { 0, 0 };
    ::GetTextExtentPoint32A(hdc, s.c_str(), (int)s.size(), &size);
    return size.cx;
}

// Every item of a popup owner-drawn with its own record as item data, and
// the records as many as the items.
void ExpectRecordsInStep(GlyphMenu* pMenu)
{
    const int nCount = (int)pMenu->GetMenuItemCount();
    ASSERT_EQ(nCount, (int)pMenu->m_itemData.GetSize());
    for (int i = 0; i < nCount; i++)
    {
        EXPECT_NE(0u, ItemTypeAt(pMenu->m_hMenu, i) & MFT_OWNERDRAW) << "item " << i;
        EXPECT_EQ((ULONG_PTR)pMenu->m_itemData[i], ItemDataAt(pMenu->m_hMenu, i)) << "item " << i;
    }
}

} // namespace

TEST(GlyphMenuBuildTest, TemplateBecomesOwnerDrawnPopupsUnderAPlainMenuBar)
{
    CForcedLook look(1, FALSE);
    GlyphMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_GM_MENU));
    EXPECT_TRUE(menu.m_isMenuBar);

    // The top level: plain strings with their popups.
    ASSERT_EQ(2u, menu.GetMenuItemCount());
    ASSERT_EQ(2, (int)menu.m_itemData.GetSize());
    for (int i = 0; i < 2; i++)
    {
        EXPECT_EQ(0u, ItemTypeAt(menu.m_hMenu, i) & MFT_OWNERDRAW);
        EXPECT_EQ((UINT)(MF_BYPOSITION | MF_POPUP), menu.m_itemData[i]->flags);
    }
    CString str;
    menu.GetMenuString(0, str, MF_BYPOSITION);
    EXPECT_EQ("&File", str);
    menu.GetMenuString(1, str, MF_BYPOSITION);
    EXPECT_EQ("&Edit", str);
    EXPECT_FALSE(GlyphMenu::OwnsMenuHandle(&menu));

    // File: six owner-drawn items, one of them a separator, one a popup.
    GlyphMenu* pFile = PopupAt(menu, 0);
    ASSERT_NE(nullptr, pFile);
    EXPECT_EQ((UINT_PTR)pFile->m_hMenu, menu.m_itemData[0]->commandId);
    ASSERT_EQ(6u, pFile->GetMenuItemCount());
    ExpectRecordsInStep(pFile);
    EXPECT_EQ(ID_GM_NEW, pFile->m_itemData[0]->commandId);
    EXPECT_NE(0u, pFile->m_itemData[0]->flags & MF_OWNERDRAW);
    GlyphMenuData* pSeparator = pFile->m_itemData[3];
    EXPECT_EQ(0u, pSeparator->commandId);
    EXPECT_EQ((UINT)(MF_SEPARATOR | MF_OWNERDRAW), pSeparator->flags);
    EXPECT_EQ("", Text(pFile, 3));
    EXPECT_NE(0u, ItemTypeAt(pFile->m_hMenu, 3) & MFT_SEPARATOR);
    EXPECT_EQ("E&xit", Text(pFile, 5));

    // The second level: its own object, owned by File, with its flags.
    GlyphMenu* pRecent = PopupAt(*pFile, 4);
    ASSERT_NE(nullptr, pRecent);
    EXPECT_EQ((UINT_PTR)pRecent->m_hMenu, pFile->m_itemData[4]->commandId);
    EXPECT_NE(0u, pFile->m_itemData[4]->flags & MF_POPUP);
    EXPECT_EQ(1, (int)pFile->m_popupHandles.GetSize());
    ExpectRecordsInStep(pRecent);
    EXPECT_EQ("&Second", Text(pRecent, 1));
    EXPECT_NE(0u, pRecent->GetMenuState(ID_GM_SECOND, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(pRecent->m_sharedCheckImages);

    for (GlyphMenu* p : { pFile, pRecent, PopupAt(menu, 1) })
        EXPECT_TRUE(GlyphMenu::OwnsMenuHandle(p));
    EXPECT_TRUE(GlyphMenu::OwnsMenuItemID((UINT)(UINT_PTR)pRecent->m_hMenu));
    EXPECT_FALSE(GlyphMenu::OwnsMenuItemID(ID_GM_NEW));

    // Lookups by command reach into the popups.
    CString strFirst;
    EXPECT_TRUE(menu.GetItemText(ID_GM_FIRST, strFirst, MF_BYCOMMAND));
    EXPECT_EQ("&First", strFirst);
    EXPECT_FALSE(menu.GetItemText(0x7777, strFirst, MF_BYCOMMAND));
}

TEST(GlyphMenuBuildTest, AcceleratorsArePaddedPastTheWidestLabel)
{
    CForcedLook look(1, FALSE);
    GlyphMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_GM_MENU));
    GlyphMenu* pFile = PopupAt(menu, 0);
    ASSERT_NE(nullptr, pFile);

    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof(ncm);
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0));
    HFONT hFont = ::CreateFontIndirectA(&ncm.lfMenuFont);
    HDC hdc = ::GetDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, hFont);
    const int nWidest = TextWidth(hdc, "Save &As... ");
    for (int nPos : { 0, 1 })
    {
        const std::string text = Text(pFile, nPos);
        const size_t nTab = text.find('\t');
        ASSERT_NE(std::string::npos, nTab) << text;
        const std::string left = text.substr(0, nTab);
        EXPECT_GE(TextWidth(hdc, left), nWidest) << text;
        // Only spaces were added, and no more than needed.
        EXPECT_EQ(std::string::npos, left.find_first_not_of(' ', nPos == 0 ? 4 : 5)) << text;
        EXPECT_LT(TextWidth(hdc, left.substr(0, left.size() - 1)), nWidest) << text;
    }
    EXPECT_EQ("\tCtrl+N", Text(pFile, 0).substr(Text(pFile, 0).find('\t')));
    EXPECT_EQ("Save &As...", Text(pFile, 2)); // no tab: unchanged
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(nullptr, hdc);
    ::DeleteObject(hFont);
}

TEST(GlyphMenuBuildTest, BadTemplatesAreRefusedAndLeaveNothingBehind)
{
    const INT_PTR nMenusBefore = GlyphMenu::s_allMenus.GetSize();
    GlyphMenu menu;
    EXPECT_FALSE(menu.LoadMenu(IDR_GM_MENUEX)); // extended layout
    EXPECT_EQ(nullptr, menu.m_hMenu);
    EXPECT_FALSE(menu.LoadMenu(IDR_GM_BROKEN)); // runs off the resource's end
    EXPECT_EQ(nullptr, menu.m_hMenu);
    EXPECT_EQ(0, (int)menu.m_itemData.GetSize());
    EXPECT_EQ(0, (int)menu.m_popupHandles.GetSize());
    EXPECT_FALSE(menu.LoadMenu(0x7FFF)); // no such menu
    EXPECT_EQ(nMenusBefore, GlyphMenu::s_allMenus.GetSize());

    // The object is still usable.
    EXPECT_TRUE(menu.LoadMenu(IDR_GM_MENU));
    EXPECT_EQ(2u, menu.GetMenuItemCount());
}

TEST(GlyphMenuPictureTest, ToolbarPicturesReachEveryCopyOfACommandAndTakingThemAgainDoesNotGrowTheList)
{
    CForcedLook look(1, FALSE); // classic: one picture per command
    GlyphMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_GM_MENU));
    GlyphMenu* pFile = PopupAt(menu, 0);
    GlyphMenu* pEdit = PopupAt(menu, 1);
    ASSERT_TRUE(pFile && pEdit);

    ASSERT_TRUE(menu.TakeToolbarImages(IDR_GM_TOOLBAR));
    const int nImages = GlyphMenu::s_sharedImages.GetImageCount();
    const INT_PTR nIds = GlyphMenu::s_sharedImageIds.GetSize();
    EXPECT_EQ(nIds, (INT_PTR)nImages);

    const int iNew = pFile->m_itemData[0]->globalImageIndex;
    ASSERT_GE(iNew, 0);
    EXPECT_EQ(ID_GM_NEW, GlyphMenu::s_sharedImageIds[iNew]);
    EXPECT_FALSE(GlyphMenu::HasEffectImages(iNew));
    // "New" stands in File and in Edit: both show the picture.
    EXPECT_EQ(iNew, pEdit->m_itemData[3]->globalImageIndex);
    EXPECT_GE(pFile->m_itemData[1]->globalImageIndex, 0); // Save, after the toolbar's separator
    EXPECT_GE(pEdit->m_itemData[0]->globalImageIndex, 0); // Cut
    EXPECT_EQ(-1, pFile->m_itemData[2]->globalImageIndex); // Save As has no button
    ExpectRecordsInStep(pFile);
    ExpectRecordsInStep(pEdit);

    // Again, and with a second menu: the pictures are replaced in place.
    ASSERT_TRUE(menu.TakeToolbarImages(IDR_GM_TOOLBAR));
    GlyphMenu other;
    ASSERT_TRUE(other.LoadMenu(IDR_GM_MENU));
    ASSERT_TRUE(other.TakeToolbarImages(IDR_GM_TOOLBAR));
    EXPECT_EQ(nImages, GlyphMenu::s_sharedImages.GetImageCount());
    EXPECT_EQ(nIds, GlyphMenu::s_sharedImageIds.GetSize());
    EXPECT_EQ(iNew, pFile->m_itemData[0]->globalImageIndex);

    // A menu built later finds the pictures already there.
    GlyphMenu later;
    ASSERT_TRUE(later.LoadMenu(IDR_GM_MENU));
    EXPECT_EQ(iNew, PopupAt(later, 0)->m_itemData[0]->globalImageIndex);

    // A set with a missing toolbar fails but takes the others; the
    // 16-colour strip loads with the system's button colours.
    const UINT sets[] = { IDR_GM_MISSING, IDR_GM_TOOLBAR16 };
    EXPECT_FALSE(menu.TakeToolbarImageSets(sets, 2));
    EXPECT_GE(pFile->m_itemData[5]->globalImageIndex, 0);                  // Exit
    EXPECT_GE(PopupAt(*pFile, 4)->m_itemData[0]->globalImageIndex, 0);      // Recent > First
    EXPECT_FALSE(menu.TakeToolbarImages(IDR_GM_MISSING));
}

TEST(GlyphMenuPictureTest, UnderTheXPLookANewPictureComesWithItsThreeDerivedOnes)
{
    CForcedLook look(7, FALSE);
    ASSERT_TRUE(GlyphMenu::XPLookActive());
    GlyphMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    // A toolbar picture taken by the item itself.
    ASSERT_TRUE(menu.AppendDrawnItem("E&xit", MF_STRING, ID_GM_EXIT, IDR_GM_TOOLBAR16));
    const int iExit = menu.m_itemData[0]->globalImageIndex;
    ASSERT_GE(iExit, 0);
    EXPECT_EQ(ID_GM_EXIT, GlyphMenu::s_sharedImageIds[iExit]);
    // A command without a button gets no picture and adds nothing.
    const INT_PTR nBefore = GlyphMenu::s_sharedImageIds.GetSize();
    ASSERT_TRUE(menu.AppendDrawnItem("Zoom", MF_STRING, 21790, IDR_GM_TOOLBAR16));
    EXPECT_EQ(-1, menu.m_itemData[1]->globalImageIndex);
    EXPECT_EQ(nBefore, GlyphMenu::s_sharedImageIds.GetSize());

    // A command new to the shared list: a group of four.
    ASSERT_TRUE(menu.AppendDrawnItem("First", MF_STRING, 21791, -1));
    EXPECT_EQ(-1, menu.m_itemData[2]->globalImageIndex);
    ASSERT_TRUE(menu.SetCommandImage("F&irst", 21791, nullptr, 0)); // text only
    EXPECT_EQ("F&irst", std::string(menu.m_itemData[2]->GetAnsiText()));
    EXPECT_EQ(-1, menu.m_itemData[2]->globalImageIndex);
    CImageList list;
    ASSERT_TRUE(list.Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1));
    CMemoryCanvas picture(16, 15, RGB(200, 40, 40));
    HBITMAP hbm = ::CreateCompatibleBitmap(picture.m_hdc, 16, 15);
    ASSERT_GE(ImageList_AddMasked(list.m_hImageList, hbm, RGB(192, 192, 192)), 0);
    ::DeleteObject(hbm);
    ASSERT_TRUE(menu.SetCommandImage((LPCSTR)nullptr, 21791, &list, 0));
    const int iNew = menu.m_itemData[2]->globalImageIndex;
    ASSERT_EQ(nBefore, (INT_PTR)iNew);
    EXPECT_EQ(nBefore + 4, GlyphMenu::s_sharedImageIds.GetSize());
    EXPECT_TRUE(GlyphMenu::HasEffectImages(iNew));
    EXPECT_EQ(GlyphMenu::s_sharedImageIds.GetSize(), (INT_PTR)GlyphMenu::s_sharedImages.GetImageCount());
    // Taken again: replaced in place, group and all.
    ASSERT_TRUE(menu.SetCommandImage((LPCSTR)nullptr, 21791, &list, 0));
    EXPECT_EQ(iNew, menu.m_itemData[2]->globalImageIndex);
    EXPECT_EQ(nBefore + 4, GlyphMenu::s_sharedImageIds.GetSize());
    EXPECT_FALSE(menu.SetCommandImage((LPCSTR)nullptr, 0x7778, &list, 0)); // not in the menu
    EXPECT_FALSE(GlyphMenu::HasEffectImages((int)GlyphMenu::s_sharedImageIds.GetSize() - 2));
}

TEST(GlyphMenuSyncTest, RecordsFollowTheRecentFileListAndTheFrameRouting)
{
    CMenuTestApp& app = MenuTestApp();
    delete app.m_pRecentFileList;
    app.m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", 4);
    app.m_pRecentFileList->Add("C:\\one.qlc");
    app.m_pRecentFileList->Add("C:\\Rock&Roll.qlc");

    CMenuTestFrame* pFrame = new CMenuTestFrame;
    ASSERT_TRUE(pFrame->CreateWithMenu(IDR_GM_RECENT));
    app.m_pMainWnd = pFrame;
    GlyphMenu* pFile = PopupAt(pFrame->m_menu, 0);
    ASSERT_NE(nullptr, pFile);
    std::vector<GlyphMenuData*> before;
    for (INT_PTR i = 0; i < pFile->m_itemData.GetSize(); i++)
        before.push_back(pFile->m_itemData[i]);

    // The framework's update puts the two files in place of the placeholder.
    pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)pFile->m_hMenu, MAKELPARAM(0, FALSE));
    ASSERT_EQ(6u, pFile->GetMenuItemCount());
    ExpectRecordsInStep(pFile);
    EXPECT_EQ(before[0], pFile->m_itemData[0]); // New kept its record
    EXPECT_EQ(before[1], pFile->m_itemData[1]); // so did both separators
    EXPECT_EQ(before[3], pFile->m_itemData[4]);
    EXPECT_EQ(before[4], pFile->m_itemData[5]); // and Exit
    EXPECT_EQ(before[2], pFile->m_itemData[2]); // the placeholder's record serves the first file
    EXPECT_EQ("&1 C:\\Rock&&Roll.qlc", Text(pFile, 2));
    EXPECT_EQ("&2 C:\\one.qlc", Text(pFile, 3));
    EXPECT_EQ(0xE111u, pFile->m_itemData[3]->commandId);
    EXPECT_EQ(0u, pFile->GetMenuState(0xE110, MF_BYCOMMAND) & MF_GRAYED);

    // Mnemonics of the new items work; a doubled ampersand is no mnemonic.
    const LPARAM lMenu = (LPARAM)pFile->m_hMenu;
    EXPECT_EQ(0x20003, pFrame->SendMessage(WM_MENUCHAR, MAKEWPARAM('2', MF_POPUP), lMenu));
    EXPECT_EQ(0, pFrame->SendMessage(WM_MENUCHAR, MAKEWPARAM('r', MF_POPUP), lMenu));
    EXPECT_EQ(0x20005, pFrame->SendMessage(WM_MENUCHAR, MAKEWPARAM('X', MF_POPUP), lMenu));

    // One file goes: its item and record go too.
    app.m_pRecentFileList->Remove(1);
    pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)pFile->m_hMenu, MAKELPARAM(0, FALSE));
    ASSERT_EQ(5u, pFile->GetMenuItemCount());
    ExpectRecordsInStep(pFile);
    EXPECT_EQ("&1 C:\\Rock&&Roll.qlc", Text(pFile, 2));

    // The system menu is left alone.
    HMENU hSys = ::GetSystemMenu(pFrame->m_hWnd, FALSE);
    pFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)hSys, MAKELPARAM(0, TRUE));
    EXPECT_NE(0u, ItemTypeAt(pFile->m_hMenu, 0) & MFT_OWNERDRAW);

    pFrame->DestroyWindow();
    app.m_pMainWnd = nullptr;
    PumpMessages();
    delete app.m_pRecentFileList;
    app.m_pRecentFileList = nullptr;
}

TEST(GlyphMenuSyncTest, AnOpenedPopupHasEveryItemMeasuredAndDrawnByTheSystem)
{
    CMenuTestFrame* pFrame = new CMenuTestFrame;
    ASSERT_TRUE(pFrame->CreateWithMenu(IDR_GM_MENU));
    pFrame->m_menu.TakeToolbarImages(IDR_GM_TOOLBAR);
    GlyphMenu* pFile = PopupAt(pFrame->m_menu, 0);
    ASSERT_NE(nullptr, pFile);
    // Someone adds an item before the popup shows.
    ::AppendMenuA(pFile->m_hMenu, MF_STRING, ID_GM_CUT, "&Late");

    pFrame->SetForegroundWindow();
    CRect rc;
    pFrame->GetWindowRect(&rc);
    pFile->TrackPopupMenu(TPM_LEFTALIGN, rc.left + 20, rc.top + 60, pFrame);
    PumpMessages();
    EXPECT_GE(pFrame->nIdle, 1);

    ExpectRecordsInStep(pFile);
    ASSERT_EQ(7, (int)pFile->m_itemData.GetSize());
    EXPECT_EQ("&Late", Text(pFile, 6));
    for (INT_PTR i = 0; i < pFile->m_itemData.GetSize(); i++)
    {
        const void* pData = pFile->m_itemData[i];
        EXPECT_GE(pFrame->measured[pData], 1) << "item " << i;
        EXPECT_GE(pFrame->drawn[pData], 1) << "item " << i;
    }
    // The popup item (Recent) came through the frame's own measuring.
    EXPECT_EQ((UINT)std::max(::GetSystemMetrics(SM_CYMENU), 19),
              pFrame->measuredHeights[pFile->m_itemData[4]]);
    EXPECT_EQ(0x20006, pFrame->SendMessage(WM_MENUCHAR, MAKEWPARAM('l', MF_POPUP), (LPARAM)pFile->m_hMenu));
    // The menu bar's own letters are the system's business.
    EXPECT_EQ(0, GlyphMenu::FindMnemonicItem('f', 0, &pFrame->m_menu));

    pFrame->DestroyWindow();
    PumpMessages();
}

TEST(GlyphMenuDestroyTest, DestroyingTheRootDeletesEveryPopupOnce)
{
    const INT_PTR nMenusBefore = GlyphMenu::s_allMenus.GetSize();
    HMENU hRoot = nullptr;
    std::vector<HMENU> popups;
    {
        GlyphMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_GM_MENU));
        GlyphMenu* pFile = PopupAt(menu, 0);
        popups = { pFile->m_hMenu, PopupAt(*pFile, 4)->m_hMenu, PopupAt(menu, 1)->m_hMenu };
        EXPECT_EQ(nMenusBefore + 3, GlyphMenu::s_allMenus.GetSize());
        // Handed to a window as the program does: the object keeps its popups.
        hRoot = menu.Detach();
        for (HMENU h : popups)
            EXPECT_NE(nullptr, CMenu::FromHandlePermanent(h));
    }
    for (HMENU h : popups)
    {
        EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(h));
        EXPECT_FALSE(GlyphMenu::OwnsMenuHandle(h));
    }
    EXPECT_EQ(nMenusBefore, GlyphMenu::s_allMenus.GetSize());
    EXPECT_TRUE(::IsMenu(hRoot)); // the handed-over root is the window's
    ::DestroyMenu(hRoot);

    // Attached: the handle goes with the object.
    GlyphMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_GM_MENU));
    HMENU hAttached = menu.m_hMenu;
    HMENU hNested = PopupAt(*PopupAt(menu, 0), 4)->m_hMenu;
    EXPECT_TRUE(menu.DestroyMenu());
    EXPECT_FALSE(::IsMenu(hAttached));
    EXPECT_FALSE(::IsMenu(hNested));
    EXPECT_EQ(nMenusBefore, GlyphMenu::s_allMenus.GetSize());
    EXPECT_FALSE(menu.DestroyMenu());
}

TEST(GlyphMenuMnemonicTest, TheTypedLetterExecutesTheFirstMatchingItemInEitherCase)
{
    GlyphMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_GM_MENU));
    GlyphMenu* pFile = PopupAt(menu, 0);
    GlyphMenu* pEdit = PopupAt(menu, 1);
    EXPECT_EQ(0x20001, GlyphMenu::FindMnemonicItem('s', MF_POPUP, pFile));
    EXPECT_EQ(0x20001, GlyphMenu::FindMnemonicItem('S', MF_POPUP, pFile));
    EXPECT_EQ(0x20002, GlyphMenu::FindMnemonicItem('a', MF_POPUP, pFile));
    EXPECT_EQ(0x20004, GlyphMenu::FindMnemonicItem('R', MF_POPUP, pFile)); // the Recent popup
    EXPECT_EQ(0, GlyphMenu::FindMnemonicItem('q', MF_POPUP, pFile));
    EXPECT_EQ(0, GlyphMenu::FindMnemonicItem('s', 0, pFile));              // not a popup
    // "&Rock && Roll" and "&New Again": R is Rock's, N is New Again's.
    EXPECT_EQ(0x20002, GlyphMenu::FindMnemonicItem('r', MF_POPUP, pEdit));
    EXPECT_EQ(0x20003, GlyphMenu::FindMnemonicItem('n', MF_POPUP, pEdit));
    CMenu plain;
    ASSERT_TRUE(plain.CreatePopupMenu());
    plain.AppendMenu(MF_STRING, 1, "&Save");
    EXPECT_EQ(0, GlyphMenu::FindMnemonicItem('s', MF_POPUP, &plain)); // not ours

    // Items added behind the records' back are found after a resync.
    ::InsertMenuA(pFile->m_hMenu, 0, MF_BYPOSITION | MF_STRING, ID_GM_COPY, "&Quit");
    EXPECT_EQ(0x20000, GlyphMenu::FindMnemonicItem('q', MF_POPUP, pFile));
    ExpectRecordsInStep(pFile);
}
