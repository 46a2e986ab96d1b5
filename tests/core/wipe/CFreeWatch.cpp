#include "CFreeWatch.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// What the watch looks for and what it found. Freeing must not allocate, so
// the findings go to a fixed table.
const size_t kMaxFindings = 64;
struct CFinding
{
    size_t nNeedle;
    size_t nBlockBytes;
};
std::vector<std::string> g_needles;
std::atomic<bool> g_bWatching(false);
std::atomic<size_t> g_nFreed(0);
std::atomic<size_t> g_nFindings(0);
CFinding g_findings[kMaxFindings];
CRITICAL_SECTION g_cs;
bool g_bInit = false;

void Inspect(void* p)
{
    if (p == nullptr || !g_bWatching.load())
        return;
    const size_t nBytes = _msize(p);
    const char* pBlock = static_cast<const char*>(p);
    EnterCriticalSection(&g_cs);
    if (g_bWatching.load())
    {
        ++g_nFreed;
        for (size_t i = 0; i < g_needles.size(); ++i)
        {
            const std::string& needle = g_needles[i];
            if (needle.size() > nBytes)
                continue;
            for (size_t at = 0; at + needle.size() <= nBytes; ++at)
            {
                if (pBlock[at] == needle[0] && std::memcmp(pBlock + at, needle.data(), needle.size()) == 0)
                {
                    const size_t n = g_nFindings++;
                    if (n < kMaxFindings)
                        g_findings[n] = CFinding{ i, nBytes };
                    break;
                }
            }
        }
    }
    LeaveCriticalSection(&g_cs);
}

void* Allocate(size_t nBytes)
{
    void* p = std::malloc(nBytes != 0 ? nBytes : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

void Release(void* p)
{
    Inspect(p);
    std::free(p);
}

} // namespace

// The program's allocation functions, all of them on the C heap.
void* operator new(size_t nBytes)
{
    return Allocate(nBytes);
}
void* operator new[](size_t nBytes)
{
    return Allocate(nBytes);
}
void* operator new(size_t nBytes, const std::nothrow_t&) noexcept
{
    return std::malloc(nBytes != 0 ? nBytes : 1);
}
void* operator new[](size_t nBytes, const std::nothrow_t&) noexcept
{
    return std::malloc(nBytes != 0 ? nBytes : 1);
}
void operator delete(void* p) noexcept
{
    Release(p);
}
void operator delete[](void* p) noexcept
{
    Release(p);
}
void operator delete(void* p, size_t) noexcept
{
    Release(p);
}
void operator delete[](void* p, size_t) noexcept
{
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    Release(p);
}

CFreeWatch::CFreeWatch(const std::vector<std::string>& needles)
{
    if (!g_bInit)
    {
        InitializeCriticalSection(&g_cs);
        g_bInit = true;
    }
    EnterCriticalSection(&g_cs);
    g_needles = needles;
    g_nFreed = 0;
    g_nFindings = 0;
    g_bWatching = true;
    LeaveCriticalSection(&g_cs);
}

CFreeWatch::~CFreeWatch()
{
    Stop();
}

void CFreeWatch::Stop()
{
    EnterCriticalSection(&g_cs);
    g_bWatching = false;
    LeaveCriticalSection(&g_cs);
}

size_t CFreeWatch::GetFreedCount() const
{
    return g_nFreed.load();
}

std::vector<std::string> CFreeWatch::GetFindings() const
{
    // Taken while nothing is watched any more (the strings allocate).
    const bool bWas = g_bWatching.exchange(false);
    std::vector<std::string> findings;
    const size_t n = std::min(g_nFindings.load(), kMaxFindings);
    for (size_t i = 0; i < n; ++i)
    {
        char szLine[96];
        std::snprintf(szLine, sizeof(szLine), "needle %u in a freed block of %u bytes", (unsigned)g_findings[i].nNeedle,
                      (unsigned)g_findings[i].nBlockBytes);
        findings.push_back(szLine);
    }
    if (g_nFindings.load() > kMaxFindings)
        findings.push_back("and more");
    g_bWatching = bWas;
    return findings;
}

std::string Needle(const void* pData, size_t nBytes)
{
    return std::string(static_cast<const char*>(pData), nBytes);
}
