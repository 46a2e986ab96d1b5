// The spell engine's functions as the broker hands them to the program.
// Shared by the program, lmBroker and lmEngine: entry k - 1 holds the
// engine's export ordinal k. Everything is stdcall and 8-bit text.
#pragma once

// Asked by the engine before it reports a misspelt word; 1 skips the word.
typedef int(__stdcall* IgnoreWordProc)(const char* word, void* context);

struct EngineFunctionTable
{
    // 1: resets the engine; a second call without Shutdown starts afresh.
    int(__stdcall* pfnInitialize)();
    // 2: frees everything the engine holds.
    int(__stdcall* pfnShutdown)();
    // 3: replaces the open dictionary: word list D, settings L and
    // second word list H (L and H may be missing). 0, or -1 when D
    // cannot be read (no dictionary is open then).
    int(__stdcall* pfnOpenDictionary)(const char* pathD, const char* pathL, const char* pathH);
    // 4: closes the open dictionary.
    int(__stdcall* pfnCloseDictionary)();
    // 5, 6: add a word to, or remove one from, the open dictionary for
    // as long as it stays open. 0, or -1.
    int(__stdcall* pfnAddWord)(const char* word);
    int(__stdcall* pfnRemoveWord)(const char* word);
    // 7, 8: the suggestions for the word last reported; GetSuggestion
    // writes at most bufferSize - 1 characters and a NUL. 0, or -1 for
    // a bad index or buffer (nothing written then).
    int(__stdcall* pfnGetSuggestionCount)();
    int(__stdcall* pfnGetSuggestion)(int index, int bufferSize, char* out);
    // 9: the engine's version, major * 100 + minor.
    int(__stdcall* pfnGetVersion)();
    // 10: 1 when the character (low 8 bits) belongs to a word.
    int(__stdcall* pfnIsWordChar)(int ch);
    // 11: 1 when the word is known, 0 when it is misspelt (it becomes the
    // word last reported), -1 without an open dictionary.
    int(__stdcall* pfnCheckWord)(const char* word);
    // 12: sets an engine option, returns its previous value or -1.
    int(__stdcall* pfnSetOption)(int option, int value);
    // 13: the length of the next misspelt word at or after *position in
    // the NUL-terminated text, with *position moved to its start; 0 when
    // there is none.
    int(__stdcall* pfnFindMisspelling)(const char* text, int* position, IgnoreWordProc callback, void* context);
};

// The number of engine ordinals bound into the table (1 to this).
const int kEngineFunctionCount = 13;

// Engine options for pfnSetOption.
enum EngineOption
{
    // 1 (the default): words that contain a digit are never reported.
    eoSkipWordsWithDigits = 1
};

static_assert(sizeof(EngineFunctionTable) == kEngineFunctionCount * sizeof(void (*)()),
              "the table is exactly the engine's function pointers, in ordinal order");
