#include "tests/lmBroker/CProbeEngine.h"

#include <stdexcept>
#include <vector>

#include "tests/lmBroker/CTempFolder.h"

CProbeEngine::CProbeEngine(Kind kind)
{
    std::string path = CTempFolder::ProgramFolder() + (kind == pkComplete ? "probe" : "no13") + "\\lmEngine.dll";
    m_hModule = LoadLibraryA(path.c_str());
    if (!m_hModule)
        throw std::runtime_error("cannot load " + path);
    m_pfnTakeLog = reinterpret_cast<int(__stdcall*)(char*, int)>(
        reinterpret_cast<void*>(GetProcAddress(m_hModule, "ProbeTakeLog")));
    if (!m_pfnTakeLog)
    {
        FreeLibrary(m_hModule);
        throw std::runtime_error(path + " has no ProbeTakeLog");
    }
}

CProbeEngine::~CProbeEngine()
{
    FreeLibrary(m_hModule);
}

std::string CProbeEngine::TakeLog()
{
    std::vector<char> buffer(65536);
    int length = m_pfnTakeLog(buffer.data(), static_cast<int>(buffer.size()));
    return length > 0 ? std::string(buffer.data(), length) : std::string();
}
