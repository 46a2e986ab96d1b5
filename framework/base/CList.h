// Doubly linked list walked with POSITION values, as the framework's lists.
#pragma once

#include "framework/base/CObject.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject
{
    struct CNode
    {
        CNode* pNext;
        CNode* pPrev;
        TYPE data;
    };

public:
    CList() : m_pNodeHead(nullptr), m_pNodeTail(nullptr), m_nCount(0) {}
    explicit CList(INT_PTR /*nBlockSize*/) : CList() {}
    ~CList() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    TYPE& GetHead() { return m_pNodeHead->data; }
    const TYPE& GetHead() const { return m_pNodeHead->data; }
    TYPE& GetTail() { return m_pNodeTail->data; }
    const TYPE& GetTail() const { return m_pNodeTail->data; }

    TYPE RemoveHead()
    {
        CNode* p = m_pNodeHead;
        TYPE ret = p->data;
        Unlink(p);
        return ret;
    }
    TYPE RemoveTail()
    {
        CNode* p = m_pNodeTail;
        TYPE ret = p->data;
        Unlink(p);
        return ret;
    }

    POSITION AddHead(ARG_TYPE newElement) { return InsertBefore(GetHeadPosition(), newElement); }
    POSITION AddTail(ARG_TYPE newElement) { return InsertAfter(GetTailPosition(), newElement); }
    void AddTail(const CList* pNewList)
    {
        for (POSITION pos = pNewList->GetHeadPosition(); pos != nullptr;)
            AddTail(pNewList->GetNext(pos));
    }
    void RemoveAll()
    {
        while (m_pNodeHead != nullptr)
        {
            CNode* p = m_pNodeHead;
            m_pNodeHead = p->pNext;
            delete p;
        }
        m_pNodeTail = nullptr;
        m_nCount = 0;
    }

    POSITION GetHeadPosition() const { return (POSITION)m_pNodeHead; }
    POSITION GetTailPosition() const { return (POSITION)m_pNodeTail; }
    TYPE& GetNext(POSITION& rPosition)
    {
        CNode* p = (CNode*)rPosition;
        rPosition = (POSITION)p->pNext;
        return p->data;
    }
    const TYPE& GetNext(POSITION& rPosition) const
    {
        CNode* p = (CNode*)rPosition;
        rPosition = (POSITION)p->pNext;
        return p->data;
    }
    TYPE& GetPrev(POSITION& rPosition)
    {
        CNode* p = (CNode*)rPosition;
        rPosition = (POSITION)p->pPrev;
        return p->data;
    }
    const TYPE& GetPrev(POSITION& rPosition) const
    {
        CNode* p = (CNode*)rPosition;
        rPosition = (POSITION)p->pPrev;
        return p->data;
    }
    TYPE& GetAt(POSITION position) { return ((CNode*)position)->data; }
    const TYPE& GetAt(POSITION position) const { return ((CNode*)position)->data; }
    void SetAt(POSITION pos, ARG_TYPE newElement) { ((CNode*)pos)->data = newElement; }
    void RemoveAt(POSITION position) { Unlink((CNode*)position); }

    POSITION InsertBefore(POSITION position, ARG_TYPE newElement)
    {
        // Before nothing means at the head.
        CNode* pOld = (CNode*)position;
        CNode* p = pOld ? new CNode{ pOld, pOld->pPrev, newElement }
                        : new CNode{ m_pNodeHead, nullptr, newElement };
        Link(p);
        return (POSITION)p;
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement)
    {
        // After nothing means at the tail.
        CNode* pOld = (CNode*)position;
        CNode* p = pOld ? new CNode{ pOld->pNext, pOld, newElement }
                        : new CNode{ nullptr, m_pNodeTail, newElement };
        Link(p);
        return (POSITION)p;
    }

    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const
    {
        CNode* p = startAfter ? ((CNode*)startAfter)->pNext : m_pNodeHead;
        for (; p != nullptr; p = p->pNext)
        {
            if (p->data == searchValue)
                return (POSITION)p;
        }
        return nullptr;
    }
    POSITION FindIndex(INT_PTR nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_nCount)
            return nullptr;
        CNode* p = m_pNodeHead;
        while (nIndex-- > 0)
            p = p->pNext;
        return (POSITION)p;
    }

private:
    // Inserts p between its pPrev and pNext, which are already set.
    void Link(CNode* p)
    {
        if (p->pPrev)
            p->pPrev->pNext = p;
        else
            m_pNodeHead = p;
        if (p->pNext)
            p->pNext->pPrev = p;
        else
            m_pNodeTail = p;
        ++m_nCount;
    }
    void Unlink(CNode* p)
    {
        if (p->pPrev)
            p->pPrev->pNext = p->pNext;
        else
            m_pNodeHead = p->pNext;
        if (p->pNext)
            p->pNext->pPrev = p->pPrev;
        else
            m_pNodeTail = p->pPrev;
        --m_nCount;
        delete p;
    }

    CNode* m_pNodeHead;
    CNode* m_pNodeTail;
    INT_PTR m_nCount;
};
