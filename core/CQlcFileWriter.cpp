#include "core/CQlcFileWriter.h"

#include "core/CQlcFileReader.h"

#include <algorithm>
#include <cstring>

CQlcFileWriter::CQlcFileWriter(HANDLE hFile, LPCSTR lpszFileName, size_t nBufferSize)
    : m_hFile(hFile), m_strFileName(lpszFileName), m_buf(nBufferSize), m_nBufLen(0), m_ullBufStart(0),
      m_ullPos(0), m_ullEnd(0)
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(hFile, &li))
        CFileException::ThrowOsError((LONG)GetLastError(), lpszFileName);
    m_ullEnd = (ULONGLONG)li.QuadPart;
}

void CQlcFileWriter::WriteAt(HANDLE hFile, ULONGLONG ullOffset, const void* lpBuf, DWORD dwCount,
                             LPCSTR lpszFileName)
{
    const BYTE* pSrc = static_cast<const BYTE*>(lpBuf);
    DWORD dwTotal = 0;
    while (dwTotal < dwCount)
    {
        DWORD dwWritten = 0;
        const DWORD dwError = CQlcFileReader::TransferAt(hFile, ullOffset + dwTotal, const_cast<BYTE*>(pSrc + dwTotal),
                                                         dwCount - dwTotal, TRUE, dwWritten);
        if (dwError != 0)
            CFileException::ThrowOsError((LONG)dwError, lpszFileName);
        if (dwWritten == 0)
            throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, lpszFileName);
        dwTotal += dwWritten;
    }
}

CQlcFileWriter::~CQlcFileWriter()
{
    // Unflushed bytes are dropped: a writer that did not finish failed.
}

void CQlcFileWriter::Flush()
{
    if (m_nBufLen == 0)
        return;
    WriteAt(m_hFile, m_ullBufStart, m_buf.data(), (DWORD)m_nBufLen, m_strFileName);
    m_nBufLen = 0;
    m_ullBufStart = m_ullPos;
}

void CQlcFileWriter::Seek(DWORD dwPos)
{
    Flush();
    m_ullPos = m_ullBufStart = dwPos;
}

void CQlcFileWriter::Write(const void* lpBuf, UINT nCount)
{
    if (m_ullPos + nCount > 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE, m_strFileName);

    const BYTE* pSrc = static_cast<const BYTE*>(lpBuf);
    while (nCount > 0)
    {
        if (m_nBufLen == m_buf.size())
            Flush();
        const size_t n = std::min<size_t>(nCount, m_buf.size() - m_nBufLen);
        std::memcpy(m_buf.data() + m_nBufLen, pSrc, n);
        m_nBufLen += n;
        pSrc += n;
        nCount -= (UINT)n;
        m_ullPos += n;
        if (m_ullPos > m_ullEnd)
            m_ullEnd = m_ullPos;
    }
}

void CQlcFileWriter::WriteU16(WORD w)
{
    const BYTE b[2] = { (BYTE)w, (BYTE)(w >> 8) };
    Write(b, 2);
}

void CQlcFileWriter::WriteU32(DWORD dw)
{
    const BYTE b[4] = { (BYTE)dw, (BYTE)(dw >> 8), (BYTE)(dw >> 16), (BYTE)(dw >> 24) };
    Write(b, 4);
}

void CQlcFileWriter::WriteString(LPCSTR lpsz)
{
    Write(lpsz ? lpsz : "", (UINT)std::strlen(lpsz ? lpsz : "") + 1);
}

void CQlcFileWriter::CopyFrom(HANDLE hSource, LPCSTR lpszSourceName, ULONGLONG ullOffset, DWORD dwCount)
{
    if (m_ullPos + dwCount > 0xFFFFFFFFull)
        throw CFileException(CFileException::genericException, ERROR_FILE_TOO_LARGE, m_strFileName);
    while (dwCount > 0)
    {
        if (m_nBufLen == m_buf.size())
            Flush();
        const DWORD n = (DWORD)std::min<size_t>(dwCount, m_buf.size() - m_nBufLen);
        const DWORD dwRead = CQlcFileReader::ReadAt(hSource, ullOffset, m_buf.data() + m_nBufLen, n, lpszSourceName);
        ullOffset += dwRead;
        if (dwRead != n)
            throw CFileException(CFileException::endOfFile, ERROR_HANDLE_EOF, lpszSourceName);
        m_nBufLen += n;
        m_ullPos += n;
        if (m_ullPos > m_ullEnd)
            m_ullEnd = m_ullPos;
        dwCount -= n;
    }
}
