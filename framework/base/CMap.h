// Hash map with the framework's observable iteration order: a key's bucket is
// HashKey(key) modulo the table size (17 by default), a new entry goes to the
// head of its bucket, and iteration walks the buckets upwards. Callers that
// number records in table order (the notebook writer) rely on this order.
//
// The buckets only keep that order. Lookups go through a second index that
// grows with the map, so finding, adding and removing a key take constant
// time however few buckets the order has.
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

// Hash of the lookup index: every bit of the key counts (HashKey drops the
// low four bits of numbers, which would put 16 neighbouring ids together).
template <class ARG_KEY>
inline UINT AFXAPI IndexHashKey(ARG_KEY key)
{
    const UINT_PTR n = (UINT_PTR)key;
    return (UINT)n ^ (UINT)((unsigned long long)n >> 32);
}

template <>
inline UINT AFXAPI IndexHashKey<LPCSTR>(LPCSTR key)
{
    return HashKey<LPCSTR>(key);
}

template <>
inline UINT AFXAPI IndexHashKey<const CString&>(const CString& key)
{
    return HashKey<LPCSTR>((LPCSTR)key);
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject
{
public:
    // An entry as iteration by pointer hands it out.
    struct CPair
    {
        const KEY key;
        VALUE value;

    protected:
        explicit CPair(ARG_KEY keyval) : key(keyval), value() {}
    };

private:
    struct CAssoc : public CPair
    {
        explicit CAssoc(ARG_KEY keyval) : CPair(keyval) {}
        CAssoc* pNext = nullptr;        // next in its bucket (iteration order)
        CAssoc* pPrev = nullptr;        // previous in its bucket
        CAssoc* pNextInIndex = nullptr; // next in its chain of the lookup index
        UINT nHashValue = 0;            // its bucket
        UINT nIndexHash = 0;
    };

public:
    typedef KEY key_type;
    typedef VALUE value_type;

    explicit CMap(INT_PTR /*nBlockSize*/ = 10) : m_nCount(0), m_nHashTableSize(17), m_nIndexShift(0) {}
    ~CMap() override { RemoveAll(); }

    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;

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
    const VALUE* PLookup(ARG_KEY key) const
    {
        const CAssoc* p = GetAssocAt(key);
        return p ? &p->value : nullptr;
    }

    VALUE& operator[](ARG_KEY key)
    {
        const UINT nIndexHash = IndexHashKey<ARG_KEY>(key);
        CAssoc* p = FindInIndex(key, nIndexHash);
        if (p != nullptr)
            return p->value;
        if (m_buckets.empty())
            m_buckets.assign(m_nHashTableSize, nullptr);
        if ((size_t)m_nCount >= m_index.size())
            GrowIndex();

        p = new CAssoc(key);
        p->nHashValue = HashKey<ARG_KEY>(key) % m_nHashTableSize;
        p->nIndexHash = nIndexHash;
        CAssoc*& pHead = m_buckets[p->nHashValue];
        p->pNext = pHead;
        if (pHead != nullptr)
            pHead->pPrev = p;
        pHead = p;
        CAssoc*& pChain = m_index[IndexSlot(nIndexHash)];
        p->pNextInIndex = pChain;
        pChain = p;
        ++m_nCount;
        return p->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }

    BOOL RemoveKey(ARG_KEY key)
    {
        if (m_index.empty())
            return FALSE;
        const UINT nIndexHash = IndexHashKey<ARG_KEY>(key);
        CAssoc** ppChain = &m_index[IndexSlot(nIndexHash)];
        for (CAssoc* p = *ppChain; p != nullptr; p = p->pNextInIndex)
        {
            if (p->nIndexHash == nIndexHash && p->key == key)
            {
                *ppChain = p->pNextInIndex;
                if (p->pPrev != nullptr)
                    p->pPrev->pNext = p->pNext;
                else
                    m_buckets[p->nHashValue] = p->pNext;
                if (p->pNext != nullptr)
                    p->pNext->pPrev = p->pPrev;
                delete p;
                --m_nCount;
                return TRUE;
            }
            ppChain = &p->pNextInIndex;
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
        m_index.clear();
        m_nIndexShift = 0;
        m_nCount = 0;
    }

    // Iteration in table order. The entry just handed out may be removed
    // before the next call.
    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const
    {
        CAssoc* p = (CAssoc*)rNextPosition;
        if (p == (CAssoc*)BEFORE_START_POSITION)
            p = FirstInBucketFrom(0);
        rKey = p->key;
        rValue = p->value;
        rNextPosition = (POSITION)NextInOrder(p);
    }
    // The same order by pointer, without copying the values; null at the end.
    const CPair* PGetFirstAssoc() const { return FirstInBucketFrom(0); }
    const CPair* PGetNextAssoc(const CPair* pPair) const
    {
        return pPair ? NextInOrder(static_cast<const CAssoc*>(pPair)) : nullptr;
    }
    CPair* PGetFirstAssoc() { return FirstInBucketFrom(0); }
    CPair* PGetNextAssoc(const CPair* pPair)
    {
        return pPair ? NextInOrder(static_cast<const CAssoc*>(pPair)) : nullptr;
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
    CAssoc* NextInOrder(const CAssoc* p) const
    {
        return p->pNext != nullptr ? p->pNext : FirstInBucketFrom(p->nHashValue + 1);
    }
    size_t IndexSlot(UINT nIndexHash) const
    {
        // Fibonacci hashing: the top bits of the product spread any keys.
        return (size_t)((nIndexHash * 2654435769u) >> m_nIndexShift);
    }
    CAssoc* FindInIndex(ARG_KEY key, UINT nIndexHash) const
    {
        if (m_index.empty())
            return nullptr;
        for (CAssoc* p = m_index[IndexSlot(nIndexHash)]; p != nullptr; p = p->pNextInIndex)
        {
            if (p->nIndexHash == nIndexHash && p->key == key)
                return p;
        }
        return nullptr;
    }
    CAssoc* GetAssocAt(ARG_KEY key) const { return FindInIndex(key, IndexHashKey<ARG_KEY>(key)); }
    // Doubles the index (16 slots at first) and rehashes every entry.
    void GrowIndex()
    {
        const size_t nSize = m_index.empty() ? 16 : m_index.size() * 2;
        UINT nBits = 0;
        while (((size_t)1 << nBits) < nSize)
            ++nBits;
        std::vector<CAssoc*> index(nSize, nullptr);
        m_nIndexShift = 32 - nBits;
        for (CAssoc* pHead : m_buckets)
        {
            for (CAssoc* p = pHead; p != nullptr; p = p->pNext)
            {
                CAssoc*& pChain = index[(size_t)((p->nIndexHash * 2654435769u) >> m_nIndexShift)];
                p->pNextInIndex = pChain;
                pChain = p;
            }
        }
        m_index.swap(index);
    }

    std::vector<CAssoc*> m_buckets; // iteration order
    std::vector<CAssoc*> m_index;   // lookup
    INT_PTR m_nCount;
    UINT m_nHashTableSize;
    UINT m_nIndexShift;
};
