// Growable array of values; indices are INT_PTR as in the framework.
#pragma once

#include "framework/base/CObject.h"

#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject
{
public:
    CArray() {}

    INT_PTR GetSize() const { return (INT_PTR)m_data.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_data.size(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return (INT_PTR)m_data.size() - 1; }
    void SetSize(INT_PTR nNewSize, INT_PTR /*nGrowBy*/ = -1) { m_data.resize(nNewSize > 0 ? (size_t)nNewSize : 0); }
    void RemoveAll() { m_data.clear(); }
    void FreeExtra() { m_data.shrink_to_fit(); }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_data.at((size_t)nIndex); }
    TYPE& ElementAt(INT_PTR nIndex) { return m_data.at((size_t)nIndex); }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_data.at((size_t)nIndex) = newElement; }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }

    const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }

    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
    {
        if ((size_t)nIndex >= m_data.size())
            m_data.resize((size_t)nIndex + 1);
        m_data[(size_t)nIndex] = newElement;
    }
    INT_PTR Add(ARG_TYPE newElement)
    {
        m_data.push_back(newElement);
        return (INT_PTR)m_data.size() - 1;
    }
    INT_PTR Append(const CArray& src)
    {
        const INT_PTR nOld = GetSize();
        m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
        return nOld;
    }
    void Copy(const CArray& src)
    {
        if (this != &src)
            m_data = src.m_data;
    }
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1)
    {
        if ((size_t)nIndex > m_data.size())
            m_data.resize((size_t)nIndex);
        m_data.insert(m_data.begin() + nIndex, (size_t)nCount, newElement);
    }
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1)
    {
        m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
    }

private:
    std::vector<TYPE> m_data;
};
