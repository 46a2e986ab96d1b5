// Writes nodes out to files for the export jobs. For now it holds the two
// lookups the document's image export uses to choose an image format and the
// file extension that goes with it.
#pragma once

#include "framework/base/AfxDefs.h"
#include "framework/base/CString.h"

class CExportHelper
{
public:
    virtual ~CExportHelper() {}

    // The image format id (1 BMP ... 10 metafile) of a format code found by
    // the image layer's detection; 0 when there is none.
    static int MapExportType(int nFormatCode);
    // The file name with the extension of an image format id appended, in
    // lower case, unless it already ends with it (compared without regard
    // to case). An id without an extension (0 among them) leaves it as it is.
    static CString ForceExtension(int nFormatId, LPCSTR lpszFileName);
};
