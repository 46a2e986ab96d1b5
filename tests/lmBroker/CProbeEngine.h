// Holds one of the test-only engines (probe\lmEngine.dll, or
// no13\lmEngine.dll without ordinal 13) loaded by its full path. A copy of
// lmBroker.dll beside it loads this very module, and this object's
// reference keeps its call log alive across the broker's FreeLibrary.
#pragma once

#include <windows.h>

#include <string>

class CProbeEngine
{
public:
    enum Kind
    {
        pkComplete,
        pkWithoutOrdinal13
    };

    explicit CProbeEngine(Kind kind = pkComplete);
    ~CProbeEngine();
    CProbeEngine(const CProbeEngine&) = delete;
    CProbeEngine& operator=(const CProbeEngine&) = delete;

    HMODULE GetModule() const { return m_hModule; }

    // The calls recorded since the last time, as "Initialize;Open(D|L|H);...".
    std::string TakeLog();

private:
    HMODULE m_hModule;
    int(__stdcall* m_pfnTakeLog)(char* out, int size);
};
