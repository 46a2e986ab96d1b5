// Common definitions of the application framework: Windows headers, the
// diagnostic macros and the small types every framework header uses.
#pragma once

#ifndef _WIN32
#error "The framework is Win32 only"
#endif

#include <windows.h>
#include <new>

// Debug checks compile to nothing in release builds, as callers expect.
#ifdef NDEBUG
#define ASSERT(f) ((void)0)
#define VERIFY(f) ((void)(f))
#else
void AfxAssertFailed(LPCSTR lpszFile, int nLine, LPCSTR lpszExpr);
#define ASSERT(f) ((f) ? (void)0 : AfxAssertFailed(__FILE__, __LINE__, #f))
#define VERIFY(f) ASSERT(f)
#endif

// Developer traces go to the debugger, never to the log.
void AfxTrace(LPCSTR lpszFormat, ...) __attribute__((format(printf, 1, 2)));
#define TRACE AfxTrace
#define TRACE0(sz) AfxTrace("%s", sz)

// Opaque iteration handle of the list and map collections.
struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)

#ifndef AFXAPI
#define AFXAPI __stdcall
#endif
