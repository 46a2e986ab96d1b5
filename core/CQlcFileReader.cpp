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
    LARGE_INTEGER zero = {};
    LARGE_INTEGER cur;
    if (!SetFilePointerEx(hFile, zero, &cur, FILE_CURRENT))
        CFileException::ThrowOsError((LONG)GetLastError(), lpszFileName);
    m_ullPos = m_ullBufStart = (ULONGLONG)cur.QuadPart;
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
    LARGE_INTEGER li;
    li.QuadPart = (LONGLONG)m_ullPos;
    if (!SetFilePointerEx(m_hFile, li, nullptr, FILE_BEGIN))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    DWORD dwRead = 0;
    if (!ReadFile(m_hFile, m_buf.data(), (DWORD)m_buf.size(), &dwRead, nullptr))
        CFileException::ThrowOsError((LONG)GetLastError(), m_strFileName);
    m_ullBufStart = m_ullPos;
    m_nBufLen = dwRead;
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
