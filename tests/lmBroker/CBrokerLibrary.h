// lmBroker.dll loaded from the tests' folder (or a copy of it from one of its
// subfolders) and bound by ordinal, as the program binds it. Freed when the
// object goes, so every object sees a freshly loaded broker with an empty
// dictionary list.
#pragma once

#include <windows.h>

#include <string>

#include "lmBroker/BrokerExports.h"

class CBrokerLibrary
{
public:
    // folder: a subfolder of the tests' folder ("probe", "no13"), or empty.
    explicit CBrokerLibrary(const std::string& folder = std::string());
    ~CBrokerLibrary();
    CBrokerLibrary(const CBrokerLibrary&) = delete;
    CBrokerLibrary& operator=(const CBrokerLibrary&) = delete;

    HMODULE GetModule() const { return m_hModule; }

    int ReadDictionaryConfig(const std::string& path) { return m_pfnRead(path.c_str()); }
    int GetDictionaryCount() { return m_pfnCount(); }
    // The name of dictionary id read through a buffer of 128 bytes.
    std::string GetDictionaryName(int id);
    int GetDictionaryName(int id, int bufferSize, char* out) { return m_pfnName(id, bufferSize, out); }
    int LoadDictionaryEngine(int id, EngineFunctionTable* out) { return m_pfnLoad(id, out); }
    int UnloadEngine() { return m_pfnUnload(); }

private:
    HMODULE m_hModule;
    PFN_ReadDictionaryConfig m_pfnRead;
    PFN_GetDictionaryCount m_pfnCount;
    PFN_GetDictionaryName m_pfnName;
    PFN_LoadDictionaryEngine m_pfnLoad;
    PFN_UnloadEngine m_pfnUnload;
};
