#include "app/CSortableStringArray.h"

#include <algorithm>
#include <mbstring.h>

void CSortableStringArray::Sort()
{
    CString* pFirst = GetData();
    if (pFirst == nullptr)
        return;
    std::sort(pFirst, pFirst + GetSize(), [](const CString& a, const CString& b) {
        return _mbscmp((const unsigned char*)(LPCSTR)a, (const unsigned char*)(LPCSTR)b) < 0;
    });
}
