#include "framework/ui/CHandleMap.h"

CHandleMap::CHandleMap(PFN_NEW pfnNew, PFN_DELETE_TEMP pfnDeleteTemp)
    : m_pfnNew(pfnNew), m_pfnDeleteTemp(pfnDeleteTemp)
{
}

CHandleMap::~CHandleMap()
{
    DeleteTemp();
}

CObject* CHandleMap::FromHandle(HANDLE h)
{
    if (h == nullptr)
        return nullptr;
    if (CObject* p = LookupPermanent(h))
        return p;
    if (CObject* p = LookupTemporary(h))
        return p;
    CObject* p = m_pfnNew(h);
    m_temporary[h] = p;
    return p;
}

CObject* CHandleMap::LookupPermanent(HANDLE h) const
{
    auto it = m_permanent.find(h);
    return it == m_permanent.end() ? nullptr : it->second;
}

CObject* CHandleMap::LookupTemporary(HANDLE h) const
{
    auto it = m_temporary.find(h);
    return it == m_temporary.end() ? nullptr : it->second;
}

void CHandleMap::SetPermanent(HANDLE h, CObject* pObject)
{
    m_permanent[h] = pObject;
}

void CHandleMap::RemoveHandle(HANDLE h)
{
    m_permanent.erase(h);
    m_temporary.erase(h);
}

void CHandleMap::DeleteTemp()
{
    // Deleting a wrapper may not add new ones, but take the list first anyway.
    std::vector<CObject*> temps;
    temps.reserve(m_temporary.size());
    for (auto& e : m_temporary)
        temps.push_back(e.second);
    m_temporary.clear();
    for (CObject* p : temps)
        m_pfnDeleteTemp(p);
}
