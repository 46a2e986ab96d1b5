// The batch import: files become nodes under one parent, each by the type
// its extension names (notes through the text converters, images), or,
// without a known extension, as an image when it decodes and else as a note.
// Files that cannot be added are passed over.
#pragma once

#include "core/CNodeBatchProcess.h"

#include "framework/base/CStringList.h"

// One row of the import type table.
struct QLCIMPORTTYPE
{
    BYTE nNodeType;       // 1 note, 3 image; 255 in the end row
    BYTE nImageFormat;    // 1 BMP ... 10 metafile; 0 for notes
    LPCSTR lpszExtension; // upper case; null in the end row
    BYTE bCompress;       // the stored bytes are gzipped
};

class CNodeBatchImport : public CNodeBatchProcess
{
public:
    // Parent 0 leaves the new nodes at the top level.
    CNodeBatchImport(CQuillcrestDoc* pDoc, DWORD dwParentId);

    // Appends a full path; the total follows the list.
    void AddFile(LPCSTR lpszPath);
    void Run() override;

    // The row for the path's extension (after its last '.', in upper case),
    // or null.
    static const QLCIMPORTTYPE* LookupImportType(LPCSTR lpszPath);
    // The table in its order, ended by the row without an extension.
    static const QLCIMPORTTYPE* GetImportTypes();

    DWORD GetParentId() const { return m_dwParentId; }
    const CStringList& GetFileList() const { return m_fileList; }

protected:
    DWORD m_dwParentId;
    CStringList m_fileList;
};
