#include "TextConvTestSupport.h"

#include <gtest/gtest.h>

const char CConverterRegistration::kBase[] = "Software\\Microsoft\\Shared Tools\\Text Converters";

CString BesideProgram(LPCSTR lpszName)
{
    char szPath[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    CString strPath(std::string(szPath, n).c_str());
    return strPath.Left(strPath.ReverseFind('\\') + 1) + lpszName;
}

void EnsureRichEdit()
{
    static HMODULE s_hRichEdit = LoadLibraryA("riched20.dll");
    ASSERT_NE(nullptr, s_hRichEdit);
}

CConverterRegistration::~CConverterRegistration()
{
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, it->c_str(), KEY_WOW64_64KEY, 0);
}

void CConverterRegistration::Add(BOOL bImport, LPCSTR lpszKey, LPCSTR lpszName, LPCSTR lpszExtensions,
                                 LPCSTR lpszPath)
{
    // Create the path one level at a time, remembering what was new.
    std::string strPath;
    const std::string strFull = std::string(kBase) + (bImport ? "\\Import\\" : "\\Export\\") + lpszKey;
    HKEY hKey = nullptr;
    size_t nPos = 0;
    while (nPos != std::string::npos)
    {
        nPos = strFull.find('\\', nPos + 1);
        strPath = strFull.substr(0, nPos);
        if (hKey)
            RegCloseKey(hKey);
        DWORD dwDisposition = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &hKey, &dwDisposition));
        // The converter's own key goes in any case (a crashed run may have left it).
        if (dwDisposition == REG_CREATED_NEW_KEY || nPos == std::string::npos)
            m_created.push_back(strPath);
    }
    const struct
    {
        LPCSTR lpszName;
        LPCSTR lpszData;
    } values[] = { { "Name", lpszName }, { "Extensions", lpszExtensions }, { "Path", lpszPath } };
    for (const auto& value : values)
    {
        if (value.lpszData)
            RegSetValueExA(hKey, value.lpszName, 0, REG_SZ, (const BYTE*)value.lpszData,
                           (DWORD)strlen(value.lpszData) + 1);
    }
    RegCloseKey(hKey);
}

bool CConverterRegistration::HasOtherConverters(BOOL bImport)
{
    HKEY hKey = nullptr;
    const std::string strPath = std::string(kBase) + (bImport ? "\\Import" : "\\Export");
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &hKey) != ERROR_SUCCESS)
        return false;
    DWORD dwSubKeys = 0;
    RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &dwSubKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(hKey);
    return dwSubKeys > 0;
}

CScratchKey::CScratchKey() : m_hKey(nullptr)
{
    static LONG s_nCounter = 0;
    m_strPath.Format("Software\\QuillcrestTests\\TextConv-%lu-%ld", GetCurrentProcessId(),
                     InterlockedIncrement(&s_nCounter));
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, m_strPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &m_hKey, nullptr));
}

CScratchKey::~CScratchKey()
{
    if (m_hKey)
        RegCloseKey(m_hKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillcrestTests"); // only when empty
}

void CScratchKey::SetRaw(LPCSTR lpszSubKey, LPCSTR lpszValue, DWORD dwType, const void* pData, DWORD cbData)
{
    HKEY hSub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(m_hKey, lpszSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hSub, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(hSub, lpszValue, 0, dwType, (const BYTE*)pData, cbData));
    RegCloseKey(hSub);
}

void CScratchKey::SetString(LPCSTR lpszSubKey, LPCSTR lpszValue, LPCSTR lpszData)
{
    SetRaw(lpszSubKey, lpszValue, REG_SZ, lpszData, (DWORD)strlen(lpszData) + 1);
}

void CScratchKey::AddEmptySubKey(LPCSTR lpszSubKey)
{
    HKEY hSub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(m_hKey, lpszSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hSub, nullptr));
    RegCloseKey(hSub);
}

CConvTestServices::CConvTestServices() : m_pPrevious(QlcSetApp(this))
{
}

CConvTestServices::~CConvTestServices()
{
    QlcSetApp(m_pPrevious);
}

void CConvTestServices::GetImportFont(CString& strFace, int& nSize) const
{
    if (strFontFace.empty())
    {
        CQlcAppServices::GetImportFont(strFace, nSize);
        return;
    }
    strFace = strFontFace.c_str();
    nSize = nFontSize;
}

std::string ReadText(LPCSTR lpszPath)
{
    std::string strText;
    HANDLE h = CreateFileA(lpszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return strText;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof(buffer), &n, nullptr) && n > 0)
        strText.append(buffer, n);
    CloseHandle(h);
    return strText;
}

void WriteText(LPCSTR lpszPath, const std::string& strText)
{
    HANDLE h = CreateFileA(lpszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD n = 0;
    const BOOL bWritten = strText.empty() || WriteFile(h, strText.data(), (DWORD)strText.size(), &n, nullptr);
    CloseHandle(h);
    ASSERT_TRUE(bWritten);
}
