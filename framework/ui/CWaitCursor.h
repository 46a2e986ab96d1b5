// Hourglass for the life of the object; nests.
#pragma once

#include "framework/base/AfxDefs.h"

class CWaitCursor
{
public:
    CWaitCursor() { Begin(); }
    ~CWaitCursor() { End(); }

    static void Begin();
    static void End();
    static void Restore();
    static int GetDepth();

private:
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
