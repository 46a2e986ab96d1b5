// lmBroker's five exports, reached by ordinal only (they have no names).
#pragma once

#include "lmBroker/EngineFunctionTable.h"

enum BrokerOrdinal
{
    boReadDictionaryConfig = 1,
    boGetDictionaryCount = 2,
    boGetDictionaryName = 3,
    boLoadDictionaryEngine = 4,
    boUnloadEngine = 5
};

// 0 when the file was read, -1 when it cannot be read or does not begin
// with "@LEXOMO" (nothing changes then).
typedef int(__stdcall* PFN_ReadDictionaryConfig)(const char* configPath);
// The number of dictionaries read; their ids run 0 .. count - 1.
typedef int(__stdcall* PFN_GetDictionaryCount)();
// Copies the name of dictionary id, cut to bufferSize - 1 characters,
// with its NUL; writes nothing for an unknown id or no buffer. Always 0.
typedef int(__stdcall* PFN_GetDictionaryName)(int id, int bufferSize, char* out);
// Loads and starts lmEngine.dll with the dictionary id and fills the
// table. 0, or -1 (the table is not written then).
typedef int(__stdcall* PFN_LoadDictionaryEngine)(int id, EngineFunctionTable* out);
// Shuts down and frees the engine when one is loaded. Always 0.
typedef int(__stdcall* PFN_UnloadEngine)();
