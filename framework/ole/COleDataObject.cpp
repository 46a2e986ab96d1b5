#include "framework/ole/COleDataObject.h"

COleDataObject::COleDataObject() : m_lpDataObject(nullptr), m_bAutoRelease(TRUE) {}

COleDataObject::~COleDataObject()
{
    Release();
}

void COleDataObject::Attach(IDataObject* pDataObject, BOOL bAutoRelease)
{
    // The new reference first: the object attached may be the one held.
    if (pDataObject != nullptr && bAutoRelease)
        pDataObject->AddRef();
    Release();
    m_lpDataObject = pDataObject;
    m_bAutoRelease = bAutoRelease;
}

IDataObject* COleDataObject::Detach()
{
    IDataObject* p = m_lpDataObject;
    m_lpDataObject = nullptr;
    return p;
}

void COleDataObject::Release()
{
    if (m_lpDataObject != nullptr && m_bAutoRelease)
        m_lpDataObject->Release();
    m_lpDataObject = nullptr;
}

void COleDataObject::FillFormatEtc(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc, FORMATETC& formatEtc)
{
    if (lpFormatEtc != nullptr)
    {
        formatEtc = *lpFormatEtc;
        formatEtc.cfFormat = cfFormat;
        return;
    }
    formatEtc.cfFormat = cfFormat;
    formatEtc.ptd = nullptr;
    formatEtc.dwAspect = DVASPECT_CONTENT;
    formatEtc.lindex = -1;
    formatEtc.tymed = TYMED_HGLOBAL;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc) const
{
    if (m_lpDataObject == nullptr)
        return FALSE;
    FORMATETC formatEtc;
    FillFormatEtc(cfFormat, lpFormatEtc, formatEtc);
    return m_lpDataObject->QueryGetData(&formatEtc) == S_OK;
}

BOOL COleDataObject::GetData(CLIPFORMAT cfFormat, LPSTGMEDIUM lpStgMedium, LPFORMATETC lpFormatEtc) const
{
    if (lpStgMedium == nullptr)
        return FALSE;
    ZeroMemory(lpStgMedium, sizeof(STGMEDIUM));
    if (m_lpDataObject == nullptr)
        return FALSE;
    FORMATETC formatEtc;
    FillFormatEtc(cfFormat, lpFormatEtc, formatEtc);
    if (FAILED(m_lpDataObject->GetData(&formatEtc, lpStgMedium)))
    {
        ZeroMemory(lpStgMedium, sizeof(STGMEDIUM));
        return FALSE;
    }
    return TRUE;
}
