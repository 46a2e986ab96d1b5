// Root of the framework's class hierarchy: run-time class information.
#pragma once

#include "framework/base/CRuntimeClass.h"

class CObject
{
public:
    virtual ~CObject() {}

    static CRuntimeClass classCObject;
    static CRuntimeClass* GetThisClass() { return &classCObject; }
    virtual CRuntimeClass* GetRuntimeClass() const { return &classCObject; }

    BOOL IsKindOf(const CRuntimeClass* pClass) const;

protected:
    CObject() {}

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};
