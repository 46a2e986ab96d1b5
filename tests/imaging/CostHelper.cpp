// Decodes one picture file in a process of its own and writes what it cost:
// the decoder's outcome, the most address space the process ever held (what
// was allocated, touched or not) and the time it took. A fresh process gives
// a peak of this decode alone.
//
//   qlcimagecost <picture> <result file> [--max-bytes N] [--limit MS]
//
// The result file gets "code N", "text ...", "peak BYTES" and "ms N" lines.
// --max-bytes sets the largest bitmap the image layer makes, --limit the
// time a metafile's playback may take.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "TestImages.h"
#include "imaging/PLAnyPicDecoder.h"
#include "imaging/PLBmp.h"
#include "imaging/PLWEMFDecoder.h"
#include "imaging/PLWinBmp.h"

namespace
{
// The counters NtQueryInformationProcess fills for ProcessVmCounters.
struct VmCounters
{
    SIZE_T PeakVirtualSize;
    SIZE_T VirtualSize;
    ULONG PageFaultCount;
    SIZE_T PeakWorkingSetSize;
    SIZE_T WorkingSetSize;
    SIZE_T QuotaPeakPagedPoolUsage;
    SIZE_T QuotaPagedPoolUsage;
    SIZE_T QuotaPeakNonPagedPoolUsage;
    SIZE_T QuotaNonPagedPoolUsage;
    SIZE_T PagefileUsage;
    SIZE_T PeakPagefileUsage;
};

unsigned long long PeakVirtualBytes()
{
    typedef LONG(NTAPI * PFN_QUERY)(HANDLE, int, PVOID, ULONG, PULONG);
    const PFN_QUERY pfnQuery = reinterpret_cast<PFN_QUERY>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    VmCounters counters = {};
    ULONG length = 0;
    if (!pfnQuery || pfnQuery(GetCurrentProcess(), 3 /* ProcessVmCounters */, &counters, sizeof(counters), &length) != 0)
        return 0;
    return counters.PeakVirtualSize;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: qlcimagecost <picture> <result file> [--max-bytes N]\n");
        return 2;
    }
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    for (int i = 3; i + 1 < argc; i += 2)
    {
        if (std::strcmp(argv[i], "--max-bytes") == 0)
            PLBmp::SetMaxBytes(std::strtoll(argv[i + 1], nullptr, 10));
        else if (std::strcmp(argv[i], "--limit") == 0)
            PLWEMFDecoder::SetPlaybackLimit(unsigned(std::strtoul(argv[i + 1], nullptr, 10)));
    }

    const ULONGLONG start = GetTickCount64();
    PLAnyPicDecoder decoder;
    PLWinBmp bmp;
    const testimg::ImageError e = testimg::CatchImageError([&] { decoder.DecodeFile(argv[1], &bmp); });
    const ULONGLONG elapsed = GetTickCount64() - start;

    FILE* out = std::fopen(argv[2], "wb");
    if (!out)
        return 3;
    std::string text = e.text;
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(out, "code %d\ntext %s\npeak %llu\nms %llu\n", e.code, text.c_str(), PeakVirtualBytes(),
                 static_cast<unsigned long long>(elapsed));
    std::fclose(out);
    // Whatever an abandoned playback still does, the process ends here,
    // without waiting for it.
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}
