// Wiping secrets (keys, passwords, deciphered text) from memory.
// SecureZeroMemory writes through a volatile pointer, so the compiler cannot
// drop the wipe as a dead store the way it may drop memset or std::fill
// before a buffer is freed.
#pragma once

#include "framework/base/CString.h"

#include <cstddef>
#include <new>
#include <vector>

inline void AfxSecureWipe(void* pData, size_t nBytes)
{
    if (pData != nullptr && nBytes != 0)
        ::SecureZeroMemory(pData, nBytes);
}

// Zeros the characters, then empties the string.
inline void AfxSecureWipe(CString& str)
{
    const int n = str.GetLength();
    if (n > 0)
        AfxSecureWipe(str.GetBuffer(n), (size_t)n);
    str.ReleaseBuffer(0);
    str.Empty();
}

// An allocator whose memory is wiped before it goes back to the heap: a
// container of secrets leaves nothing behind when it grows, shrinks or dies,
// on every path, exceptions included.
template <class T>
class CSecureAllocator
{
public:
    typedef T value_type;

    CSecureAllocator() noexcept {}
    template <class U>
    CSecureAllocator(const CSecureAllocator<U>&) noexcept
    {
    }

    T* allocate(size_t n)
    {
        if (n > (size_t)-1 / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept
    {
        AfxSecureWipe(p, n * sizeof(T));
        ::operator delete(p);
    }

    template <class U>
    bool operator==(const CSecureAllocator<U>&) const noexcept
    {
        return true;
    }
    template <class U>
    bool operator!=(const CSecureAllocator<U>&) const noexcept
    {
        return false;
    }
};

// The one buffer type for passwords, keys, check blocks and deciphered
// payloads.
typedef std::vector<BYTE, CSecureAllocator<BYTE>> CSecureBytes;

// Zeros the bytes, keeping the size (the memory is wiped again when freed).
inline void AfxSecureWipe(CSecureBytes& bytes)
{
    AfxSecureWipe(bytes.data(), bytes.size());
}
