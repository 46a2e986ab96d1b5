// Helpers of the text converter tests: converter registrations in the local
// machine's registry, scratch registry keys, application services with a
// chosen main window and import font, and the converter DLLs built beside
// the tests.
#pragma once

#include "core/CQlcAppServices.h"

#include "framework/base/CString.h"

#include <string>
#include <vector>

// A file built beside the test program.
CString BesideProgram(LPCSTR lpszName);

// Loads riched20.dll once for the hidden RichEdit windows.
void EnsureRichEdit();

// Converter sub-keys under HKEY_LOCAL_MACHINE "Software\Microsoft\Shared
// Tools\Text Converters\Import" or "...\Export" (64-bit view); every key made
// here is removed again by the destructor.
class CConverterRegistration
{
public:
    static const char kBase[];

    CConverterRegistration() {}
    ~CConverterRegistration();

    // bImport chooses "Import" or "Export"; null values are not written.
    void Add(BOOL bImport, LPCSTR lpszKey, LPCSTR lpszName, LPCSTR lpszExtensions, LPCSTR lpszPath);
    // True when the key has sub-keys that are not this object's.
    static bool HasOtherConverters(BOOL bImport);

private:
    CConverterRegistration(const CConverterRegistration&) = delete;
    CConverterRegistration& operator=(const CConverterRegistration&) = delete;

    std::vector<std::string> m_created; // deleted in reverse order
};

// A scratch key under HKEY_CURRENT_USER, deleted with everything below it.
class CScratchKey
{
public:
    CScratchKey();
    ~CScratchKey();
    HKEY Key() const { return m_hKey; }
    const CString& Path() const { return m_strPath; }
    // A sub-key (created on first use) and one value written raw: the bytes
    // given, of the type given, with no NUL added.
    void SetRaw(LPCSTR lpszSubKey, LPCSTR lpszValue, DWORD dwType, const void* pData, DWORD cbData);
    void SetString(LPCSTR lpszSubKey, LPCSTR lpszValue, LPCSTR lpszData);
    void AddEmptySubKey(LPCSTR lpszSubKey);

private:
    CScratchKey(const CScratchKey&) = delete;
    CScratchKey& operator=(const CScratchKey&) = delete;

    HKEY m_hKey;
    CString m_strPath;
};

// Installed for its lifetime: the main window and the import font given.
class CConvTestServices : public CQlcAppServices
{
public:
    CConvTestServices();
    ~CConvTestServices() override;
    HWND GetMainWindow() override { return hMainWindow; }
    void GetImportFont(CString& strFace, int& nSize) const override;

    HWND hMainWindow = nullptr;
    std::string strFontFace; // empty: the defaults
    int nFontSize = 0;

private:
    CQlcAppServices* m_pPrevious;
};

// The text of a file (bytes as they are).
std::string ReadText(LPCSTR lpszPath);
void WriteText(LPCSTR lpszPath, const std::string& strText);
