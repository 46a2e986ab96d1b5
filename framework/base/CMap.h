// Hash map with the framework's observable iteration order: a key's bucket is
// HashKey(key) modulo the table size (17 by default), a new entry goes to the
// head of its bucket, and iteration walks the buckets upwards. Callers that
// number records in table order (the notebook writer) rely on this order.
#pragma once

#include "framework/base/CObject.h"
#include "framework/base/CString.h"

#include <vector>

template <class ARG_KEY>
inline UINT AFXAPI HashKey(ARG_KEY key)
{
    return ((UINT)(UINT_PTR)key) >> 4;
}

template <>
inline UINT AFXAPI HashKey<LPCSTR>(LPCSTR key)
{
    UINT nHash = 0;
    for (; key && *key; ++key)
        nHash = nHash * 31 + (BYTE)*key;
    return nHash;
}

template <>
inline UINT AFXAPI HashKey<const CString&>(const CString& key)
{
    return HashKey<LPCSTR>((LPCSTR)key);
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject
{
    struct CAssoc
    {
        CAssoc* pNext;
        UINT nHashValue;
        KEY key;
        VALUE value;
    };

public:
    typedef KEY key_type;
    typedef VALUE value_type;

    explicit CMap(INT_PTR /*nBlockSize*/ = 10) : m_nCount(0), m_nHashTableSize(17) {}
    ~CMap() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }

    // Only before the first entry, as in the framework.
    void InitHashTable(UINT nHashSize)
    {
        if (m_nCount == 0 && nHashSize > 0)
        {
            m_buckets.clear();
            m_nHashTableSize = nHashSize;
        }
    }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const
    {
        const CAssoc* p = GetAssocAt(key);
        if (p == nullptr)
            return FALSE;
        rValue = p->value;
        return TRUE;
    }
    // Pointer to the stored value, or null.
    VALUE* PLookup(ARG_KEY key)
    {
        CAssoc* p = GetAssocAt(key);
        return p ? &p->value : nullptr;
    }

    VALUE& operator[](ARG_KEY key)
    {
        CAssoc* p = GetAssocAt(key);
        if (p != nullptr)
            return p->value;
        if (m_buckets.empty())
            m_buckets.assign(m_nHashTableSize, nullptr);
        const UINT nHash = HashKey<ARG_KEY>(key) % m_nHashTableSize;
        p = new CAssoc{ m_buckets[nHash], nHash, key, VALUE() };
        m_buckets[nHash] = p;
        ++m_nCount;
        return p->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }

    BOOL RemoveKey(ARG_KEY key)
    {
        if (m_buckets.empty())
            return FALSE;
        CAssoc** ppPrev = &m_buckets[HashKey<ARG_KEY>(key) % m_nHashTableSize];
        for (CAssoc* p = *ppPrev; p != nullptr; p = p->pNext)
        {
            if (p->key == key)
            {
                *ppPrev = p->pNext;
                delete p;
                --m_nCount;
                return TRUE;
            }
            ppPrev = &p->pNext;
        }
        return FALSE;
    }
    void RemoveAll()
    {
        for (CAssoc*& pHead : m_buckets)
        {
            while (pHead != nullptr)
            {
                CAssoc* p = pHead;
                pHead = p->pNext;
                delete p;
            }
        }
        m_buckets.clear();
        m_nCount = 0;
    }

    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const
    {
        CAssoc* p = (CAssoc*)rNextPosition;
        if (p == (CAssoc*)BEFORE_START_POSITION)
            p = FirstInBucketFrom(0);
        rKey = p->key;
        rValue = p->value;
        CAssoc* pNext = p->pNext;
        if (pNext == nullptr)
            pNext = FirstInBucketFrom(p->nHashValue + 1);
        rNextPosition = (POSITION)pNext;
    }

private:
    CAssoc* FirstInBucketFrom(UINT nBucket) const
    {
        for (; nBucket < m_buckets.size(); ++nBucket)
        {
            if (m_buckets[nBucket] != nullptr)
                return m_buckets[nBucket];
        }
        return nullptr;
    }
    CAssoc* GetAssocAt(ARG_KEY key) const
    {
        if (m_buckets.empty())
            return nullptr;
        for (CAssoc* p = m_buckets[HashKey<ARG_KEY>(key) % m_nHashTableSize]; p != nullptr; p = p->pNext)
        {
            if (p->key == key)
                return p;
        }
        return nullptr;
    }

    std::vector<CAssoc*> m_buckets;
    INT_PTR m_nCount;
    UINT m_nHashTableSize;
};
