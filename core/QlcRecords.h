// Records of an open notebook as the document keeps them in its tables, and
// the fixed parts of the notebook file.
#pragma once

#include "framework/base/CString.h"

#include <vector>

// Node type codes (one byte in the file). Codes 2 and 5 are not used.
enum : BYTE
{
    QLC_NODE_FOLDER = 0,
    QLC_NODE_NOTE = 1,
    QLC_NODE_IMAGE = 3,
    QLC_NODE_HTML = 4,
    QLC_NODE_FOREIGN = 6
};

// Node flags: how the payload is stored. Encryption only ever comes with
// compression in what this program writes.
enum : DWORD
{
    QLC_NODEFLAG_COMPRESSED = 1,
    QLC_NODEFLAG_ENCRYPTED = 2
};

// Task flags.
enum : DWORD
{
    QLC_TASKFLAG_LINKED = 2   // the task is linked to a node
};

// Header file flags.
enum : DWORD
{
    QLC_FILEFLAG_TASKBAR = 2  // the Tasks bar was visible when last saved
};

// One node. The record is stored in the file without the last three fields.
struct QLCNODE
{
    DWORD dwDataOffset;       // payload offset in the file (the data location is authoritative in memory)
    BYTE nType;
    BYTE bSpare;              // kept as read
    WORD wIcon;               // tree image index
    DWORD dwNodeId;
    DWORD dwParentId;         // 0 = top level
    DWORD dwFlags;
    DWORD dwStoredSize;       // bytes where it is stored
    DWORD dwPlainSize;        // bytes after deciphering and decompression
    DWORD dwKeyLength;
    DWORD dwHashId;
    DWORD dwCipherId;
    DWORD dwVerifierLength;
    DWORD dwReserved[7];      // kept as read; 0 before version 6
    CString strName;
    BOOL bPasswordKnown;      // never stored
    CString strPassword;      // never stored

    QLCNODE()
        : dwDataOffset(0), nType(0), bSpare(0), wIcon(0), dwNodeId(0), dwParentId(0), dwFlags(0),
          dwStoredSize(0), dwPlainSize(0), dwKeyLength(0), dwHashId(0), dwCipherId(0),
          dwVerifierLength(0), dwReserved(), bPasswordKnown(FALSE)
    {
    }
};

// Bytes of a node record in the file before its name (version 6; 44 before).
const DWORD QLC_NODE_RECORD_SIZE = 72;
const DWORD QLC_NODE_RECORD_SIZE_V5 = 44;

struct QLCBOOKMARK
{
    DWORD dwBookmarkId;
    DWORD dwNodeId;
    DWORD dwKept1;            // kept as read
    DWORD dwKept2;            // kept as read
    CString strName;

    QLCBOOKMARK() : dwBookmarkId(0), dwNodeId(0), dwKept1(0), dwKept2(0) {}
};

// The keyword ids of one node. A value type: copies own their own ids.
struct QLCNODE_KEYWORDS
{
    DWORD dwNodeId;
    std::vector<DWORD> keywordIds;

    QLCNODE_KEYWORDS() : dwNodeId(0) {}
    DWORD GetCount() const { return (DWORD)keywordIds.size(); }
    BOOL Contains(DWORD dwKeywordId) const;
};

struct QLCTASK
{
    DWORD dwTaskId;
    CString strTitle;
    DWORD dwFlags;
    LONG lCreated;            // seconds since 1970
    LONG lStart;
    LONG lDue;
    BYTE nPriority;           // 1 Idle .. 5 Urgent
    BYTE bKept1;              // the next four fields belong to the task dialogs
    BYTE bKept2;
    LONG lKept3;
    DWORD dwLinkedNodeId;     // meaningful with QLC_TASKFLAG_LINKED
    LONG lKept4;
    LONG lKept5;
    CString strNotes;

    QLCTASK()
        : dwTaskId(0), dwFlags(0), lCreated(0), lStart(0), lDue(0), nPriority(0), bKept1(0), bKept2(0),
          lKept3(0), dwLinkedNodeId(0), lKept4(0), lKept5(0)
    {
    }
};

// Where a node's payload lies.
struct QLCDATALOC
{
    DWORD bHasData;
    DWORD bInWorkFile;        // else in the current source file
    DWORD bTakenOver;         // 1 when a copy within the notebook took the location over
    DWORD dwOffset;
};

// One open payload stream.
struct QLCSTREAM
{
    DWORD dwStart;            // payload start in its file
    DWORD dwPosition;         // bytes read or written so far
    DWORD dwStoredSize;
    DWORD dwPlainSize;
    DWORD dwZero1;
    HANDLE hFile;             // the work file or the source file
    DWORD dwZero2;
    DWORD bWrite;
    DWORD bCompressed;
    DWORD dwEncrypted;        // QLC_NODEFLAG_ENCRYPTED or 0
    DWORD dwHashId;
    DWORD dwCipherId;
    DWORD dwZero3;
    DWORD dwNodeId;
};

// The 76-byte file header.
struct QLCFILEHEADER
{
    DWORD dwVersion;
    SYSTEMTIME stCreated;     // UTC
    SYSTEMTIME stModified;    // UTC, set when written
    DWORD dwNodeCount;
    DWORD dwLogoOffset;
    DWORD dwLogoLength;
    DWORD dwReserved1;
    DWORD dwBookmarkOffset;
    DWORD dwFileFlags;
    DWORD dwSectionTableOffset;
    DWORD dwReserved2;
    WORD wSortOption1;
    WORD wSortOption2;
    DWORD dwKeywordOffset;
};

const DWORD QLC_FILE_HEADER_SIZE = 76;
const DWORD QLC_FILE_VERSION = 6;

// The 36-byte section table (version 6).
struct QLCSECTIONTABLE
{
    DWORD dwTaskOffset;
    DWORD dwReserved[8];
};

const DWORD QLC_SECTION_TABLE_SIZE = 36;

// Encryption parameters of a whole notebook (28 bytes in the V2 envelope).
struct QLCCRYPTHEADER
{
    DWORD dwCipherId;
    DWORD dwHashId;
    DWORD dwKeyLength;
    DWORD dwVerifierLength;
    DWORD dwCheckBlockLength;
    DWORD dwReserved[2];
};

// Magic texts at the start of a notebook file.
#define QLC_MAGIC_PLAIN "Quillcrest File"
#define QLC_MAGIC_ENCRYPTED_V1 "Encrypted Quillcrest File"
#define QLC_MAGIC_ENCRYPTED_V2 "Encrypted Quillcrest File V2"
