#include "framework/base/CList.h"
#include "framework/base/CMap.h"
#include "framework/base/CMapStringToPtr.h"
#include "framework/base/CStringArray.h"
#include "framework/base/CTypedPtrArray.h"
#include "framework/base/CTypedPtrMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

typedef CMap<DWORD, DWORD, int, int> CIntMap;

std::vector<DWORD> KeysInOrder(const CIntMap& map)
{
    std::vector<DWORD> keys;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;)
    {
        DWORD key;
        int value;
        map.GetNextAssoc(pos, key, value);
        keys.push_back(key);
    }
    return keys;
}

} // namespace

// The notebook writer numbers nodes in table order, so the order is part of
// the file format: bucket = (key >> 4) % 17, newest first in a bucket,
// buckets walked upwards.
TEST(CMapTest, IterationOrderFollowsBucketsAndInsertion)
{
    CIntMap map;
    for (DWORD key : { 1u, 2u, 3u })
        map[key] = (int)key;
    EXPECT_EQ((std::vector<DWORD>{ 3, 2, 1 }), KeysInOrder(map));

    CIntMap spread;
    // 16 >> 4 = 1, 300 >> 4 = 18 -> bucket 1, 5 -> bucket 0, 272 >> 4 = 17 -> bucket 0
    for (DWORD key : { 16u, 300u, 5u, 272u })
        spread[key] = 0;
    EXPECT_EQ((std::vector<DWORD>{ 272, 5, 300, 16 }), KeysInOrder(spread));
}

TEST(CMapTest, SetAtKeepsPositionAndRemoveKeyUnlinks)
{
    CIntMap map;
    map.SetAt(1, 10);
    map.SetAt(2, 20);
    map.SetAt(3, 30);
    map.SetAt(2, 21); // updating keeps its place
    EXPECT_EQ((std::vector<DWORD>{ 3, 2, 1 }), KeysInOrder(map));
    int v = 0;
    ASSERT_TRUE(map.Lookup(2, v));
    EXPECT_EQ(21, v);

    EXPECT_TRUE(map.RemoveKey(2));
    EXPECT_FALSE(map.RemoveKey(2));
    EXPECT_FALSE(map.Lookup(2, v));
    EXPECT_EQ(2, map.GetCount());
    EXPECT_EQ((std::vector<DWORD>{ 3, 1 }), KeysInOrder(map));

    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(nullptr, map.GetStartPosition());
}

// The order as the framework defines it, kept beside the map under test:
// every live key with the sequence number of its first insertion; bucket
// (key >> 4) % 17 upwards, the newest first within a bucket.
class CReferenceOrder
{
public:
    void Insert(DWORD key)
    {
        if (m_seq.count(key) == 0)
            m_seq[key] = m_next++;
    }
    void Remove(DWORD key) { m_seq.erase(key); }
    std::vector<DWORD> Keys() const
    {
        std::vector<std::pair<DWORD, unsigned>> entries(m_seq.begin(), m_seq.end());
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            const UINT ba = (a.first >> 4) % 17, bb = (b.first >> 4) % 17;
            return ba != bb ? ba < bb : a.second > b.second;
        });
        std::vector<DWORD> keys;
        for (const auto& e : entries)
            keys.push_back(e.first);
        return keys;
    }

private:
    std::map<DWORD, unsigned> m_seq;
    unsigned m_next = 0;
};

// Tens of thousands of sparse keys: the lookup index grows many times while
// the order stays the framework's, through updates, removals and removing
// the entry just handed out by the iteration.
TEST(CMapTest, ManySparseKeysKeepTheOrderAndAreFound)
{
    CIntMap map;
    CReferenceOrder reference;
    std::map<DWORD, int> values;
    unsigned seed = 7;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int i = 0; i < 40000; ++i)
    {
        // Dense runs and far-apart ids both.
        const DWORD key = (i % 3 == 0) ? (DWORD)(next() % 60000) : (DWORD)(next() * 37u);
        switch (next() % 5)
        {
        case 0:
            EXPECT_EQ(values.erase(key) != 0, map.RemoveKey(key) != FALSE);
            reference.Remove(key);
            break;
        default:
            map[key] = i;
            values[key] = i;
            reference.Insert(key);
            break;
        }
    }
    ASSERT_EQ((INT_PTR)values.size(), map.GetCount());
    EXPECT_EQ(reference.Keys(), KeysInOrder(map));
    for (const auto& kv : values)
    {
        int v = -1;
        ASSERT_TRUE(map.Lookup(kv.first, v)) << kv.first;
        EXPECT_EQ(kv.second, v);
        EXPECT_EQ(&map[kv.first], map.PLookup(kv.first));
    }
    int v = 0;
    EXPECT_FALSE(map.Lookup(0xFFFFFFF0u, v));
    EXPECT_EQ(nullptr, map.PLookup(0xFFFFFFF0u));

    // By pointer, the same order without copies.
    std::vector<DWORD> byPointer;
    const CIntMap& constMap = map;
    for (const CIntMap::CPair* p = constMap.PGetFirstAssoc(); p != nullptr; p = constMap.PGetNextAssoc(p))
        byPointer.push_back(p->key);
    EXPECT_EQ(reference.Keys(), byPointer);

    // Removing every other entry as the iteration hands it out.
    bool bRemove = false;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;)
    {
        DWORD key;
        int value;
        map.GetNextAssoc(pos, key, value);
        if ((bRemove = !bRemove))
        {
            EXPECT_TRUE(map.RemoveKey(key));
            reference.Remove(key);
            values.erase(key);
        }
    }
    EXPECT_EQ(reference.Keys(), KeysInOrder(map));
    EXPECT_EQ((INT_PTR)values.size(), map.GetCount());
    for (const auto& kv : values)
        EXPECT_TRUE(map.Lookup(kv.first, v));

    // Emptied and used again.
    map.RemoveAll();
    EXPECT_EQ(nullptr, map.PGetFirstAssoc());
    EXPECT_FALSE(map.Lookup(values.begin()->first, v));
    map[5] = 1;
    map[16 * 17 + 5] = 2; // the same bucket, newer
    EXPECT_EQ((std::vector<DWORD>{ 16 * 17 + 5, 5 }), KeysInOrder(map));
}

