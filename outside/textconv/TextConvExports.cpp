// textconv.dll: a text converter for Markdown files, driven through the
// text converter interface (TextConvApi.h) by the program's note import and
// export. Whole files are converted in memory.
#include "outside/textconv/TextConvApi.h"

#include "outside/textconv/CMarkdownToRtf.h"
#include "outside/textconv/CRtfToMarkdown.h"

#include <cstring>
#include <new>
#include <string>

namespace {

const char s_szClassName[] = "Markdown";

// Reads a whole file; a TEXTCONV_ result.
long ReadWholeFile(const char* pszPath, std::string& strData)
{
    HANDLE hFile = CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return TEXTCONV_E_OPEN_INPUT;
    long nResult = TEXTCONV_OK;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(hFile, &size) || size.QuadPart > 0x7FFFFFFF)
    {
        nResult = TEXTCONV_E_READ;
    }
    else
    {
        try
        {
            strData.resize((size_t)size.QuadPart);
            DWORD dwDone = 0;
            while (dwDone < strData.size())
            {
                DWORD dwRead = 0;
                if (!ReadFile(hFile, &strData[dwDone], (DWORD)strData.size() - dwDone, &dwRead, nullptr) ||
                    dwRead == 0)
                {
                    nResult = TEXTCONV_E_READ;
                    break;
                }
                dwDone += dwRead;
            }
        }
        catch (const std::bad_alloc&)
        {
            nResult = TEXTCONV_E_MEMORY;
        }
    }
    CloseHandle(hFile);
    return nResult;
}

long WriteWholeFile(const char* pszPath, const std::string& strData)
{
    HANDLE hFile = CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return TEXTCONV_E_OPEN_OUTPUT;
    long nResult = TEXTCONV_OK;
    size_t nDone = 0;
    while (nDone < strData.size())
    {
        DWORD dwWritten = 0;
        const DWORD dwChunk = (DWORD)(strData.size() - nDone > 65536 ? 65536 : strData.size() - nDone);
        if (!WriteFile(hFile, strData.data() + nDone, dwChunk, &dwWritten, nullptr) || dwWritten != dwChunk)
        {
            nResult = TEXTCONV_E_WRITE;
            break;
        }
        nDone += dwWritten;
    }
    if (!CloseHandle(hFile) && nResult == TEXTCONV_OK)
        nResult = TEXTCONV_E_WRITE;
    if (nResult != TEXTCONV_OK)
        DeleteFileA(pszPath);
    return nResult;
}

// Markdown is text: no NUL bytes, and not RTF.
bool LooksLikeMarkdown(const std::string& strData)
{
    if (strData.compare(0, 5, "{\\rtf") == 0)
        return false;
    return memchr(strData.data(), 0, strData.size()) == nullptr;
}

} // namespace

extern "C" {

long WINAPI InitConverter32(HANDLE /*hWnd*/, char* /*szModule*/)
{
    return 1;
}

void WINAPI UninitConverter(void)
{
}

long WINAPI IsFormatCorrect32(HANDLE ghszFile, HANDLE ghszClass)
{
    try
    {
        if (ghszFile == nullptr)
            return TEXTCONV_E_ARGUMENT;
        std::string strData;
        const long nRead = ReadWholeFile((const char*)ghszFile, strData);
        if (nRead != TEXTCONV_OK)
            return nRead;
        if (!LooksLikeMarkdown(strData))
            return 0;
        if (ghszClass != nullptr)
            memcpy(ghszClass, s_szClassName, sizeof(s_szClassName));
        return 1;
    }
    catch (...)
    {
        return TEXTCONV_E_MEMORY;
    }
}

long WINAPI ForeignToRtf32(HANDLE ghszFile, void* /*pstgForeign*/, HANDLE ghBuff, HANDLE /*ghszClass*/,
                           HANDLE /*ghszSubset*/, PFN_TEXTCONV_RTFOUT lpfnOut)
{
    try
    {
        if (ghszFile == nullptr || ghBuff == nullptr || lpfnOut == nullptr)
            return TEXTCONV_E_ARGUMENT;
        std::string strData;
        const long nRead = ReadWholeFile((const char*)ghszFile, strData);
        if (nRead != TEXTCONV_OK)
            return nRead;
        if (!LooksLikeMarkdown(strData))
            return TEXTCONV_E_FORMAT;

        CMarkdownToRtf converter(GetACP());
        const std::string strRtf = converter.Convert(strData);

        // Hand the RTF over in pieces no larger than the buffer.
        size_t nDone = 0;
        while (nDone < strRtf.size())
        {
            const size_t nPiece =
                strRtf.size() - nDone > TEXTCONV_BUFFER_SIZE ? TEXTCONV_BUFFER_SIZE : strRtf.size() - nDone;
            memcpy(ghBuff, strRtf.data() + nDone, nPiece);
            nDone += nPiece;
            const long nPercent = (long)((unsigned long long)nDone * 100 / strRtf.size());
            const long nTaken = lpfnOut((long)nPiece, nPercent);
            if (nTaken < 0)
                return nTaken;
            if (nTaken != (long)nPiece)
                return TEXTCONV_E_WRITE;
        }
        return TEXTCONV_OK;
    }
    catch (const std::bad_alloc&)
    {
        return TEXTCONV_E_MEMORY;
    }
    catch (...)
    {
        return TEXTCONV_E_WRITE;
    }
}

long WINAPI RtfToForeign32(HANDLE ghszFile, void* /*pstgForeign*/, HANDLE ghBuff, HANDLE /*ghszClass*/,
                           PFN_TEXTCONV_RTFIN lpfnIn)
{
    try
    {
        if (ghszFile == nullptr || ghBuff == nullptr || lpfnIn == nullptr)
            return TEXTCONV_E_ARGUMENT;
        std::string strRtf;
        for (;;)
        {
            const long nGot = lpfnIn(TEXTCONV_BUFFER_SIZE, 0);
            if (nGot < 0)
                return nGot;
            if (nGot == 0)
                break;
            if (nGot > TEXTCONV_BUFFER_SIZE)
                return TEXTCONV_E_READ;
            strRtf.append((const char*)ghBuff, (size_t)nGot);
        }

        CRtfToMarkdown converter(GetACP());
        std::string strMarkdown;
        if (!converter.Convert(strRtf, strMarkdown))
            return TEXTCONV_E_FORMAT;
        return WriteWholeFile((const char*)ghszFile, strMarkdown);
    }
    catch (const std::bad_alloc&)
    {
        return TEXTCONV_E_MEMORY;
    }
    catch (...)
    {
        return TEXTCONV_E_READ;
    }
}

} // extern "C"
