// Writes nodes out to files for the export jobs: notes as their RTF,
// foreign data and HTML pages as their bytes, images as stored or
// re-encoded by the document's image export. In a batch export it asks the
// overwrite question through its job, and has the interface thread unlock
// encrypted nodes. It also holds the lookups the image export uses to choose
// an image format and a file extension, and makes node names safe as file
// names: a name from a notebook never reaches outside the chosen folder.
#pragma once

#include "framework/base/AfxDefs.h"
#include "framework/base/CString.h"

class CNodeBatchProcess;
class CQlcNode;
class CQuillcrestDoc;

class CExportHelper
{
public:
    // Without a job no overwrite question is asked.
    explicit CExportHelper(CQuillcrestDoc* pDoc = nullptr, CNodeBatchProcess* pJob = nullptr);
    virtual ~CExportHelper() {}

    // The image format id (1 BMP ... 10 metafile) of a format code found by
    // the image layer's detection; 0 when there is none.
    static int MapExportType(int nFormatCode);
    // The file name with the extension of an image format id appended, in
    // lower case, unless it already ends with it (compared without regard
    // to case). An id without an extension (0 among them) leaves it as it is.
    static CString ForceExtension(int nFormatId, LPCSTR lpszFileName);
    // The extension for an image written as stored, by its detected format
    // code: an EPS with a TIFF preview stays ".eps" and a WMF ".wmf"; the
    // others take their format's extension.
    static CString ForceStoredExtension(int nFormatCode, LPCSTR lpszFileName);
    // A node name as one file name inside a folder: separators, reserved
    // and control characters become '_', trailing dots and spaces go (the
    // system drops them, so ".." would name the parent), an empty result
    // becomes "Unnamed", and device names (CON, NUL, COM1 ...) get a '_'
    // in front.
    static CString MakeSafeFileName(LPCSTR lpszName);
    static BOOL IsReservedDeviceName(LPCSTR lpszName);
    // A file of this name exists and can be opened for reading.
    static BOOL FileExists(LPCSTR lpszPath);

    // Batch export of one node that is not a folder into the directory
    // (which ends with a backslash), unlocking it first when needed.
    BOOL ExportNode(DWORD dwNodeId, LPCSTR lpszDirectory);
    // Writes one node to the path plus its type's extension, asking before
    // an existing file is replaced (an answer other than Yes skips the node
    // and counts as done).
    BOOL ExportNodeToFile(CQlcNode& node, LPCSTR lpszPath, int nExportFormat);
    // The single export's writer: the path as given (an image still gets
    // its format's extension), no question.
    BOOL ExportNodeById(DWORD dwNodeId, LPCSTR lpszPath, int nExportFormat);
    BOOL ExportNodeAs(CQlcNode& node, LPCSTR lpszPath, int nExportFormat);
    // Why the last write failed (empty after a success).
    CString GetErrorMessage() const { return m_strError; }

protected:
    // Writes the node's data or image to the target (the path for images).
    BOOL WriteNode(CQlcNode& node, LPCSTR lpszPath, LPCSTR lpszTarget, int nExportFormat);

    CNodeBatchProcess* m_pJob;
    CString m_strError;
    CQuillcrestDoc* m_pDoc;
};
