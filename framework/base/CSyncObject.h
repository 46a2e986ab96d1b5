// Base of the kernel synchronisation objects that CSingleLock can hold.
#pragma once

#include "framework/base/CObject.h"

class CSyncObject : public CObject
{
    DECLARE_DYNAMIC(CSyncObject)
public:
    ~CSyncObject() override;

    virtual BOOL Lock(DWORD dwTimeout = INFINITE);
    virtual BOOL Unlock() = 0;

    operator HANDLE() const { return m_hObject; }
    HANDLE m_hObject;

protected:
    CSyncObject() : m_hObject(nullptr) {}
};
