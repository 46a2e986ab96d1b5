// Type-safe view of a pointer map: BASE_CLASS stores void* values (and keys
// for pointer-keyed maps); KEY and VALUE are the types handed in and out.
#pragma once

#include "framework/base/CMap.h"

template <class BASE_CLASS, class KEY, class VALUE>
class CTypedPtrMap : public BASE_CLASS
{
public:
    BOOL Lookup(KEY key, VALUE& rValue) const
    {
        void* pValue = nullptr;
        if (!BASE_CLASS::Lookup(key, pValue))
            return FALSE;
        rValue = (VALUE)pValue;
        return TRUE;
    }
    VALUE& operator[](KEY key) { return (VALUE&)BASE_CLASS::operator[](key); }
    void SetAt(KEY key, VALUE newValue) { BASE_CLASS::SetAt(key, newValue); }
    BOOL RemoveKey(KEY key) { return BASE_CLASS::RemoveKey(key); }
    void GetNextAssoc(POSITION& rPosition, KEY& rKey, VALUE& rValue) const
    {
        typename BASE_CLASS::key_type key;
        void* pValue = nullptr;
        BASE_CLASS::GetNextAssoc(rPosition, key, pValue);
        rKey = (KEY)key;
        rValue = (VALUE)pValue;
    }
};
