// The drag context of a sizing bar: the drag outline takes the size the bar
// has docked horizontally, docked vertically, or floating in its frame.
#pragma once

#include "framework/ui/CDockContext.h"

class CSCBDockContext : public CDockContext
{
public:
    explicit CSCBDockContext(CControlBar* pBar) : CDockContext(pBar) {}

    void StartDrag(CPoint pt) override;
};
