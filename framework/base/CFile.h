// Binary file on a Win32 handle. Failures throw CFileException; a write that
// cannot write every byte throws, and ReadExact throws on a short read.
#pragma once

#include "framework/base/CFileException.h"

class CFile : public CObject
{
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osWriteThrough = 0x10000,
        osSequentialScan = 0x20000,
        osRandomAccess = 0x40000
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    static const HANDLE hFileNull;

    CFile();
    explicit CFile(HANDLE hFile);                 // attaches; does not close on delete
    CFile(LPCSTR lpszFileName, UINT nOpenFlags);  // throws on failure
    ~CFile() override;

    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual void Close();
    virtual void Abort();                         // closes, ignoring errors

    // Reads and writes go to the system in chunks of at most kIoChunk bytes.
    static constexpr UINT kIoChunk = 4 * 1024 * 1024;
    virtual UINT Read(void* lpBuf, UINT nCount);  // bytes read; 0 at the end
    void ReadExact(void* lpBuf, UINT nCount);     // all or CFileException(endOfFile)
    virtual void Write(const void* lpBuf, UINT nCount);

    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();

    BOOL IsOpen() const { return m_hFile != hFileNull; }
    HANDLE Detach();
    operator HANDLE() const { return m_hFile; }

    CString GetFilePath() const { return m_strFileName; }
    void SetFilePath(LPCSTR lpszNewName) { m_strFileName = lpszNewName; }
    CString GetFileName() const;   // name with extension, without folder
    CString GetFileTitle() const;  // name without folder and extension

    static void AFXAPI Rename(LPCSTR lpszOldName, LPCSTR lpszNewName);
    static void AFXAPI Remove(LPCSTR lpszFileName);

    HANDLE m_hFile;

protected:
    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};
