// One open notebook: its tables of records, id counters, open files, header,
// encryption parameters and logo. All changes to a notebook go through the
// Data_ operations of this class.
//
// Any thread may call the Data_ operations: each takes the notebook's lock
// while it touches the tables, the payload streams or the files, and file
// access goes to explicit offsets. Readers that walk a table hold the lock
// for the walk (the table getters ask for the held lock). Nothing that
// waits for the interface thread happens under the lock.
#pragma once

#include "core/CQlcDocLock.h"
#include "core/QlcRecords.h"

#include "framework/ole/CRichEditDoc.h"
#include "imaging/PLWinBmp.h"
#include "framework/base/AfxSecure.h"
#include "framework/base/CMap.h"

#include <vector>

class CQlcFileReader;
class CQlcFileWriter;
class CQlcTempFile;
class CQuillcrestDoc;
class IQlcFrameCallbacks;

// What Data_OpenStream hands out: the stream id and the document it lives in.
struct QLCSTREAMHANDLE
{
    DWORD dwStreamId;         // QLC_STREAM_NO_NODE, 0 (nothing stored to read) or a stream
    DWORD dwReserved;         // 0
    CQuillcrestDoc* pDoc;
};

const DWORD QLC_STREAM_NO_NODE = 0xFFFFFFFF;

// Characters of the error buffer of CQuillcrestDoc::Data_ExportImage.
const UINT QLC_EXPORT_ERROR_SIZE = 1024;

typedef CMap<DWORD, DWORD, QLCNODE, const QLCNODE&> CQlcNodeMap;
typedef CMap<DWORD, DWORD, QLCBOOKMARK, const QLCBOOKMARK&> CQlcBookmarkMap;
typedef CMap<DWORD, DWORD, CString, LPCSTR> CQlcKeywordMap;
typedef CMap<DWORD, DWORD, QLCNODE_KEYWORDS, const QLCNODE_KEYWORDS&> CQlcNodeKeywordsMap;
typedef CMap<DWORD, DWORD, QLCTASK, const QLCTASK&> CQlcTaskMap;
typedef CMap<DWORD, DWORD, QLCDATALOC, const QLCDATALOC&> CQlcDataLocMap;
typedef CMap<DWORD, DWORD, QLCSTREAM, const QLCSTREAM&> CQlcStreamMap;

class CQuillcrestDoc : public CRichEditDoc
{
    DECLARE_DYNCREATE(CQuillcrestDoc)
public:
    // The framework document class this one derives from: the overrides
    // hand on to it, so a change of base is made here and in the line above.
    typedef CRichEditDoc CDocBase;

    CQuillcrestDoc();
    ~CQuillcrestDoc() override;

    // --- Records and lookups ------------------------------------------------
    DWORD Data_NewNodeId();
    void Data_SetNode(DWORD dwNodeId, const QLCNODE& node);
    BOOL Data_GetNode(DWORD dwNodeId, QLCNODE& node) const;
    void Data_SetDataLoc(DWORD dwNodeId, const QLCDATALOC& loc);
    BOOL Data_GetDataLoc(DWORD dwNodeId, QLCDATALOC& loc) const;

    DWORD Data_AddBookmark();
    void Data_SetBookmark(DWORD dwBookmarkId, const QLCBOOKMARK& bookmark);
    BOOL Data_GetBookmark(DWORD dwBookmarkId, QLCBOOKMARK& bookmark) const;
    void Data_DeleteBookmark(DWORD dwBookmarkId);

    DWORD Data_AddTask();
    BOOL Data_GetTask(DWORD dwTaskId, QLCTASK& task) const;
    void Data_SetTask(DWORD dwTaskId, const QLCTASK& task);

    DWORD Data_GetKeywordId(LPCSTR lpszText);
    BOOL Data_GetKeywordText(DWORD dwKeywordId, CString& strText) const;
    BOOL Data_GetNodeKeywords(DWORD dwNodeId, QLCNODE_KEYWORDS& keywords) const;

    BOOL Data_GetStream(DWORD dwStreamId, QLCSTREAM& stream) const;
    void Data_SetStream(DWORD dwStreamId, const QLCSTREAM& stream);

