// The OLE drop target and the received data object: registration with the
// system, cursor points turned into client coordinates, effects kept to what
// the source allows, the dragged object held only for the drag, and no
// exception let out into the system's call.
#include "WindowTestSupport.h"

#include "framework/FrameworkWin.h"
#include "framework/ole/COleDataObject.h"
#include "framework/ole/COleDropTarget.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// A dragged object offering text in global memory only.
class CTextObject : public CTestDataObject
{
public:
    STDMETHODIMP GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override
    {
        if (QueryGetData(pFormat) != S_OK)
            return DV_E_FORMATETC;
        pMedium->tymed = TYMED_HGLOBAL;
        pMedium->hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, 6);
        memcpy(::GlobalLock(pMedium->hGlobal), "hello", 6);
        ::GlobalUnlock(pMedium->hGlobal);
        pMedium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP QueryGetData(FORMATETC* pFormat) override
    {
        return pFormat->cfFormat == CF_TEXT && (pFormat->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
};

// Answers with a set effect and records what it was told.
class CProbeTarget : public COleDropTarget
{
public:
    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pData, DWORD, CPoint point) override
    {
        log += "enter(" + std::to_string(point.x) + "," + std::to_string(point.y) + ");";
        bWindow = pWnd != nullptr && pWnd->m_hWnd == GetWindow();
        bText = pData->IsDataAvailable(CF_TEXT);
        return effect;
    }
    DROPEFFECT OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint) override
    {
        log += "over;";
        return effect;
    }
    void OnDragLeave(CWnd*) override { log += "leave;"; }
    BOOL OnDrop(CWnd*, COleDataObject* pData, DROPEFFECT, CPoint) override
    {
        log += "drop;";
        if (bThrow)
            throw std::runtime_error("drop failed");
        STGMEDIUM medium;
        if (pData->GetData(CF_TEXT, &medium))
        {
            text = (const char*)::GlobalLock(medium.hGlobal);
            ::GlobalUnlock(medium.hGlobal);
            ::ReleaseStgMedium(&medium);
        }
        EXPECT_FALSE(pData->GetData(CF_HDROP, &medium));
        EXPECT_EQ(nullptr, medium.hGlobal);
        return bTake;
    }

    DROPEFFECT effect = DROPEFFECT_COPY;
    BOOL bTake = TRUE;
    BOOL bThrow = FALSE;
    BOOL bWindow = FALSE;
    BOOL bText = FALSE;
    std::string log;
    std::string text;
};

class DropTargetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hrOle = ::OleInitialize(nullptr);
        m_hWnd = ::CreateWindowExA(0, "STATIC", "drop", WS_POPUP | WS_VISIBLE, 100, 120, 200, 150, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(nullptr, m_hWnd);
    }
    void TearDown() override
    {
        ::DestroyWindow(m_hWnd);
        if (SUCCEEDED(m_hrOle))
            ::OleUninitialize();
    }
    POINTL ScreenPoint(int x, int y) const
    {
        POINT pt = { x, y };
        ::ClientToScreen(m_hWnd, &pt);
        return POINTL{ pt.x, pt.y };
    }

    HRESULT m_hrOle = E_FAIL;
    HWND m_hWnd = nullptr;
};

} // namespace

TEST_F(DropTargetTest, OneTargetAWindowUntilRevoked)
{
    CProbeTarget first, second;
    ASSERT_TRUE(first.Register(CWnd::FromHandle(m_hWnd)));
    EXPECT_EQ(m_hWnd, first.GetWindow());
    EXPECT_FALSE(first.Register(CWnd::FromHandle(m_hWnd)));
    EXPECT_FALSE(second.Register(CWnd::FromHandle(m_hWnd)));
    first.Revoke();
    EXPECT_EQ(nullptr, first.GetWindow());
    EXPECT_TRUE(second.Register(CWnd::FromHandle(m_hWnd)));
    second.Revoke();
}

TEST_F(DropTargetTest, PointsAreTheWindowsAndEffectsStayWithinWhatTheSourceAllows)
{
    CProbeTarget target;
    ASSERT_TRUE(target.Register(CWnd::FromHandle(m_hWnd)));
    IDropTarget* pTarget = target.GetInterface();
    CTextObject data;

    target.effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    DWORD dwEffect = DROPEFFECT_MOVE | DROPEFFECT_LINK;
    ASSERT_EQ(S_OK, pTarget->DragEnter(&data, 0, ScreenPoint(15, 25), &dwEffect));
    EXPECT_EQ("enter(15,25);", target.log);
    EXPECT_TRUE(target.bWindow);
    EXPECT_TRUE(target.bText);
    EXPECT_EQ((DWORD)DROPEFFECT_MOVE, dwEffect);
    // The object is held for the drag, and given back when it leaves.
    EXPECT_EQ(2, data.nRefs);
    target.effect = DROPEFFECT_COPY;
    dwEffect = DROPEFFECT_MOVE;
    ASSERT_EQ(S_OK, pTarget->DragOver(0, ScreenPoint(16, 26), &dwEffect));
    EXPECT_EQ((DWORD)DROPEFFECT_NONE, dwEffect);
    ASSERT_EQ(S_OK, pTarget->DragLeave());
    EXPECT_EQ(1, data.nRefs);

    // A drop taken: its effect; the object read and let go.
    target.log.clear();
    dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    pTarget->DragEnter(&data, 0, ScreenPoint(1, 2), &dwEffect);
    dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(S_OK, pTarget->Drop(&data, 0, ScreenPoint(1, 2), &dwEffect));
    EXPECT_EQ((DWORD)DROPEFFECT_COPY, dwEffect);
    EXPECT_EQ("enter(1,2);over;drop;", target.log);
    EXPECT_EQ("hello", target.text);
    EXPECT_EQ(1, data.nRefs);

    // A drop refused ends as a leave with no effect.
    target.log.clear();
    target.bTake = FALSE;
    dwEffect = DROPEFFECT_COPY;
    ASSERT_EQ(S_OK, pTarget->Drop(&data, 0, ScreenPoint(1, 2), &dwEffect));
    EXPECT_EQ((DWORD)DROPEFFECT_NONE, dwEffect);
    EXPECT_EQ("over;drop;leave;", target.log);
    EXPECT_EQ(1, data.nRefs);
    target.Revoke();
}

TEST_F(DropTargetTest, AHandlerThatThrowsIsAFailedDropNotACrash)
{
    CProbeTarget target;
    ASSERT_TRUE(target.Register(CWnd::FromHandle(m_hWnd)));
    CTextObject data;
    target.bThrow = TRUE;
    DWORD dwEffect = DROPEFFECT_COPY;
    EXPECT_EQ(E_UNEXPECTED, target.GetInterface()->Drop(&data, 0, ScreenPoint(5, 5), &dwEffect));
    EXPECT_EQ((DWORD)DROPEFFECT_NONE, dwEffect);
    EXPECT_EQ(1, data.nRefs);
    // Without a place for the effect nothing is asked at all.
    EXPECT_EQ(E_INVALIDARG, target.GetInterface()->DragEnter(&data, 0, ScreenPoint(5, 5), nullptr));
    EXPECT_EQ(1, data.nRefs);
    target.Revoke();
}
