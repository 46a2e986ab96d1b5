// The text converters: turns document files into RTF for note import (and RTF
// back into other formats), and builds the file-dialog filters of the import
// and export commands. Knows RTF itself (a copy), plain text (a hidden
// RichEdit window) and the converter DLLs registered on the machine.
#pragma once

#include "core/CTextConverter.h"

#include "framework/base/CArray.h"

#include <vector>

typedef CArray<CTextConverter, const CTextConverter&> CTextConverterArray;

class CTextConvLib
{
public:
    CTextConvLib();
    virtual ~CTextConvLib();

    // Reads the registered export and import converters (local machine,
    // "Software\Microsoft\Shared Tools\Text Converters") and builds both
    // filters. Without the keys only the built-in RTF and plain-text
    // converters remain.
    void LoadConverters();
    // The same from "<lpszBase>\Export" and "<lpszBase>\Import" under hRoot.
    void LoadConverters(HKEY hRoot, LPCSTR lpszBase);

    // Fills the array from one open key (null: none): the two built-in
    // converters, then one element per sub-key holding "Extensions", "Name"
    // or "Path", in enumeration order.
    static void ReadConverters(HKEY hKey, CTextConverterArray& converters);

    // Splits every converter's extensions, sets its patterns, collects the
    // distinct extensions and builds the filter block: with bAllEntry first
    // "All Supported File Types" over every extension, then one pair per
    // converter, NUL-separated and ended by an extra NUL.
    static void BuildFilter(CTextConverterArray& converters, std::vector<char>& filter, CStringList& extensions,
                            BOOL bAllEntry);

    // Converts a file to RTF into lpszTarget (truncated first): the import
    // converters listing the file's extension are tried in order until one
    // succeeds. FALSE when none matches or all fail.
    BOOL ImportFile(LPCSTR lpszSource, LPCSTR lpszTarget);
    // Runs one converter: an import converter turns lpszSource into RTF, an
    // export converter turns the RTF file lpszSource into its format.
    BOOL ExportFile(int nConverter, BOOL bImport, LPCSTR lpszSource, LPCSTR lpszTarget);

    // The filter blocks, for the common file dialogs (lpstrFilter form), and
    // their lengths in bytes with the final NUL.
    LPCSTR GetImportFilter() const;
    int GetImportFilterLength() const { return (int)m_importFilter.size(); }
    LPCSTR GetExportFilter() const;
    int GetExportFilterLength() const { return (int)m_exportFilter.size(); }
    // The distinct extensions, lower case, without dots.
    const CStringList& GetImportExtensions() const { return m_importExtensions; }
    const CStringList& GetExportExtensions() const { return m_exportExtensions; }
    const CTextConverterArray& GetImportConverters() const { return m_importConverters; }
    const CTextConverterArray& GetExportConverters() const { return m_exportConverters; }

    // RichEdit stream callbacks over an open CFile (the cookie): reading
    // clamps to the bytes left, a file error reports 0 bytes and gives -1.
    static DWORD CALLBACK StreamInCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);
    static DWORD CALLBACK StreamOutCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);

    // The lower-case extension of a path's file name; empty without one.
    static CString GetExtension(LPCSTR lpszPath);

private:
    CTextConvLib(const CTextConvLib&) = delete;
    CTextConvLib& operator=(const CTextConvLib&) = delete;

    static BOOL ReadConverter(HKEY hParent, LPCSTR lpszKeyName, CTextConverter& converter);

    // Runs one converter, to RTF when bImport, from RTF otherwise; file errors
    // and want of memory count as a failed conversion.
    BOOL ConvertWith(CTextConverter& converter, BOOL bImport, LPCSTR lpszSource, LPCSTR lpszTarget);
    BOOL DoMSConvImport(CTextConverter& converter, LPCSTR lpszSource, LPCSTR lpszTarget);
    BOOL ForeignToRtf(CTextConverter& converter, LPCSTR lpszSource, LPCSTR lpszTarget);
    BOOL DoMSConvExport(CTextConverter& converter, LPCSTR lpszSource, LPCSTR lpszTarget);
    static BOOL TextToRtf(LPCSTR lpszSource, LPCSTR lpszTarget);
    static BOOL RtfToText(LPCSTR lpszSource, LPCSTR lpszTarget);
    static HWND CreateHiddenRichEdit();

    CStringList m_importExtensions;
    CStringList m_exportExtensions;
    std::vector<char> m_importFilter;
    std::vector<char> m_exportFilter;
    CTextConverterArray m_importConverters;
    CTextConverterArray m_exportConverters;
};