    // --- Payload streams ----------------------------------------------------
    // Whether a node's payload may be opened at all: it is not enciphered, or
    // the encryption library is there and supports its cipher, hash and key
    // length. Every way to a payload passes here first, so that a damaged
    // record never reaches key derivation.
    BOOL Data_CanOpenPayload(const QLCNODE& node) const;
    // Opens a stream on a node's payload: reading where it lies, writing at
    // the end of the work file. The handle says what was opened. FALSE, and
    // no stream, for a node Data_CanOpenPayload refuses.
    BOOL Data_OpenStream(DWORD dwNodeId, BOOL bWrite, QLCSTREAMHANDLE& handle, BOOL bCompress);
    // Closes a stream; a write stream's node takes the new payload. FALSE
    // for an unknown id.
    BOOL Data_CloseStream(DWORD dwStreamId);

    // Replaces a node's keyword list; keywords no other node uses any more
    // leave the keyword table. Does not mark the document modified.
    void Data_SetNodeKeywords(DWORD dwNodeId, const QLCNODE_KEYWORDS& keywords);
    // Some task is linked to the node.
    BOOL Data_NodeHasTask(DWORD dwNodeId) const;

    // --- Document operations ------------------------------------------------
    // Adding nodes from files: each makes a top-level node named after the
    // file's title and returns its id, or 0 and no node when the file cannot
    // be read, does not decode or cannot be converted. nFormat is the import
    // table's image format, used in log lines only.
    DWORD Data_AddFromFile(LPCSTR lpszPath, int nType, int nFormat, BOOL bCompress);
    // A note: the file converted to RTF by the application's text converters.
    DWORD Data_AddDocumentFromFile(LPCSTR lpszPath, int nFormat, BOOL bCompress);
    // An image: the file's bytes, once the image layer has decoded them.
    DWORD Data_AddImageFromFile(LPCSTR lpszPath, int nFormat, BOOL bCompress);
    // An HTML page or any file's bytes, always stored compressed.
    DWORD Data_AddHtmlFromFile(LPCSTR lpszPath, int nFormat);
    DWORD Data_AddForeignFromFile(LPCSTR lpszPath, int nFormat);

    // Writes the node's decoded payload to a new file; a progress control,
    // when given, runs from 0 to 1000. FALSE when the payload cannot be read
    // (nothing is written then) or the file cannot be written (a partly
    // written file is removed).
    BOOL Data_CopyToFile(DWORD dwNodeId, LPCSTR lpszPath, HWND hProgress = nullptr);
    // The same, only when no file of that name exists yet: making the file is
    // then the only look at the folder (an export's first try for each node).
    // FALSE, and nothing created, when the file exists or anything fails.
    BOOL Data_CopyToNewFile(DWORD dwNodeId, LPCSTR lpszPath);
    // The node's decoded payload, whole, in a buffer that wipes itself. FALSE
    // with the string id of the reason when the node is absent or its
    // payload cannot be read (damaged, no password, no encryption library).
    // Throws what the payload reader throws.
    BOOL Data_ReadPayload(DWORD dwNodeId, CSecureBytes& data, UINT& nReason);
    // Writes an image node to a file: format 0 as the image file imported,
    // with the extension of its detected format; 1, 3, 7 and 9 re-encoded as
    // BMP, JPEG, PNG or TIFF with that format's extension. On FALSE the error
    // buffer (QLC_EXPORT_ERROR_SIZE characters, or null) says why. The path
    // actually written goes to pstrFinalPath when given.
    BOOL Data_ExportImage(DWORD dwNodeId, LPCSTR lpszPath, int nFormat, LPSTR lpszError,
                          CString* pstrFinalPath = nullptr);
    // The path Data_ExportImage will write for these arguments, before it
    // does (for the overwrite question). FALSE, and the path unchanged, when
    // the format is not one of those, or for format 0 when the stored image
    // cannot be read or its format is not recognised.
    BOOL Data_GetImageExportPath(DWORD dwNodeId, LPCSTR lpszPath, int nFormat, CString& strFinalPath);

    // Deletes a node with everything below it: keyword lists (and keywords
    // nobody else uses), records and data locations; linked tasks are
    // unlinked.
    void Data_DeleteNode(DWORD dwNodeId);
    // Appends every node below the parent, in table order, a folder after
    // its own descendants.
    void Data_CollectChildren(DWORD dwParentId, std::vector<DWORD>& nodeIds) const;
    // "//" and the names from the top level down to the node, joined by "/".
    CString Data_GetNodePath(DWORD dwNodeId) const;
    // Points bookmarks and linked tasks of one node at another (the document's
    // modified flag is left alone).
    void Data_RelinkNode(DWORD dwOldNodeId, DWORD dwNewNodeId);

    // Unlinks every task linked to the node.
    void Data_RemoveNodeTasks(DWORD dwNodeId);
    void Data_DeleteTask(DWORD dwTaskId);

