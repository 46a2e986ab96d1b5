#include "tests/outside/lmEngine/CEngineLibrary.h"

#include <cstring>
#include <stdexcept>

#include "tests/lmBroker/CTempFolder.h"

CEngineLibrary::CEngineLibrary()
{
    std::string path = CTempFolder::ProgramFolder() + "lmEngine.dll";
    m_hModule = LoadLibraryA(path.c_str());
    if (!m_hModule)
        throw std::runtime_error("cannot load " + path);
    FARPROC procs[kEngineFunctionCount];
    for (int ordinal = 1; ordinal <= kEngineFunctionCount; ++ordinal)
    {
        procs[ordinal - 1] = GetProcAddress(m_hModule, MAKEINTRESOURCEA(ordinal));
        if (!procs[ordinal - 1])
        {
            FreeLibrary(m_hModule);
            throw std::runtime_error("lmEngine.dll lacks ordinal " + std::to_string(ordinal));
        }
    }
    static_assert(sizeof(procs) == sizeof(m_table), "one pointer per ordinal");
    memcpy(&m_table, procs, sizeof(m_table));
    m_table.pfnInitialize();
}

CEngineLibrary::~CEngineLibrary()
{
    m_table.pfnShutdown();
    FreeLibrary(m_hModule);
}

std::vector<std::string> CEngineLibrary::Suggestions() const
{
    std::vector<std::string> result;
    int count = m_table.pfnGetSuggestionCount();
    for (int i = 0; i < count; ++i)
    {
        char buffer[128] = "";
        m_table.pfnGetSuggestion(i, sizeof(buffer), buffer);
        result.push_back(buffer);
    }
    return result;
}
