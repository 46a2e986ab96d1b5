#include "app/CLexomoLib.h"

#include "framework/base/AfxLibrary.h"
#include "framework/base/AfxPath.h"

#include <cstring>

namespace {

const char kBrokerName[] = "LMBroker.dll";
const char kConfigName[] = "Lexomo.dat";

// Whether the text's last character (not merely its last byte, which may be
// the trail byte of a double-byte character) is a backslash.
bool EndsWithBackslash(LPCSTR lpsz)
{
    LPCSTR pLast = nullptr;
    for (LPCSTR p = lpsz; *p != '\0'; p = ::CharNextA(p))
        pLast = p;
    return pLast != nullptr && *pLast == '\\';
}

} // namespace

CLexomoLib::CLexomoLib() : m_engine(), m_broker(), m_hBroker(nullptr), m_bEngineReady(FALSE)
{
    Load();
}

CLexomoLib::~CLexomoLib()
{
    Unload();
}

void CLexomoLib::Load()
{
    Unload();
    m_hBroker = AfxLoadLibrary(kBrokerName);
    if (m_hBroker == nullptr)
        return;
    memset(&m_broker, 0, sizeof(m_broker));
    memset(&m_engine, 0, sizeof(m_engine));
    FARPROC procs[5] = {};
    for (int nOrdinal = 1; nOrdinal <= 5; nOrdinal++)
    {
        procs[nOrdinal - 1] = ::GetProcAddress(m_hBroker, MAKEINTRESOURCEA(nOrdinal));
        if (procs[nOrdinal - 1] == nullptr)
        {
            Unload();
            return;
        }
    }
    static_assert(sizeof(procs) == sizeof(BrokerFunctionTable), "one pointer per broker ordinal");
    memcpy(&m_broker, procs, sizeof(m_broker));
}

void CLexomoLib::Unload()
{
    // The engine the broker started stays loaded in the process; only the
    // broker goes, and with it this object's right to call the engine.
    if (m_hBroker != nullptr)
        ::FreeLibrary(m_hBroker);
    m_hBroker = nullptr;
    m_bEngineReady = FALSE;
    memset(&m_broker, 0, sizeof(m_broker));
    memset(&m_engine, 0, sizeof(m_engine));
}

CString CLexomoLib::GetDictionaryFolder()
{
    return AfxGetModuleFolder() + "\\Dictionaries\\";
}

void CLexomoLib::RegisterDictionaries(LPCSTR lpszFolder)
{
    if (m_hBroker == nullptr || lpszFolder == nullptr || *lpszFolder == '\0')
        return;
    const DWORD dwAttributes = ::GetFileAttributesA(lpszFolder);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    CString strFolder(lpszFolder);
    if (!EndsWithBackslash(strFolder))
        strFolder += "\\";

    WIN32_FIND_DATAA fd = {};
    HANDLE hFind = ::FindFirstFileA(strFolder + "*.*", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || strcmp(fd.cFileName, ".") == 0 ||
            strcmp(fd.cFileName, "..") == 0)
            continue;
        const CString strConfig = strFolder + fd.cFileName + "\\" + kConfigName;
        if (::GetFileAttributesA(strConfig) != INVALID_FILE_ATTRIBUTES)
            m_broker.pfnReadDictionaryConfig(strConfig);
    } while (::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);
}

int CLexomoLib::GetDictionaryCount()
{
    if (m_hBroker == nullptr)
        return 0;
    return m_broker.pfnGetDictionaryCount();
}

void CLexomoLib::GetDictionaryName(int nIndex, CString& strName)
{
    strName.Empty();
    if (m_hBroker == nullptr)
        return;
    char szName[kNameBufferSize] = {};
    m_broker.pfnGetDictionaryName(nIndex, sizeof(szName), szName);
    szName[sizeof(szName) - 1] = '\0';
    strName = szName;
}

BOOL CLexomoLib::SelectDictionary(LPCSTR lpszLanguage)
{
    if (m_hBroker == nullptr || lpszLanguage == nullptr)
        return FALSE;
    const int nCount = GetDictionaryCount();
    for (int i = 0; i < nCount; i++)
    {
        CString strName;
        GetDictionaryName(i, strName);
        if (strName.CompareNoCase(lpszLanguage) != 0)
            continue;
        EngineFunctionTable table = {};
        if (m_broker.pfnLoadDictionaryEngine(i, &table) != 0)
            return FALSE;
        m_engine = table;
        m_bEngineReady = TRUE;
        return TRUE;
    }
    return FALSE;
}

BOOL CLexomoLib::IsEngineReady() const
{
    return m_hBroker != nullptr && m_bEngineReady && m_engine.pfnFindMisspelling != nullptr &&
           m_engine.pfnIsWordChar != nullptr && m_engine.pfnGetSuggestionCount != nullptr &&
           m_engine.pfnGetSuggestion != nullptr;
}

int CLexomoLib::GetSuggestionCount()
{
    if (!IsEngineReady())
        return 0;
    return m_engine.pfnGetSuggestionCount();
}

void CLexomoLib::GetSuggestion(int nIndex, CString& strSuggestion)
{
    strSuggestion.Empty();
    if (!IsEngineReady())
        return;
    char szSuggestion[kNameBufferSize] = {};
    if (m_engine.pfnGetSuggestion(nIndex, sizeof(szSuggestion), szSuggestion) != 0)
        return;
    szSuggestion[sizeof(szSuggestion) - 1] = '\0';
    strSuggestion = szSuggestion;
}

BOOL CLexomoLib::AddWord(LPCSTR lpszWord)
{
    if (!IsEngineReady() || m_engine.pfnAddWord == nullptr || lpszWord == nullptr || *lpszWord == '\0')
        return FALSE;
    return m_engine.pfnAddWord(lpszWord) == 0;
}

int __stdcall CLexomoLib::IsIgnoredWord(const char* word, void* context)
{
    try
    {
        const CStringList* pList = static_cast<const CStringList*>(context);
        if (pList == nullptr || pList->IsEmpty() || word == nullptr)
            return 0;
        return pList->Find(word) != nullptr ? 1 : 0;
    }
    catch (...)
    {
        return 0;
    }
}
