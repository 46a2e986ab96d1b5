#include "core/CExportHelper.h"

#include "imaging/PLAnyPicDecoder.h"

namespace {

// The image rows of the import's extension table, in its order: the first
// extension of a format is the one an export gives it.
struct CImageExtension
{
    int nImageFormat;
    LPCSTR lpszExtension;
};

const CImageExtension s_imageExtensions[] = {
    { 1, "BMP" },  { 2, "GIF" },  { 3, "JPG" },  { 3, "JPEG" }, { 3, "JIF" },  { 4, "PCX" },  { 5, "PIC" },
    { 5, "PICT" }, { 6, "PGM" },  { 7, "PNG" },  { 8, "TGA" },  { 9, "TIF" },  { 9, "TIFF" }, { 10, "EMF" },
    { 10, "WEMF" }, { 10, "WMF" },
};

} // namespace

int CExportHelper::MapExportType(int nFormatCode)
{
    switch (nFormatCode)
    {
    case PL_FT_WINBMP: return 1;
    case PL_FT_MACPICT: return 5;
    case PL_FT_TARGA: return 8;
    case PL_FT_TIFF: return 9;
    case PL_FT_JPEG: return 3;
    case PL_FT_PNG: return 7;
    case PL_FT_EPSTIFF: return 9;
    case PL_FT_WMF: return 10;
    case PL_FT_EMF: return 10;
    case PL_FT_PCX: return 4;
    case PL_FT_PGM: return 6;
    case PL_FT_GIF: return 2;
    default: return 0;
    }
}

CString CExportHelper::ForceExtension(int nFormatId, LPCSTR lpszFileName)
{
    CString strName = lpszFileName != nullptr ? lpszFileName : "";
    if (nFormatId <= 0)
        return strName;
    for (const CImageExtension& row : s_imageExtensions)
    {
        if (row.nImageFormat != nFormatId)
            continue;
        CString strExtension = CString(".") + row.lpszExtension;
        strExtension.MakeLower();
        const int nLength = strExtension.GetLength();
        if (strName.GetLength() < nLength || strName.Right(nLength).CompareNoCase(strExtension) != 0)
            strName += strExtension;
        return strName;
    }
    return strName;
}
