// Buffered little-endian reader over an open file handle, from offset 0 or
// where it is sought to. Every read is exact: running past the end of the
// file throws CFileException(endOfFile), so damaged files end as file
// errors instead of garbage. It reads at explicit offsets and never moves
// the handle's file pointer, so threads sharing a handle cannot disturb
// each other's reads.
#pragma once

#include "framework/base/CFileException.h"
#include "framework/base/CString.h"

#include <vector>

class CQlcFileReader
{
public:
    CQlcFileReader(HANDLE hFile, LPCSTR lpszFileName);

    ULONGLONG GetLength() const { return m_ullLength; }
    ULONGLONG GetPosition() const { return m_ullPos; }
    ULONGLONG GetRemaining() const { return m_ullPos < m_ullLength ? m_ullLength - m_ullPos : 0; }
    void Seek(ULONGLONG ullPos);
    void Skip(ULONGLONG ullCount) { Seek(m_ullPos + ullCount); }

    void Read(void* lpBuf, UINT nCount);
    BYTE ReadByte();
    WORD ReadU16();
    DWORD ReadU32();
    LONG ReadI32() { return (LONG)ReadU32(); }
    // A NUL-terminated 8-bit string; its NUL must lie before the end of the file.
    CString ReadString();

    // Throws CFileException(invalidFile) unless at least ullCount bytes remain.
    void Require(ULONGLONG ullCount) const;
    [[noreturn]] void ThrowInvalid() const;

    // Reads up to dwCount bytes at an absolute offset without the file
    // pointer; fewer only at the end of the file. Throws on a read error.
    static DWORD ReadAt(HANDLE hFile, ULONGLONG ullOffset, void* lpBuf, DWORD dwCount, LPCSTR lpszFileName);
    // One read or write of up to dwCount bytes at an absolute offset, for
    // ReadAt and the writer's WriteAt: 0 or the system's error code, with
    // dwDone the bytes moved (ERROR_HANDLE_EOF at the end of the file).
    static DWORD TransferAt(HANDLE hFile, ULONGLONG ullOffset, void* lpBuf, DWORD dwCount, BOOL bWrite,
                            DWORD& dwDone);

private:
    void Fill();

    HANDLE m_hFile;
    CString m_strFileName;
    ULONGLONG m_ullLength;
    ULONGLONG m_ullPos;          // logical position
    ULONGLONG m_ullBufStart;     // file offset of m_buf[0]
    size_t m_nBufLen;
    std::vector<BYTE> m_buf;
};