    // Logo. LoadLogoFromFile decodes the image file and keeps its bytes for
    // the next save; it throws PLTextException when the file does not decode
    // and CFileException when it cannot be read or kept (the previous logo
    // then stays).
    void LoadLogoFromFile(LPCSTR lpszPath);
    // Sets or clears the has-logo flag; a bitmap given becomes the logo.
    void SetLogo(BOOL bHasLogo, const PLWinBmp* pBitmap);
    // The notebook's logo, else the application's default logo (or null).
    PLWinBmp* GetLogo();
    void RepaintLogo();

    // --- Notebook encryption ------------------------------------------------
    // Sets the cipher, hash and key length of the notebook and derives its key
    // and check block from the password; key length 0 turns encryption off
    // (the next save writes a plain notebook). FALSE, and nothing changed,
    // when the library cannot make an encryptor for the parameters. Does not
    // mark the document modified.
    BOOL Data_SetFileEncryption(DWORD dwCipherId, DWORD dwKeyLength, DWORD dwHashId, LPCSTR lpszPassword,
                                DWORD dwPasswordLength);

    DWORD GetFileFlags() const;
    virtual void SetModified(BOOL bModified);
    BOOL GetModifiedFlag() const { return m_bDocModified.load(); }
    // Counts every SetModified(TRUE) of this notebook, by any thread; the
    // static one those of the calling thread, on any notebook.
    DWORD GetChangeCount() const { return m_dwChanges.load(); }
    static DWORD GetThreadChangeCount();
    // Work on the notebook was stopped by force (its worker terminated):
    // what is in memory may be incomplete. It counts as changed, and it is
    // never written over its own file: a save must go to a new one.
    void SetPossiblyDamaged();
    BOOL IsPossiblyDamaged() const { return m_bPossiblyDamaged.load(); }
    // A worker thread was terminated: its hold on the notebook's lock (if
    // it had one) is released and the notebook is marked possibly damaged.
    void Data_RecoverFromTerminatedThread(DWORD dwThreadId);

    // The notebook's lock. Hold it (CQlcDocLock::CScoped) to walk a table,
    // or to make several operations one step for other threads.
    CQlcDocLock& GetLock() const { return m_lock; }

    // Read-only views of the tables, in table order, for the holder of the
    // lock while it holds it.
    const CQlcNodeMap& GetNodeTable(const CQlcDocLock::CScoped&) const { return m_mapNodes; }
    const CQlcBookmarkMap& GetBookmarkTable(const CQlcDocLock::CScoped&) const { return m_mapBookmarks; }
    const CQlcKeywordMap& GetKeywordTable(const CQlcDocLock::CScoped&) const { return m_mapKeywords; }
    const CQlcNodeKeywordsMap& GetNodeKeywordsTable(const CQlcDocLock::CScoped&) const { return m_mapNodeKeywords; }
    const CQlcTaskMap& GetTaskTable(const CQlcDocLock::CScoped&) const { return m_mapTasks; }

    // Sizes of the tables.
    INT_PTR Data_GetNodeCount() const;
    INT_PTR Data_GetBookmarkCount() const;
    INT_PTR Data_GetKeywordCount() const;
    INT_PTR Data_GetTaskCount() const;

    // Copies of the file's records.
    QLCFILEHEADER GetHeader() const;
    QLCSECTIONTABLE GetSectionTable() const;
    QLCCRYPTHEADER GetCryptHeader() const;
    CString GetMagic() const;
    void GetSortOptions(WORD& wOption1, WORD& wOption2) const;
    void SetSortOptions(WORD wOption1, WORD wOption2);
    BOOL IsEncryptedNotebook() const;

    // --- Notebook file ------------------------------------------------------
    // A new, empty notebook: magic, version and a fresh header.
    BOOL OnNewDocument() override;
    // Opens the notebook file to read (reading only, no sharing); it stays open.
    BOOL Data_OpenNotebookFile(LPCSTR lpszPathName);
    // Opens the notebook handle (CreateFileA arguments) and remembers how, so
    // that a failed save can open the same file again.
    BOOL Data_OpenNotebookHandle(LPCSTR lpszPathName, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition);
    // The path the next Data_WriteFile writes to.
    void Data_SetNotebookPath(LPCSTR lpszPathName);
    CString Data_GetNotebookPath() const;
    CString Data_GetSourcePath() const;
    // The open files: for the lock's holder (a save replaces them).
    HANDLE Data_GetSourceHandle() const { return m_hSourceFile; }
    HANDLE Data_GetWorkHandle() const { return m_hWorkFile; }
    const CString& Data_GetWorkPath() const { return m_strWorkPath; }

