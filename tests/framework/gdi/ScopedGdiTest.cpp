// Scoped handles, GDI objects and selections: what was selected before is
// back when the scope ends, and owned objects are gone.
#include "framework/base/CScopedHandle.h"
#include "framework/gdi/CScopedDC.h"
#include "framework/gdi/CScopedGdiObject.h"
#include "framework/gdi/CScopedSelect.h"

#include <gtest/gtest.h>

TEST(ScopedGdiTest, SelectionsArePutBackAndObjectsDeleted)
{
    HBITMAP hKept = nullptr;
    {
        CScopedDC dc = CScopedDC::Compatible(nullptr);
        ASSERT_NE(nullptr, dc.Get());
        const HGDIOBJ hStock = ::GetCurrentObject(dc, OBJ_BITMAP);
        CScopedGdiObject<HBITMAP> bitmap(::CreateBitmap(8, 8, 1, 32, nullptr));
        {
            CScopedSelect select(dc, bitmap);
            EXPECT_TRUE(select.IsSelected());
            EXPECT_EQ((HGDIOBJ)bitmap.Get(), ::GetCurrentObject(dc, OBJ_BITMAP));
            {
                // Nested: the inner one restores the outer one's object.
                CScopedGdiObject<HBITMAP> other(::CreateBitmap(4, 4, 1, 32, nullptr));
                CScopedSelect inner(dc, other);
                EXPECT_EQ((HGDIOBJ)other.Get(), ::GetCurrentObject(dc, OBJ_BITMAP));
            }
            EXPECT_EQ((HGDIOBJ)bitmap.Get(), ::GetCurrentObject(dc, OBJ_BITMAP));
            CScopedSelect none(dc, nullptr);
            EXPECT_FALSE(none.IsSelected());
        }
        EXPECT_EQ(hStock, ::GetCurrentObject(dc, OBJ_BITMAP));
        CScopedGdiObject<HBITMAP> detached(::CreateBitmap(2, 2, 1, 32, nullptr));
        hKept = detached.Detach();
    }
    // A detached object outlives its scope; the caller deletes it.
    EXPECT_EQ(OBJ_BITMAP, (int)::GetObjectType(hKept));
    EXPECT_TRUE(::DeleteObject(hKept));

    HBRUSH hBrush = ::CreateSolidBrush(RGB(1, 2, 3));
    {
        CScopedGdiObject<HBRUSH> brush(hBrush);
    }
    EXPECT_EQ(0u, ::GetObjectType(hBrush)); // deleted
}

TEST(ScopedGdiTest, HandlesCloseAtTheEndOfTheirScope)
{
    HANDLE hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE hDup = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), hEvent, ::GetCurrentProcess(), &hDup, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    {
        CScopedHandle handle(hEvent);
        EXPECT_TRUE(handle.IsValid());
    }
    DWORD dwFlags = 0;
    EXPECT_FALSE(::GetHandleInformation(hEvent, &dwFlags)); // closed
    EXPECT_TRUE(::GetHandleInformation(hDup, &dwFlags));
    {
        CScopedHandle none(INVALID_HANDLE_VALUE);
        EXPECT_FALSE(none.IsValid());
        CScopedHandle kept(hDup);
        EXPECT_EQ(hDup, kept.Detach());
    }
    EXPECT_TRUE(::CloseHandle(hDup));
}