TEST(CMapTest, StringKeysAndTypedPointers)
{
    CMapStringToPtr map;
    int a = 1, b = 2;
    map.SetAt("alpha", &a);
    map.SetAt("beta", &b);
    void* p = nullptr;
    ASSERT_TRUE(map.Lookup("beta", p));
    EXPECT_EQ(&b, p);
    EXPECT_FALSE(map.Lookup("gamma", p));

    // Many keys, each found again and removable.
    std::vector<CString> names;
    for (int i = 0; i < 3000; ++i)
    {
        CString name;
        name.Format("key %d", i * 13);
        names.push_back(name);
        map.SetAt(name, &a);
    }
    for (const CString& name : names)
        EXPECT_TRUE(map.Lookup(name, p)) << (LPCSTR)name;
    EXPECT_TRUE(map.RemoveKey("key 13"));
    EXPECT_FALSE(map.Lookup("key 13", p));
    EXPECT_TRUE(map.Lookup("beta", p));

    CTypedPtrMap<CMapStringToPtr, CString, int*> typed;
    typed.SetAt("x", &a);
    int* pi = nullptr;
    ASSERT_TRUE(typed.Lookup("x", pi));
    EXPECT_EQ(1, *pi);
    POSITION pos = typed.GetStartPosition();
    CString key;
    typed.GetNextAssoc(pos, key, pi);
    EXPECT_EQ(CString("x"), key);
    EXPECT_EQ(nullptr, pos);
}

TEST(CListTest, InsertAndRemoveAtEveryPlace)
{
    CList<int, int> list;
    EXPECT_EQ(nullptr, list.GetHeadPosition());
    list.InsertAfter(nullptr, 2);   // after nothing: the tail
    list.InsertBefore(nullptr, 1);  // before nothing: the head
    list.AddTail(4);
    list.InsertBefore(list.Find(4), 3);
    list.InsertAfter(nullptr, 5);

    std::vector<int> seen;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        seen.push_back(list.GetNext(pos));
    EXPECT_EQ((std::vector<int>{ 1, 2, 3, 4, 5 }), seen);

    std::vector<int> back;
    for (POSITION pos = list.GetTailPosition(); pos != nullptr;)
        back.push_back(list.GetPrev(pos));
    EXPECT_EQ((std::vector<int>{ 5, 4, 3, 2, 1 }), back);

    list.RemoveAt(list.FindIndex(2));
    EXPECT_EQ(1, list.RemoveHead());
    EXPECT_EQ(5, list.RemoveTail());
    EXPECT_EQ(2, list.GetCount());
    EXPECT_EQ(2, list.GetHead());
    EXPECT_EQ(4, list.GetTail());
    EXPECT_EQ(nullptr, list.FindIndex(2));
}

TEST(CArrayTest, GrowInsertRemove)
{
    CStringArray arr;
    arr.Add("a");
    arr.SetAtGrow(3, "d");
    EXPECT_EQ(4, arr.GetSize());
    EXPECT_TRUE(arr[1].IsEmpty());
    arr.InsertAt(1, "b");
    arr.RemoveAt(2, 2);
    ASSERT_EQ(3, arr.GetSize());
    EXPECT_EQ(CString("a"), arr[0]);
    EXPECT_EQ(CString("b"), arr[1]);
    EXPECT_EQ(CString("d"), arr[2]);

    CTypedPtrArray<CPtrArray, int*> ptrs;
    int x = 7;
    ptrs.Add(&x);
    EXPECT_EQ(7, *ptrs[0]);
}
