// Helpers shared by the core tests: recorded prompts, temporary folders,
// byte builders for hand-made notebook files, and raw payload access.
#pragma once

#include "core/CQuillcrestDoc.h"
#include "core/IQlcPrompts.h"

#include <deque>
#include <string>
#include <vector>

typedef std::vector<BYTE> Bytes;

// Installs itself for its lifetime; records every message box and answers
// from a script (IDOK when the script is empty).
class CTestPrompts : public IQlcPrompts
{
public:
    struct CBox
    {
        HWND hOwner;
        std::string text;
        std::string caption;
        UINT nType;
    };

    CTestPrompts();
    ~CTestPrompts() override;

    int MessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override;
    int FrameworkMessageBox(LPCSTR lpszText, UINT nType) override;
    BOOL AskPassword(CString& strPassword) override;
    // Takes the next password of the script too (empty script: refused).
    BOOL UnlockNode(CQuillcrestDoc* pDoc, DWORD dwNodeId, CString& strPassword) override;

    std::vector<CBox> boxes;
    std::deque<int> answers;             // buttons to press, in order
    std::deque<std::string> passwords;   // passwords to type; empty = cancel
    int nPasswordRequests = 0;
    std::vector<DWORD> unlockRequests;   // node ids, in order

private:
    IQlcPrompts* m_pPrevious;
};

// A fresh folder under %TEMP%, removed with everything in it.
class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    CString Path(LPCSTR lpszName) const;
    const CString& Dir() const { return m_strDir; }

private:
    CString m_strDir;
};

Bytes ReadFileBytes(LPCSTR lpszPath);
void WriteFileBytes(LPCSTR lpszPath, const Bytes& bytes);
// Names of the Qlc*.tmp files in a folder (%TEMP% when none) now.
std::vector<std::string> ListQlcTempFiles(LPCSTR lpszFolder = nullptr);

// Little-endian byte builder for hand-made files.
class CByteBuilder
{
public:
    CByteBuilder& U8(BYTE b) { m_bytes.push_back(b); return *this; }
    CByteBuilder& U16(WORD w) { return U8((BYTE)w).U8((BYTE)(w >> 8)); }
    CByteBuilder& U32(DWORD dw) { return U16((WORD)dw).U16((WORD)(dw >> 16)); }
    CByteBuilder& Str(LPCSTR lpsz) { while (*lpsz) U8((BYTE)*lpsz++); return U8(0); }
    CByteBuilder& Raw(const Bytes& b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); return *this; }
    CByteBuilder& Zeros(size_t n) { m_bytes.insert(m_bytes.end(), n, 0); return *this; }
    // u32 length and the UTF-16LE text with its NUL.
    CByteBuilder& Magic(LPCSTR lpsz);
    void PatchU32(size_t nOffset, DWORD dw);
    DWORD Size() const { return (DWORD)m_bytes.size(); }
    const Bytes& Get() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// Header fields of a hand-made file, written in the file's layout.
struct CHeaderFields
{
    DWORD dwVersion = 6;
    DWORD dwNodeCount = 0;
    DWORD dwLogoOffset = 0;
    DWORD dwLogoLength = 0;
    DWORD dwBookmarkOffset = 0;
    DWORD dwFileFlags = 0;
    DWORD dwSectionTableOffset = 0;
    WORD wSort1 = 0;
    WORD wSort2 = 0;
    DWORD dwKeywordOffset = 0;
};
void WriteHeaderFields(CByteBuilder& b, const CHeaderFields& h);
// Offsets of header fields in a plain file (magic of 36 bytes first).
enum : size_t
{
    kHdrNodeCount = 36 + 36,
    kHdrLogoOffset = 36 + 40,
    kHdrLogoLength = 36 + 44,
    kHdrBookmarks = 36 + 52,
    kHdrSectionTable = 36 + 60,
    kHdrKeywords = 36 + 72,
    kNodeTable = 36 + 76
};

// Appends bytes to the document's work file as the node's stored payload.
void AppendPayload(CQuillcrestDoc& doc, DWORD dwNodeId, const Bytes& stored, DWORD dwFlags = 0);
// The node's stored bytes, wherever they lie now.
Bytes ReadStoredPayload(const CQuillcrestDoc& doc, DWORD dwNodeId);

// Adds a node of the given type under a parent, returning its id.
DWORD AddNode(CQuillcrestDoc& doc, BYTE nType, LPCSTR lpszName, DWORD dwParent = 0);
// The first node in table order with the name given; 0 when none.
DWORD FindNodeByName(const CQuillcrestDoc& doc, LPCSTR lpszName);

// Opens and reads a notebook file into a fresh document; the read result.
int OpenNotebook(CQuillcrestDoc& doc, LPCSTR lpszPath);
