#include "framework/base/AfxDefs.h"

#include <cstdarg>
#include <cstdio>

#ifndef NDEBUG
void AfxAssertFailed(LPCSTR lpszFile, int nLine, LPCSTR lpszExpr)
{
    char sz[512];
    _snprintf(sz, sizeof(sz) - 1, "Assertion failed: %s (%s:%d)\n", lpszExpr, lpszFile, nLine);
    sz[sizeof(sz) - 1] = 0;
    OutputDebugStringA(sz);
}
#endif

void AfxTrace(LPCSTR lpszFormat, ...)
{
    char sz[1024];
    va_list args;
    va_start(args, lpszFormat);
    _vsnprintf(sz, sizeof(sz) - 1, lpszFormat, args);
    va_end(args);
    sz[sizeof(sz) - 1] = 0;
    OutputDebugStringA(sz);
}
