// One text converter of the converter list: a built-in one (RTF copy, plain
// text through RichEdit) or a converter DLL registered on the machine. Kept by
// value in the list's arrays.
#pragma once

#include "framework/base/CFile.h"
#include "framework/base/CStringList.h"

class CTextConverter
{
public:
    enum
    {
        kindRtf = 0,       // RTF itself: a plain file copy
        kindOffice = 1,    // a converter DLL
        kindPlainText = 2, // plain text through a hidden RichEdit window
    };
    enum { kBufferSize = 16384 }; // the transfer buffer of a DLL call

    CTextConverter();
    CTextConverter(const CTextConverter& src);
    CTextConverter& operator=(const CTextConverter& src);

    // The lower-case extension (without dot) is one this converter lists.
    BOOL HasExtension(LPCSTR lpszExtension) const;

    // The converter the callbacks work on while one DLL call runs (one
    // conversion at a time); null otherwise.
    static CTextConverter* GetActive() { return s_pActive; }
    static void SetActive(CTextConverter* pConverter) { s_pActive = pConverter; }

    // Handed to ForeignToRtf32: writes the buffer's first cbBuffer bytes to
    // the open file. A count larger than the buffer or a failed write stops
    // the conversion (negative result) and marks the transfer failed.
    static long WINAPI WriteCallback(long cbBuffer, long nPercent);
    // Handed to RtfToForeign32: fills the buffer with the next piece of the
    // open file; 0 at the end, negative (transfer failed) on a read error.
    static long WINAPI ReadCallback(long cbWanted, long nPercent);

    CStringList m_extensionList;   // lower case, filled with the filter
    int m_nBytesTransferred;       // during a DLL call
    int m_nTotalBytes;             // during a DLL call
    CFile* m_pFile;                // during a DLL call: the file transferred
    BYTE* m_lpBuffer;              // during a DLL call: the 16 KB buffer
    BOOL m_bTransferFailed;        // set by the callbacks when they refuse
    CString m_strExtensions;       // registry "Extensions": single spaces, no dots
    CString m_strName;             // registry "Name"
    CString m_strPath;             // registry "Path": the DLL
    CString m_strKeyName;          // the converter's registry sub-key
    int m_nKind;
    CString m_strDisplayPattern;   // *.a, *.b
    CString m_strFilterPattern;    // *.a;*.b

private:
    static CTextConverter* s_pActive;
};
