// Buffered little-endian writer over an open file handle, from offset 0 or
// where it is sought to, with the 32-bit offset limit of the notebook
// format: a write that would pass 4 GiB throws instead of leaving wrapped
// offsets behind. It writes (and copies from other files) at explicit
// offsets and never moves a handle's file pointer.
#pragma once

#include "framework/base/CFileException.h"
#include "framework/base/CString.h"

#include <vector>

class CQlcFileWriter
{
public:
    CQlcFileWriter(HANDLE hFile, LPCSTR lpszFileName, size_t nBufferSize = 4096);
    ~CQlcFileWriter();

    const CString& GetFileName() const { return m_strFileName; }
    DWORD GetPosition() const { return (DWORD)m_ullPos; }
    DWORD GetEnd() const { return (DWORD)m_ullEnd; }
    void Seek(DWORD dwPos);
    void SeekToEnd() { Seek((DWORD)m_ullEnd); }

    void Write(const void* lpBuf, UINT nCount);
    void WriteByte(BYTE b) { Write(&b, 1); }
    void WriteU16(WORD w);
    void WriteU32(DWORD dw);
    void WriteI32(LONG l) { WriteU32((DWORD)l); }
    void WriteString(LPCSTR lpsz);  // with its NUL
    // Copies nCount bytes from another file at an absolute offset, read
    // straight into the write buffer: the buffer's size is the block size.
    void CopyFrom(HANDLE hSource, LPCSTR lpszSourceName, ULONGLONG ullOffset, DWORD dwCount);

    void Flush();

    // Writes all bytes at an absolute offset without the file pointer.
    static void WriteAt(HANDLE hFile, ULONGLONG ullOffset, const void* lpBuf, DWORD dwCount, LPCSTR lpszFileName);

private:
    HANDLE m_hFile;
    CString m_strFileName;
    std::vector<BYTE> m_buf;
    size_t m_nBufLen;            // bytes waiting, to go at m_ullBufStart
    ULONGLONG m_ullBufStart;
    ULONGLONG m_ullPos;
    ULONGLONG m_ullEnd;
};
