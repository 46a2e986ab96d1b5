// Wiping secrets (keys, passwords) from memory. SecureZeroMemory writes
// through a volatile pointer, so the compiler cannot drop the wipe as a dead
// store the way it may drop memset or std::fill before a buffer is freed.
#pragma once

#include "framework/base/CString.h"

#include <vector>

inline void AfxSecureWipe(void* pData, size_t nBytes)
{
    if (pData != nullptr && nBytes != 0)
        ::SecureZeroMemory(pData, nBytes);
}

// Zeros the bytes, keeping the size.
inline void AfxSecureWipe(std::vector<BYTE>& bytes)
{
    AfxSecureWipe(bytes.data(), bytes.size());
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
