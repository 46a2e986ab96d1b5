// A test-only lmEngine.dll that records what lmBroker calls. Each function
// of ordinal k (other than OpenDictionary) returns k, so a test can tell
// that a table entry reaches the right ordinal. Built twice: complete, and
// without ordinal 13 (see the .def files).
#include <windows.h>

#include <cstring>
#include <string>

namespace
{
std::string g_log;

void Record(const std::string& entry)
{
    g_log += entry;
    g_log += ';';
}

std::string Text(const char* s)
{
    return s ? s : "(null)";
}
}  // namespace

extern "C" {

int __stdcall ProbeInitialize()
{
    Record("Initialize");
    return 1;
}

int __stdcall ProbeShutdown()
{
    Record("Shutdown");
    return 2;
}

// 0 when the word list exists, -1 otherwise, as the real engine answers.
int __stdcall ProbeOpenDictionary(const char* pathD, const char* pathL, const char* pathH)
{
    Record("Open(" + Text(pathD) + "|" + Text(pathL) + "|" + Text(pathH) + ")");
    return pathD && GetFileAttributesA(pathD) != INVALID_FILE_ATTRIBUTES ? 0 : -1;
}

int __stdcall ProbeOrdinal4()
{
    return 4;
}

int __stdcall ProbeOrdinal5(const char*)
{
    return 5;
}

int __stdcall ProbeOrdinal6(const char*)
{
    return 6;
}

int __stdcall ProbeOrdinal7()
{
    return 7;
}

int __stdcall ProbeOrdinal8(int, int, char*)
{
    return 8;
}

int __stdcall ProbeOrdinal9()
{
    return 9;
}

int __stdcall ProbeOrdinal10(int)
{
    return 10;
}

int __stdcall ProbeOrdinal11(const char*)
{
    return 11;
}

int __stdcall ProbeOrdinal12(int, int)
{
    return 12;
}

int __stdcall ProbeOrdinal13(const char*, int*, void*, void*)
{
    return 13;
}

// Copies the calls recorded so far (cut to the buffer) and forgets them.
int __stdcall ProbeTakeLog(char* out, int size)
{
    if (!out || size <= 0)
        return -1;
    size_t length = g_log.size() < static_cast<size_t>(size) - 1 ? g_log.size() : static_cast<size_t>(size) - 1;
    memcpy(out, g_log.data(), length);
    out[length] = '\0';
    g_log.clear();
    return static_cast<int>(length);
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
