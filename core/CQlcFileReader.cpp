#include "core/CQlcFileReader.h"

#include <cstring>

namespace {
const size_t kBufferSize = 64 * 1024;
}

CQlcFileReader::CQlcFileReader(HANDLE hFile, LPCSTR lpszFileName)
    : m_hFile(hFile), m_strFileName(lpszFileName), m_ullLength(0), m_ullPos(0), m_ullBufStart(0),
      m_nBufLen(0), m_buf(kBufferSize)
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(hFile, &li))
        CFileException::ThrowOsError((LONG)GetLastError(), lpszFileName);
    m_ullLength = (ULONGLONG)li.QuadPart;
}

DWORD CQlcFileReader::ReadAt(HANDLE hFile, ULONGLONG ullOffset, void* lpBuf, DWORD dwCount, LPCSTR lpszFileName)
{
    BYTE* pDst = static_cast<BYTE*>(lpBuf);
    DWORD dwTotal = 0;
    while (dwTotal < dwCount)
    {
        OVERLAPPED ov = At(ullOffset + dwTotal);
        DWORD dwRead = 0;
        if (!ReadFile(hFile, pDst + dwTotal, dwCount - dwTotal, &dwRead, &ov))
        {
            const DWORD dwError = GetLastError();
            if (dwError == ERROR_HANDLE_EOF)
                break;
            CFileException::ThrowOsError((LONG)dwError, lpszFileName);
        }
        if (dwRead == 0)
            break;
        dwTotal += dwRead;
    }
    return dwTotal;
}

void CQlcFileReader::Seek(ULONGLONG ullPos)
{
    m_ullPos = ullPos;
}

void CQlcFileReader::Require(ULONGLONG ullCount) const
{
    if (GetRemaining() < ullCount)
        ThrowInvalid();
}

void CQlcFileReader::ThrowInvalid() const
{
    throw CFileException(CFileException::invalidFile, ERROR_FILE_CORRUPT, m_strFileName);
}

void CQlcFileReader::Fill()
{
    // Empty until the read succeeds.
    m_nBufLen = 0;
    m_ullBufStart = m_ullPos;
    m_nBufLen = ReadAt(m_hFile, m_ullPos, m_buf.data(), (DWORD)m_buf.size(), m_strFileName);
}

void CQlcFileReader::Read(void* lpBuf, UINT nCount)
{
    BYTE* pDst = static_cast<BYTE*>(lpBuf);
    while (nCount > 0)
    {
        if (m_ullPos < m_ullBufStart || m_ullPos >= m_ullBufStart + m_nBufLen)
        {
            Fill();
            if (m_nBufLen == 0)
                throw CFileException(CFileException::endOfFile, ERROR_HANDLE_EOF, m_strFileName);
        }
        const size_t nOffset = (size_t)(m_ullPos - m_ullBufStart);
        const size_t n = std::min<size_t>(nCount, m_nBufLen - nOffset);
        std::memcpy(pDst, m_buf.data() + nOffset, n);
        pDst += n;
        nCount -= (UINT)n;
        m_ullPos += n;
    }
}

BYTE CQlcFileReader::ReadByte()
{
    BYTE b;
    Read(&b, 1);
    return b;
}

WORD CQlcFileReader::ReadU16()
{
    BYTE b[2];
    Read(b, 2);
    return (WORD)(b[0] | (b[1] << 8));
}

DWORD CQlcFileReader::ReadU32()
{
    BYTE b[4];
    Read(b, 4);
    return (DWORD)b[0] | ((DWORD)b[1] << 8) | ((DWORD)b[2] << 16) | ((DWORD)b[3] << 24);
}

CString CQlcFileReader::ReadString()
{
    std::string str;
    for (;;)
    {
        const char ch = (char)ReadByte(); // throws at the end of the file
        if (ch == 0)
            break;
        str += ch;
    }
    return CString(str);
}
