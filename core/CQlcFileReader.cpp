#include "core/CQlcFileReader.h"

#include <winternl.h>

#include <cstring>

namespace {
const size_t kBufferSize = 64 * 1024;

typedef LONG(NTAPI* PFN_NT_TRANSFER)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                    PLARGE_INTEGER, PULONG);
typedef ULONG(NTAPI* PFN_STATUS_TO_ERROR)(LONG);

struct CNtFileCalls
{
    PFN_NT_TRANSFER pfnRead = nullptr;
    PFN_NT_TRANSFER pfnWrite = nullptr;
    PFN_STATUS_TO_ERROR pfnToError = nullptr;

    CNtFileCalls()
    {
        HMODULE hNtdll = ::GetModuleHandleA("ntdll.dll");
        if (hNtdll == nullptr)
            return;
        pfnRead = reinterpret_cast<PFN_NT_TRANSFER>(::GetProcAddress(hNtdll, "NtReadFile"));
        pfnWrite = reinterpret_cast<PFN_NT_TRANSFER>(::GetProcAddress(hNtdll, "NtWriteFile"));
        pfnToError = reinterpret_cast<PFN_STATUS_TO_ERROR>(::GetProcAddress(hNtdll, "RtlNtStatusToDosError"));
    }
};

const CNtFileCalls& NtFileCalls()
{
    static const CNtFileCalls calls;
    return calls;
}

const LONG kStatusEndOfFile = (LONG)0xC0000011;
} // namespace

CQlcFileReader::CQlcFileReader(HANDLE hFile, LPCSTR lpszFileName)
    : m_hFile(hFile), m_strFileName(lpszFileName), m_ullLength(0), m_ullPos(0), m_ullBufStart(0),
      m_nBufLen(0), m_buf(kBufferSize)
{
    LARGE_INTEGER li;
    if (!GetFileSizeEx(hFile, &li))
        CFileException::ThrowOsError((LONG)GetLastError(), lpszFileName);
    m_ullLength = (ULONGLONG)li.QuadPart;
}

DWORD CQlcFileReader::TransferAt(HANDLE hFile, ULONGLONG ullOffset, void* lpBuf, DWORD dwCount, BOOL bWrite,
                                 DWORD& dwDone)
{
    dwDone = 0;
    // Straight to the native call with no completion value: ReadFile and
    // WriteFile given an offset also post a completion, which under wine is a
    // round trip to its server for every piece.
    const CNtFileCalls& nt = NtFileCalls();
    const PFN_NT_TRANSFER pfn = bWrite ? nt.pfnWrite : nt.pfnRead;
    if (pfn != nullptr && nt.pfnToError != nullptr)
    {
        IO_STATUS_BLOCK iosb = {};
        LARGE_INTEGER offset;
        offset.QuadPart = (LONGLONG)ullOffset;
        LONG nStatus = pfn(hFile, nullptr, nullptr, nullptr, &iosb, lpBuf, dwCount, &offset, nullptr);
        if (nStatus == (LONG)STATUS_PENDING)
        {
            ::WaitForSingleObject(hFile, INFINITE);
            nStatus = iosb.Status;
        }
        if (nStatus == kStatusEndOfFile)
            return ERROR_HANDLE_EOF;
        if (nStatus < 0)
            return nt.pfnToError(nStatus);
        dwDone = (DWORD)iosb.Information;
        return 0;
    }
    OVERLAPPED ov = {};
    ov.Offset = (DWORD)ullOffset;
    ov.OffsetHigh = (DWORD)(ullOffset >> 32);
    const BOOL bDone = bWrite ? ::WriteFile(hFile, lpBuf, dwCount, &dwDone, &ov)
                              : ::ReadFile(hFile, lpBuf, dwCount, &dwDone, &ov);
    return bDone ? 0 : ::GetLastError();
}

DWORD CQlcFileReader::ReadAt(HANDLE hFile, ULONGLONG ullOffset, void* lpBuf, DWORD dwCount, LPCSTR lpszFileName)
{
    BYTE* pDst = static_cast<BYTE*>(lpBuf);
    DWORD dwTotal = 0;
    while (dwTotal < dwCount)
    {
        DWORD dwRead = 0;
        const DWORD dwError = TransferAt(hFile, ullOffset + dwTotal, pDst + dwTotal, dwCount - dwTotal, FALSE, dwRead);
        if (dwError == ERROR_HANDLE_EOF)
            break;
        if (dwError != 0)
            CFileException::ThrowOsError((LONG)dwError, lpszFileName);
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
