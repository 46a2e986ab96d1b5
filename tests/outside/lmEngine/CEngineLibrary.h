// lmEngine.dll loaded from the build's output folder, its 13 ordinals bound
// into an EngineFunctionTable as lmBroker binds them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "lmBroker/EngineFunctionTable.h"

class CEngineLibrary
{
public:
    CEngineLibrary();
    ~CEngineLibrary();
    CEngineLibrary(const CEngineLibrary&) = delete;
    CEngineLibrary& operator=(const CEngineLibrary&) = delete;

    HMODULE GetModule() const { return m_hModule; }
    const EngineFunctionTable& Table() const { return m_table; }

    // The suggestions for the word last reported, read through 128-byte
    // buffers as the program reads them.
    std::vector<std::string> Suggestions() const;

private:
    HMODULE m_hModule;
    EngineFunctionTable m_table;
};