    // 1 loaded, 0 not a notebook or unusable version, 2 refused at the password.
    // Damage that reading found is told to the user once, at the end.
    int Data_ReadFile();
    // Writes the whole notebook to the notebook path; TRUE when it replaced it.
    BOOL Data_WriteFile();
    // Why the last Data_WriteFile answered FALSE without an exception: the
    // id of a text that says so, or 0.
    UINT Data_GetWriteFailure() const { return m_nWriteFailure; }

    // The frame that shows this document, or null (tests may set one).
    // Null on any thread but the interface thread: a worker's changes are
    // shown by the windows' refresh after its job.
    IQlcFrameCallbacks* GetFrameCallbacks() const;
    void SetFrameCallbacks(IQlcFrameCallbacks* pCallbacks) { m_pFrameCallbacks = pCallbacks; }

    // What the last read found damaged: sections left out (or cut short),
    // and nodes whose stored payload the file does not hold whole. Those
    // nodes read as damaged; a save keeps what the file holds of them and
    // everything else of them.
    enum
    {
        damagedLogo = 1,
        damagedBookmarks = 2,
        damagedKeywords = 4,
        damagedSectionTable = 8,
        damagedTasks = 16
    };
    DWORD Data_GetDamagedSections() const { return m_dwDamagedSections; }
    const std::vector<DWORD>& Data_GetDamagedNodes() const { return m_damagedNodes; }
    // Whether a node's stored bytes ran past the end of the file when it was
    // read: they are kept as far as the file holds them (a save copies them
    // as they are) but never read as the node's contents, until the node
    // gets a payload of its own.
    BOOL Data_IsNodeDamaged(DWORD dwNodeId) const;

    // Logo state (the logo section as stored in the file).
    BOOL HasLogo() const { return m_bHasLogo; }
    // The document's own logo picture (meaningful when HasLogo).
    PLWinBmp* GetLogoBitmap() { return &m_logo; }

    // --- Lifecycle ----------------------------------------------------------
    // Modified is the document's own flag or, failing that, the note editor's
    // unsaved changes; the framework's flag is not used (SetModifiedFlag does
    // nothing, all marking goes through SetModified).
    BOOL IsModified() override;
    void SetModifiedFlag(BOOL bModified = TRUE) override;
    void SetTitle(LPCSTR lpszTitle) override;
    void DeleteContents() override;
    // Opens the notebook file and reads it; the read result goes to the
    // application services. TRUE only when the notebook was read.
    BOOL OnOpenDocument(LPCSTR lpszPathName) override;
    // Writes the notebook to the path. FALSE, the file as it was and the
    // document still modified when it could not be saved; a read-only target
    // is refused without a message (the Save command asks about it).
    BOOL OnSaveDocument(LPCSTR lpszPathName) override;
    // The frame's note is stored before the framework asks to save.
    BOOL CanCloseFrame(CFrameWnd* pFrame) override;

    // --- Embedded objects of notes -------------------------------------------
    // The object selected in the rich-text view (none for other views).
    COleClientItem* GetPrimarySelectedItem(CView* pView) override;
    // A new item (CQlcCntrItem) owned by this document for an object of the
    // rich-text view.
    CRichEditCntrItem* CreateClientItem(REOBJECT* preo = nullptr) const override;

    // Save As through the file dialog, without further messages.
    BOOL FileSaveAs();
    void OnFileSave();
    void OnFileSaveAs();
    // Saving on close: a notebook kept from its own file asks for a new name.
    BOOL DoFileSave() override;
    // The file the notebook must not be saved over: its own, once work on
    // it was stopped by force. Empty otherwise.
    CString GetKeptFile() const;
    // File > Properties: the notebook's options; a changed encryption is set
    // up here for the next save.
    void OnFileProperties();

    // The source file is a decrypted copy of the document's own, apart from
    // the notebook file.
    BOOL IsSourceDecryptedCopy() const;
    // Lets go of the notebook file; a decrypted copy serving as the source
    // is overwritten with zeros and deleted first.
    void Data_ReleaseFiles();

protected:
    // Section readers and writers of the file format.
    void Data_ReadHeader(CQlcFileReader& reader);
    void Data_WriteHeader(CQlcFileWriter& writer);
    void Data_ReadSectionTable(CQlcFileReader& reader);
    void Data_WriteSectionTable(CQlcFileWriter& writer);
    void Data_ReadNodes(CQlcFileReader& reader);
    void Data_ReadBookmarks(CQlcFileReader& reader);
    void Data_ReadKeywords(CQlcFileReader& reader);
    void Data_WriteKeywords(CQlcFileWriter& writer, const CMap<DWORD, DWORD, DWORD, DWORD>& mapNewIds);
    void Data_ReadTasks(CQlcFileReader& reader);
    void Data_WriteTasks(CQlcFileWriter& writer, const CMap<DWORD, DWORD, DWORD, DWORD>& mapNewIds);
    void Data_ReadLogoSection(CQlcFileReader& reader);
    CString Data_ReadMagic(CQlcFileReader& reader);

