#include "tests/lmBroker/CBrokerLibrary.h"

#include <stdexcept>

#include "tests/lmBroker/CTempFolder.h"

namespace
{
template <typename T>
T Bind(HMODULE module, int ordinal)
{
    FARPROC proc = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    if (!proc)
        throw std::runtime_error("lmBroker.dll lacks ordinal " + std::to_string(ordinal));
    return reinterpret_cast<T>(reinterpret_cast<void*>(proc));
}
}  // namespace

CBrokerLibrary::CBrokerLibrary(const std::string& folder)
{
    std::string path = CTempFolder::ProgramFolder() + (folder.empty() ? "" : folder + "\\") + "lmBroker.dll";
    m_hModule = LoadLibraryA(path.c_str());
    if (!m_hModule)
        throw std::runtime_error("cannot load " + path);
    try
    {
        m_pfnRead = Bind<PFN_ReadDictionaryConfig>(m_hModule, boReadDictionaryConfig);
        m_pfnCount = Bind<PFN_GetDictionaryCount>(m_hModule, boGetDictionaryCount);
        m_pfnName = Bind<PFN_GetDictionaryName>(m_hModule, boGetDictionaryName);
        m_pfnLoad = Bind<PFN_LoadDictionaryEngine>(m_hModule, boLoadDictionaryEngine);
        m_pfnUnload = Bind<PFN_UnloadEngine>(m_hModule, boUnloadEngine);
    }
    catch (...)
    {
        FreeLibrary(m_hModule);
        throw;
    }
}

CBrokerLibrary::~CBrokerLibrary()
{
    FreeLibrary(m_hModule);
}

std::string CBrokerLibrary::GetDictionaryName(int id)
{
    char buffer[128] = "";
    m_pfnName(id, sizeof(buffer), buffer);
    return buffer;
}
