// The receiving side of a data transfer: holds one reference on the object
// dragged (or pasted) in and asks it for its formats.
#pragma once

#include "framework/base/AfxDefs.h"

#include <ole2.h>

class COleDataObject
{
public:
    COleDataObject();
    ~COleDataObject();
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    // Takes the object (AddRef'd here when bAutoRelease, released again by
    // Release or the destructor).
    void Attach(IDataObject* pDataObject, BOOL bAutoRelease = TRUE);
    IDataObject* Detach();
    void Release();
    IDataObject* GetIDataObject() const { return m_lpDataObject; }

    // Whether the object offers the format on global memory (or on the
    // medium of the FORMATETC given).
    BOOL IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr) const;
    // The data in that format; the caller releases the medium
    // (ReleaseStgMedium). FALSE with the medium empty when it is refused.
    BOOL GetData(CLIPFORMAT cfFormat, LPSTGMEDIUM lpStgMedium, LPFORMATETC lpFormatEtc = nullptr) const;

private:
    static void FillFormatEtc(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc, FORMATETC& formatEtc);

    IDataObject* m_lpDataObject;
    BOOL m_bAutoRelease;
};
