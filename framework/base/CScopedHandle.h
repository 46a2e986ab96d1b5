// Owns a kernel handle (file, event, thread, mapping) for a scope and closes
// it when the scope ends. Both null and INVALID_HANDLE_VALUE mean none.
#pragma once

#include "framework/base/AfxDefs.h"

class CScopedHandle
{
public:
    explicit CScopedHandle(HANDLE h = nullptr) : m_h(h) {}
    ~CScopedHandle() { Reset(); }

    HANDLE Get() const { return m_h; }
    operator HANDLE() const { return m_h; }
    BOOL IsValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    // Gives the handle up: the caller closes it.
    HANDLE Detach()
    {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }
    void Reset(HANDLE h = nullptr)
    {
        if (IsValid())
            ::CloseHandle(m_h);
        m_h = h;
    }

private:
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    HANDLE m_h;
};