    // Decodes a logo image read from the file; FALSE when it cannot be shown.
    virtual BOOL DecodeLogo(const BYTE* pData, size_t nSize);

    int Data_ReadFileInner();
    BOOL Data_WriteFileInner();
    // Writes the whole plain notebook through the writer (from its start);
    // the old header tells where the logo lay in the source file.
    void Data_WritePlain(CQlcFileWriter& writer, const QLCFILEHEADER& oldHeader);
    // Reading after the magic of a plain notebook.
    int Data_ReadPlain(CQlcFileReader& reader);
    // Tells the user what reading found damaged, if anything.
    void Data_ReportDamage();
    // Encrypted envelope, reader just after its magic: asks for the password
    // and deciphers into a temporary copy that becomes the source file.
    // 1 done, 0 no decryptor (not a notebook), 2 refused or cancelled.
    int Data_OpenEnvelope(CQlcFileReader& reader);
    // Enciphers the finished plain file T1 into a new file T2 beside the
    // notebook. FALSE (and no T2) when no encryptor can be made.
    BOOL Data_EncipherFile(CQlcTempFile& plainFile, CQlcTempFile& cipherFile);
    // Overwrites a decrypted copy serving as the source file with zeros and
    // closes it, which deletes it; the source becomes the notebook file again.
    void Data_DiscardDecryptedCopy();

protected:

    HWND GetMessageOwner(BOOL bOnlyVisible) const;
    BOOL CopyPayloadToFile(DWORD dwNodeId, LPCSTR lpszPath, HWND hProgress, BOOL bOnlyNew);

public:
    // Closes the notebook file and the source file (the document keeps its
    // tables); a decrypted copy goes with its handle, overwritten first.
    void Data_CloseNotebookFiles();

protected:
    mutable CQlcDocLock m_lock;

    // Tables
    CQlcNodeMap m_mapNodes;
    CQlcBookmarkMap m_mapBookmarks;
    CQlcKeywordMap m_mapKeywords;
    CQlcNodeKeywordsMap m_mapNodeKeywords;
    CQlcTaskMap m_mapTasks;
    CQlcDataLocMap m_mapDataLocs;
    CQlcStreamMap m_mapStreams;

    // Id counters (never go down while the notebook is open)
    DWORD m_dwNextNodeId;
    DWORD m_dwNextBookmarkId;
    DWORD m_dwNextKeywordId;
    DWORD m_dwNextTaskId;
    DWORD m_dwNextStreamId;

    // Files
    HANDLE m_hWorkFile;
    CString m_strWorkPath;
    HANDLE m_hNotebookFile;
    CString m_strNotebookPath;
    CString m_strNotebookHandlePath; // the file the notebook handle is open on
    DWORD m_dwNotebookAccess;      // how the notebook handle was opened, to reopen it alike
    DWORD m_dwNotebookShare;
    HANDLE m_hSourceFile;          // the notebook file or a decrypted copy
    CString m_strSourcePath;

    // File contents
    CString m_strMagic;
    QLCFILEHEADER m_header;
    QLCSECTIONTABLE m_sectionTable;
    QLCCRYPTHEADER m_cryptHeader;
    CSecureBytes m_key;             // derived from the notebook password
    CSecureBytes m_checkBlock;

    // Logo
    PLWinBmp m_logo;
    BOOL m_bHasLogo;
    DWORD m_dwNewLogoOffset;       // a logo chosen since opening, in the work file
    DWORD m_dwNewLogoLength;

    std::atomic<BOOL> m_bDocModified;
    std::atomic<DWORD> m_dwChanges{ 0 };
    std::atomic<BOOL> m_bPossiblyDamaged{ FALSE };
    CString m_strKeptFile;       // see GetKeptFile
    IQlcFrameCallbacks* m_pFrameCallbacks;
    UINT m_nWriteFailure;        // see Data_GetWriteFailure
    BOOL m_bSaveFailureTold;     // the last save's failure was shown to the user

    // Damage found by the last read
    DWORD m_dwDamagedSections;
    std::vector<DWORD> m_damagedNodes;

    DECLARE_MESSAGE_MAP()
};
