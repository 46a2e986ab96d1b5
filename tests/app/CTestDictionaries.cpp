#include "CTestDictionaries.h"

#include "app/CLexomoLib.h"

#include <string>

CTestDictionaries::CTestDictionaries(const CString& strRoot) : m_strRoot(strRoot + "\\Dictionaries\\")
{
    ::CreateDirectoryA(m_strRoot, nullptr);
}

CTestDictionaries::~CTestDictionaries()
{
    for (const CString& strFolder : m_folders)
    {
        WIN32_FIND_DATAA fd = {};
        HANDLE h = ::FindFirstFileA(strFolder + "\\*", &fd);
        if (h != INVALID_HANDLE_VALUE)
        {
            do
            {
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                const CString strFile = strFolder + "\\" + fd.cFileName;
                ::SetFileAttributesA(strFile, FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(strFile);
            } while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryA(strFolder);
    }
    ::RemoveDirectoryA(m_strRoot);
}

void CTestDictionaries::Add(LPCSTR lpszFolder, LPCSTR lpszName, BOOL bEnglishWords)
{
    const CString strFolder = m_strRoot + lpszFolder;
    ::CreateDirectoryA(strFolder, nullptr);
    m_folders.push_back(strFolder);
    std::string config = std::string("@LEXOMO\r\n@DICTIONARY\r\nN=") + lpszName + "\r\nD=English.dic\r\n";
    if (bEnglishWords)
    {
        const CString strSource = CLexomoLib::GetDictionaryFolder() + "English\\";
        for (LPCSTR lpszFile : { "English.dic", "English.set" })
            ::CopyFileA(strSource + lpszFile, strFolder + "\\" + lpszFile, FALSE);
        config += "L=English.set\r\n";
    }
    config += "@END\r\n";
    HANDLE h = ::CreateFileA(strFolder + "\\Lexomo.dat", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD dw = 0;
    ::WriteFile(h, config.data(), (DWORD)config.size(), &dw, nullptr);
    ::CloseHandle(h);
}
