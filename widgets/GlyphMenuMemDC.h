// An off-screen DC over one item rectangle: drawing goes to a bitmap that is
// copied to the target in one blit when the object goes. A printing target
// is drawn on directly.
#pragma once

#include "framework/gdi/CBitmap.h"
#include "framework/gdi/CDC.h"

class GlyphMenuMemDC : public CDC
{
public:
    GlyphMenuMemDC(CDC* pTarget, const CRect& rect);
    ~GlyphMenuMemDC() override;
    GlyphMenuMemDC(const GlyphMenuMemDC&) = delete;
    GlyphMenuMemDC& operator=(const GlyphMenuMemDC&) = delete;

private:
    CBitmap m_bitmap;
    HGDIOBJ m_hOldBitmap;
    CDC* m_pTarget;
    CRect m_rect;
    BOOL m_bMemDC;
};
