#include "framework/base/CMutex.h"

IMPLEMENT_DYNAMIC(CMutex, CSyncObject)

CMutex::CMutex(BOOL bInitiallyOwn, LPCSTR lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute)
{
    m_hObject = CreateMutexA(lpsaAttribute, bInitiallyOwn, lpszName);
    if (m_hObject == nullptr)
        throw std::bad_alloc();
}

BOOL CMutex::Unlock()
{
    return ReleaseMutex(m_hObject);
}
