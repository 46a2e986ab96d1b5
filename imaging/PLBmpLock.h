#pragma once

#include "imaging/PLBmp.h"

// Holds a bitmap locked for the lifetime of a scope, so that a decoder that
// raises half way leaves the lock count as it found it.
class PLBmpLock
{
public:
    PLBmpLock(PLBmp* bmp, bool readable, bool writable) : m_pBmp(bmp)
    {
        m_pBmp->Lock(readable, writable);
    }
    ~PLBmpLock() { m_pBmp->Unlock(); }

    PLBmpLock(const PLBmpLock&) = delete;
    PLBmpLock& operator=(const PLBmpLock&) = delete;

private:
    PLBmp* m_pBmp;
};
