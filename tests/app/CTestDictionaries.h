// Dictionary folders of a test's own under <root>\Dictionaries, each with a
// configuration naming its dictionary; removed with everything in them when
// the object goes (words a test adds never reach the program's dictionary).
#pragma once

#include "framework/base/CString.h"

#include <vector>

class CTestDictionaries
{
public:
    explicit CTestDictionaries(const CString& strRoot);
    ~CTestDictionaries();
    CTestDictionaries(const CTestDictionaries&) = delete;
    CTestDictionaries& operator=(const CTestDictionaries&) = delete;

    // A folder whose configuration names the dictionary lpszName; with
    // bEnglishWords the program's English word lists are copied in, so that
    // the engine can open it.
    void Add(LPCSTR lpszFolder, LPCSTR lpszName, BOOL bEnglishWords = FALSE);
    // The Dictionaries folder, with a trailing backslash.
    const CString& Root() const { return m_strRoot; }

private:
    CString m_strRoot;
    std::vector<CString> m_folders;
};
