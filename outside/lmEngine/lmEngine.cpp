// lmEngine.dll: the spell engine that lmBroker binds by ordinal (see
// lmEngine.def); the program then calls it through an EngineFunctionTable.
#include <windows.h>

#include <type_traits>

#include "lmBroker/EngineFunctionTable.h"
#include "outside/lmEngine/CSpellEngine.h"

namespace
{
// One engine per process, as the broker and the program expect.
CSpellEngine g_engine;
}  // namespace

extern "C" {

int __stdcall EngineInitialize()
{
    try
    {
        g_engine.Reset();
        return 0;
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall EngineShutdown()
{
    try
    {
        g_engine.Reset();
        return 0;
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall EngineOpenDictionary(const char* pathD, const char* pathL, const char* pathH)
{
    try
    {
        return g_engine.OpenDictionary(pathD, pathL, pathH) ? 0 : -1;
    }
    catch (...)
    {
        g_engine.CloseDictionary();
        return -1;
    }
}

int __stdcall EngineCloseDictionary()
{
    try
    {
        g_engine.CloseDictionary();
        return 0;
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall EngineAddWord(const char* word)
{
    try
    {
        return g_engine.AddWord(word) ? 0 : -1;
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall EngineRemoveWord(const char* word)
{
    try
    {
        return g_engine.RemoveWord(word) ? 0 : -1;
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall EngineGetSuggestionCount()
{
    try
    {
        return g_engine.GetSuggestionCount();
    }
    catch (...)
    {
        return 0;
    }
}

int __stdcall EngineGetSuggestion(int index, int bufferSize, char* out)
{
    try
    {
        return g_engine.GetSuggestion(index, bufferSize, out) ? 0 : -1;
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall EngineGetVersion()
{
    return CSpellEngine::kVersion;
}

int __stdcall EngineIsWordChar(int ch)
{
    return g_engine.IsWordChar(static_cast<unsigned char>(ch & 0xFF)) ? 1 : 0;
}

int __stdcall EngineCheckWord(const char* word)
{
    try
    {
        return g_engine.CheckWord(word);
    }
    catch (...)
    {
        return -1;
    }
}

int __stdcall EngineSetOption(int option, int value)
{
    return g_engine.SetOption(option, value);
}

int __stdcall EngineFindMisspelling(const char* text, int* position, IgnoreWordProc callback, void* context)
{
    try
    {
        return g_engine.FindMisspelling(text, position, callback, context);
    }
    catch (...)
    {
        return 0;
    }
}

}  // extern "C"

// Each export must match its entry in the table the program calls through.
#define LM_SAME_TYPE(fn, entry) \
    static_assert(std::is_same<decltype(&fn), decltype(EngineFunctionTable::entry)>::value, #fn)
LM_SAME_TYPE(EngineInitialize, pfnInitialize);
LM_SAME_TYPE(EngineShutdown, pfnShutdown);
LM_SAME_TYPE(EngineOpenDictionary, pfnOpenDictionary);
LM_SAME_TYPE(EngineCloseDictionary, pfnCloseDictionary);
LM_SAME_TYPE(EngineAddWord, pfnAddWord);
LM_SAME_TYPE(EngineRemoveWord, pfnRemoveWord);
LM_SAME_TYPE(EngineGetSuggestionCount, pfnGetSuggestionCount);
LM_SAME_TYPE(EngineGetSuggestion, pfnGetSuggestion);
LM_SAME_TYPE(EngineGetVersion, pfnGetVersion);
LM_SAME_TYPE(EngineIsWordChar, pfnIsWordChar);
LM_SAME_TYPE(EngineCheckWord, pfnCheckWord);
LM_SAME_TYPE(EngineSetOption, pfnSetOption);
LM_SAME_TYPE(EngineFindMisspelling, pfnFindMisspelling);
#undef LM_SAME_TYPE

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
