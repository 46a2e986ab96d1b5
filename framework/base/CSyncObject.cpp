#include "framework/base/CSyncObject.h"

IMPLEMENT_DYNAMIC(CSyncObject, CObject)

CSyncObject::~CSyncObject()
{
    if (m_hObject != nullptr)
        CloseHandle(m_hObject);
}

BOOL CSyncObject::Lock(DWORD dwTimeout)
{
    const DWORD dw = WaitForSingleObject(m_hObject, dwTimeout);
    return dw == WAIT_OBJECT_0 || dw == WAIT_ABANDONED;
}
