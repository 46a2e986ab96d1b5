// A temporary file of the notebook core, named Qlc*.tmp. The system removes
// it when its last handle closes, also when the program dies, so that no
// copy of a notebook (plain text of an encrypted one, or a half-written
// save) is ever left behind; only ReplaceTarget makes it last.
#pragma once

#include "framework/base/CString.h"

class CQlcTempFile
{
public:
    CQlcTempFile();
    // Closes what is still open: the system deletes it.
    ~CQlcTempFile();

    // In the temporary folder, opened delete-on-close: it can never outlive
    // its handle. dwShare is the sharing of that handle.
    BOOL CreateInTempFolder(DWORD dwShare);
    // In the folder of lpszTarget (the same volume, so that it can replace
    // the target by a rename), marked for deletion until ReplaceTarget.
    BOOL CreateBeside(LPCSTR lpszTarget);

    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    HANDLE GetHandle() const { return m_hFile; }
    const CString& GetPath() const { return m_strPath; }

    // Puts this file in place of the target by a rename (nobody may hold the
    // target open). On success the file is the target, its handle closed. On
    // failure it stays open and marked for deletion, the target untouched.
    BOOL ReplaceTarget(LPCSTR lpszTarget);
    // Overwrites the contents with zeros when asked, then closes the file,
    // which the system deletes.
    void Discard(BOOL bWipe);
    // Hands the open handle over; the file goes when that handle closes.
    HANDLE Detach();

    // Overwrites a file's contents with zeros through a handle, in whole
    // blocks of dwBlock bytes, to at least its size. FALSE when the size
    // could not be read or a block not written.
    static BOOL Wipe(HANDLE hFile, DWORD dwBlock);
    // The same by path, in blocks of the volume's sector size. Others may
    // hold the file open (a reader that shares writing does not stop it).
    static BOOL WipeFile(LPCSTR lpszPathName);
    // Bytes per sector of the volume that holds the path (the path before its
    // first backslash, or before the one after a leading double backslash);
    // 4096 when the volume cannot be asked.
    static DWORD GetSectorSize(LPCSTR lpszPathName);

    // A name this class gives: "Qlc", one to four hexadecimal digits, ".tmp".
    static BOOL IsOurName(LPCSTR lpszName);
    // Removes files of ours last written before ftBefore from a folder,
    // overwritten with zeros first. Files that someone holds open, or that
    // cannot be written, are left alone; at most nMaxFiles names are looked
    // at. Returns the number removed.
    static int SweepFolder(LPCSTR lpszFolder, const FILETIME& ftBefore, int nMaxFiles);
    // The start-up sweep: the temporary folder, files older than this process.
    static int SweepStale();

private:
    CQlcTempFile(const CQlcTempFile&) = delete;
    CQlcTempFile& operator=(const CQlcTempFile&) = delete;

    BOOL CreateIn(LPCSTR lpszFolder, DWORD dwShare, DWORD dwFlags);
    BOOL SetDeleteMark(BOOL bDelete);

    HANDLE m_hFile;
    CString m_strPath;
    BOOL m_bMarked;          // deletion set through the disposition, can be cleared
    BOOL m_bDeleteOnClose;   // opened delete-on-close, for good
};
