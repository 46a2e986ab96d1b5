#pragma once

#include "imaging/PLFilter.h"

// Base of the resize filters: the target size. Concrete filters implement
// Apply (this class has no way of its own to resize).
class PLFilterResize : public PLFilter
{
public:
    PLFilterResize(int newWidth, int newHeight);
    ~PLFilterResize() override;

    void SetNewSize(int newWidth, int newHeight);
    int GetNewWidth() const { return m_NewWidth; }
    int GetNewHeight() const { return m_NewHeight; }

    void Apply(PLBmp* source, PLBmp* dest) override = 0;

protected:
    int m_NewWidth;
    int m_NewHeight;
};
