// lmBroker: the dictionary list and the binding of the spell engine. Its five
// exports are reached by ordinal only (see lmBroker.def).
#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <type_traits>

#include "lmBroker/BrokerExports.h"
#include "lmBroker/CDictionaryConfigReader.h"
#include "lmBroker/DictionaryRecord.h"
#include "lmBroker/EngineFunctionTable.h"

namespace
{
// Built when the DLL is loaded and gone when it is unloaded; the program
// calls in from its UI thread only, so there is no lock.
std::map<int, DictionaryRecord> g_dictionaries;
int g_nextDictionaryId = 0;

HMODULE g_hEngine = nullptr;
EngineFunctionTable g_engineTable = {};

// The engine beside this library, by full path: a bare name would be looked
// for along the search path, the folder the program was started in
// included. Empty when this library's own path cannot be told.
std::string EnginePath()
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&EnginePath), &self))
        return std::string();
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::string();
    // By character: a trail byte of a double-byte character may be a backslash.
    const char* slash = nullptr;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\')
            slash = p;
    if (!slash)
        return std::string();
    return std::string(static_cast<const char*>(path), slash + 1) + "lmEngine.dll";
}

// Shuts the engine down and frees it. Nothing of it may be called afterwards.
void ReleaseEngine()
{
    if (!g_hEngine)
        return;
    if (g_engineTable.pfnShutdown)
        g_engineTable.pfnShutdown();
    FreeLibrary(g_hEngine);
    g_hEngine = nullptr;
    g_engineTable = EngineFunctionTable();
}
}  // namespace

extern "C" {

int __stdcall ReadDictionaryConfig(const char* configPath)
{
    try
    {
        CDictionaryConfigReader reader;
        if (reader.Read(configPath) != CDictionaryConfigReader::rrRead)
            return -1;
        // Store everything only once the file has been read whole, so a
        // failure changes nothing.
        std::map<int, DictionaryRecord> dictionaries = g_dictionaries;
        int nextId = g_nextDictionaryId;
        for (const DictionaryRecord& record : reader.GetRecords())
            dictionaries[nextId++] = record;
        g_dictionaries.swap(dictionaries);
        g_nextDictionaryId = nextId;
        return 0;
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall GetDictionaryCount()
{
    try
    {
        return static_cast<int>(g_dictionaries.size());
    }
    catch (...)
    {
        return 0;
    }
}

int __stdcall GetDictionaryName(int id, int bufferSize, char* out)
{
    try
    {
        if (bufferSize <= 0 || !out)
            return 0;
        std::map<int, DictionaryRecord>::const_iterator it = g_dictionaries.find(id);
        if (it == g_dictionaries.end())
            return 0;
        const std::string& name = it->second.name;
        size_t length = name.size();
        if (length > static_cast<size_t>(bufferSize) - 1)
            length = static_cast<size_t>(bufferSize) - 1;
        memcpy(out, name.data(), length);
        out[length] = '\0';
        return 0;
    }
    catch (...)
    {
        return 0;
    }
}

int __stdcall LoadDictionaryEngine(int id, EngineFunctionTable* out)
{
    try
    {
        std::map<int, DictionaryRecord>::const_iterator it = g_dictionaries.find(id);
        if (it == g_dictionaries.end() || !out)
            return -1;
        const DictionaryRecord& record = it->second;

        // Every selection starts a freshly loaded engine.
        ReleaseEngine();

        const std::string enginePath = EnginePath();
        if (enginePath.empty())
            return -1;
        // Its own libraries come from its folder first.
        g_hEngine = LoadLibraryExA(enginePath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!g_hEngine)
            return -1;

        // An engine that lacks any ordinal cannot be used at all.
        FARPROC procs[kEngineFunctionCount];
        for (int ordinal = 1; ordinal <= kEngineFunctionCount; ++ordinal)
        {
            procs[ordinal - 1] = GetProcAddress(g_hEngine, MAKEINTRESOURCEA(ordinal));
            if (!procs[ordinal - 1])
            {
                FreeLibrary(g_hEngine);
                g_hEngine = nullptr;
                return -1;
            }
        }
        static_assert(sizeof(procs) == sizeof(EngineFunctionTable), "one pointer per ordinal");
        static_assert(std::is_trivially_copyable<EngineFunctionTable>::value, "plain pointers");
        memcpy(&g_engineTable, procs, sizeof(g_engineTable));

        g_engineTable.pfnInitialize();
        if (g_engineTable.pfnOpenDictionary(record.pathD.c_str(), record.pathL.c_str(),
                                            record.pathH.c_str()) != 0)
        {
            // Without its word list the engine would pass every word.
            ReleaseEngine();
            return -1;
        }
        *out = g_engineTable;
        return 0;
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall UnloadEngine()
{
    try
    {
        ReleaseEngine();
    }
    catch (...)
    {
    }
    return 0;
}

}  // extern "C"

// The exports must keep the types the callers bind them with.
static_assert(std::is_same<decltype(&ReadDictionaryConfig), PFN_ReadDictionaryConfig>::value, "ordinal 1");
static_assert(std::is_same<decltype(&GetDictionaryCount), PFN_GetDictionaryCount>::value, "ordinal 2");
static_assert(std::is_same<decltype(&GetDictionaryName), PFN_GetDictionaryName>::value, "ordinal 3");
static_assert(std::is_same<decltype(&LoadDictionaryEngine), PFN_LoadDictionaryEngine>::value, "ordinal 4");
static_assert(std::is_same<decltype(&UnloadEngine), PFN_UnloadEngine>::value, "ordinal 5");

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
