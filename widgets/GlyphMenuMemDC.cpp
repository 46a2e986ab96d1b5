#include "widgets/GlyphMenuMemDC.h"

GlyphMenuMemDC::GlyphMenuMemDC(CDC* pTarget, const CRect& rect)
    : m_hOldBitmap(nullptr), m_pTarget(pTarget), m_rect(rect), m_bMemDC(FALSE)
{
    const BOOL bPrinting = ::GetDeviceCaps(pTarget->m_hDC, TECHNOLOGY) == DT_RASPRINTER;
    if (!bPrinting && CreateCompatibleDC(pTarget) &&
        m_bitmap.CreateCompatibleBitmap(pTarget->m_hDC, rect.Width(), rect.Height()))
    {
        m_bMemDC = TRUE;
        m_hOldBitmap = ::SelectObject(m_hDC, m_bitmap.m_hObject);
        SetWindowOrg(rect.left, rect.top);
    }
    else
    {
        if (m_hDC != nullptr)
            DeleteDC();
        // Shared, not owned: dropped again in the destructor.
        m_hDC = pTarget->m_hDC;
        m_hAttribDC = pTarget->m_hAttribDC;
    }
}

GlyphMenuMemDC::~GlyphMenuMemDC()
{
    if (m_bMemDC)
    {
        ::BitBlt(m_pTarget->m_hDC, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_hDC, m_rect.left,
                 m_rect.top, SRCCOPY);
        ::SelectObject(m_hDC, m_hOldBitmap);
    }
    else
    {
        m_hDC = m_hAttribDC = nullptr;
    }
}
