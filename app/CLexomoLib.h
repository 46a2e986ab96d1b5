// The program's side of the spell broker lmBroker: loads "LMBroker.dll" for
// as long as the object lives, registers the dictionaries found in a folder,
// starts the engine with one of them, and checks the text of a RichEdit
// control word by word through the engine, asking the Spelling dialog about
// every misspelt word. The broker's engine stays loaded once started (the
// broker's unload export is never called).
#pragma once

#include "framework/base/CString.h"
#include "framework/base/CStringList.h"

#include "lmBroker/BrokerExports.h"
#include "lmBroker/EngineFunctionTable.h"

#include <string>
#include <vector>

class CRichEditCtrl;
class CSpellCheckDlg;

class CLexomoLib
{
public:
    // The broker's exports, entry k - 1 = its ordinal k.
    struct BrokerFunctionTable
    {
        PFN_ReadDictionaryConfig pfnReadDictionaryConfig;
        PFN_GetDictionaryCount pfnGetDictionaryCount;
        PFN_GetDictionaryName pfnGetDictionaryName;
        PFN_LoadDictionaryEngine pfnLoadDictionaryEngine;
        PFN_UnloadEngine pfnUnloadEngine;
    };

    // Characters the engine is given at a time.
    static const int kPieceLength = 1024;
    // Buffer size for dictionary names and suggestions.
    static const int kNameBufferSize = 128;

    CLexomoLib();
    virtual ~CLexomoLib();

    // Loads the broker (freeing one loaded before); a broker that lacks one
    // of its five exports counts as missing.
    void Load();
    void Unload();
    BOOL IsLoaded() const { return m_hBroker != nullptr; }

    // The "Dictionaries" folder beside the program, with a trailing backslash.
    static CString GetDictionaryFolder();

    // Hands every "<folder>\<subfolder>\Lexomo.dat" to the broker.
    void RegisterDictionaries(LPCSTR lpszFolder);
    int GetDictionaryCount();
    void GetDictionaryName(int nIndex, CString& strName);
    // Starts the engine with the dictionary of that name (any case). FALSE
    // when no dictionary has the name or the engine did not start.
    BOOL SelectDictionary(LPCSTR lpszLanguage);
    // TRUE once SelectDictionary started the engine.
    BOOL IsEngineReady() const;

    // Checks the control's text from the start, asking the Spelling dialog
    // about each misspelt word. TRUE when the check ran to the end, FALSE
    // when the user cancelled (or nothing could be checked).
    BOOL CheckSpelling(CRichEditCtrl& ctrl);

    int GetSuggestionCount();
    void GetSuggestion(int nIndex, CString& strSuggestion);
    // Adds the word to the engine's user word list. FALSE when it could not
    // be kept (it is still known for this run when the engine took it).
    BOOL AddWord(LPCSTR lpszWord);

    // The engine's ignore callback; the context is the check's Ignore-All list.
    static int __stdcall IsIgnoredWord(const char* word, void* context);

    // --- Text pieces -----------------------------------------------------------------
    // A stretch of the control's text as the engine sees it: 8-bit text in the
    // system code page, with the byte offset where each character starts.
    // Characters the code page cannot hold and embedded objects stand as
    // non-word bytes, so offsets never shift.
    class CPiece
    {
    public:
        void Assign(const std::wstring& text);
        const std::wstring& Text() const { return m_text; }
        const std::string& Bytes() const { return m_bytes; }
        int Length() const { return (int)m_text.size(); }
        // Character at or before the byte offset; Length() for the end.
        int CharFromByte(int nByte) const;
        int ByteFromChar(int nChar) const;
        // Replaces nCount characters at nChar.
        void Replace(int nChar, int nCount, const std::wstring& replacement);
        // Drops the characters from nChar on.
        void Truncate(int nChar) { Assign(m_text.substr(0, (size_t)nChar)); }
        // The bytes of character nChar.
        std::string CharBytes(int nChar) const;

    private:
        std::wstring m_text;
        std::string m_bytes;
        std::vector<int> m_offsets;   // one per character, then the byte length
    };

    // Whether a character ends inside a word (its last byte is a word character).
    BOOL EndsInWord(const CPiece& piece, int nChar);

protected:
    // Shows the dialog for the word at nStart (nLength characters); the
    // dialog's result code.
    int AskAboutWord(CRichEditCtrl& ctrl, CSpellCheckDlg& dlg, long nStart, long nLength, const CString& strWord);
    // The word's rectangle on the screen, as the dialog is placed beside it.
    static RECT GetWordRect(CRichEditCtrl& ctrl, long nStart, long nLength);

    EngineFunctionTable m_engine;
    BrokerFunctionTable m_broker;
    HMODULE m_hBroker;
    BOOL m_bEngineReady;
};
