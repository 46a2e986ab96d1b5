// Maps system handles (windows, menus, device contexts, GDI objects, image
// lists) to the framework objects that wrap them. Each thread has its own
// maps. A permanent entry is an object the program attached; FromHandle
// returns it first, and otherwise makes a temporary wrapper that lives until
// the thread's next idle time.
#pragma once

#include "framework/base/CObject.h"

#include <unordered_map>
#include <vector>

class CHandleMap
{
public:
    // pfnNew makes a wrapper for a handle; pfnDeleteTemp detaches a temporary
    // wrapper from its handle (so the handle is not destroyed) and deletes it.
    typedef CObject* (*PFN_NEW)(HANDLE h);
    typedef void (*PFN_DELETE_TEMP)(CObject* pObject);

    CHandleMap(PFN_NEW pfnNew, PFN_DELETE_TEMP pfnDeleteTemp);
    ~CHandleMap();

    CObject* FromHandle(HANDLE h);
    CObject* LookupPermanent(HANDLE h) const;
    CObject* LookupTemporary(HANDLE h) const;
    void SetPermanent(HANDLE h, CObject* pObject);
    void RemoveHandle(HANDLE h);
    void DeleteTemp();

private:
    CHandleMap(const CHandleMap&) = delete;
    CHandleMap& operator=(const CHandleMap&) = delete;

    PFN_NEW m_pfnNew;
    PFN_DELETE_TEMP m_pfnDeleteTemp;
    std::unordered_map<HANDLE, CObject*> m_permanent;
    std::unordered_map<HANDLE, CObject*> m_temporary;
};
