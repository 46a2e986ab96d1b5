// Password-protected notebooks: the V2 envelope byte for byte, opening
// through the password prompt, the refusals and their messages, the old V1
// envelope, turning encryption off, and no decrypted copy left behind.
#include "core/CQlcNode.h"
#include "core/CQuillcrestDoc.h"

#include "CryptTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char kPassword[] = "correct horse";

DWORD U32At(const Bytes& b, size_t i)
{
    return (DWORD)b.at(i) | ((DWORD)b.at(i + 1) << 8) | ((DWORD)b.at(i + 2) << 16) | ((DWORD)b.at(i + 3) << 24);
}

void PutU32(Bytes& b, size_t i, DWORD dw)
{
    for (int k = 0; k < 4; ++k)
        b.at(i + k) = (BYTE)(dw >> (8 * k));
}

Bytes MagicBytes(LPCSTR lpszMagic)
{
    CByteBuilder b;
    b.Magic(lpszMagic);
    return b.Get();
}

const size_t kV2HeaderAt = 4 + 58; // crypt header after the V2 magic

struct CContent
{
    Bytes note = TextBytes(30000, 1);
    Bytes image = NoiseBytes(17000, 2);
    Bytes secret = TextBytes(5000, 3);
};

// A notebook with a compressed note, an uncompressed image, an encrypted
// node, a keyword and a bookmark.
void Fill(CQuillcrestDoc& doc, const CContent& c)
{
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcNode note, image, secret;
    note.Create(&doc, QLC_NODE_NOTE, "note", 0);
    image.Create(&doc, QLC_NODE_IMAGE, "image", 0);
    secret.Create(&doc, QLC_NODE_NOTE, "secret", 0);
    ASSERT_TRUE(WriteNodeData(doc, note.GetId(), c.note, TRUE));
    ASSERT_TRUE(WriteNodeData(doc, image.GetId(), c.image, FALSE));
    ASSERT_TRUE(secret.SetEncryption(kBlowfish, 16, kSha1, "node", 4, nullptr, 0));
    ASSERT_TRUE(WriteNodeData(doc, secret.GetId(), c.secret, TRUE));
    QLCNODE_KEYWORDS kw;
    kw.dwNodeId = note.GetId();
    kw.keywordIds.push_back(doc.Data_GetKeywordId("kept"));
    doc.Data_SetNodeKeywords(note.GetId(), kw);
    const DWORD dwMark = doc.Data_AddBookmark();
    QLCBOOKMARK mark;
    doc.Data_GetBookmark(dwMark, mark);
    mark.dwNodeId = note.GetId();
    mark.strName = "mark";
    doc.Data_SetBookmark(dwMark, mark);
}

void ExpectContent(CQuillcrestDoc& doc, const CContent& c)
{
    EXPECT_EQ(3u, doc.GetHeader().dwNodeCount);
    const DWORD dwNote = FindNodeByName(doc, "note");
    EXPECT_EQ(c.note, ReadNodeData(doc, dwNote));
    EXPECT_EQ(c.image, ReadNodeData(doc, FindNodeByName(doc, "image")));
    const DWORD dwSecret = FindNodeByName(doc, "secret");
    EXPECT_TRUE(CQlcNode(&doc, dwSecret).CheckPassword("node"));
    RememberPassword(doc, dwSecret, "node");
    EXPECT_EQ(c.secret, ReadNodeData(doc, dwSecret));
    QLCNODE_KEYWORDS kw;
    ASSERT_TRUE(doc.Data_GetNodeKeywords(dwNote, kw));
    ASSERT_EQ(1u, kw.GetCount());
    CString str;
    doc.Data_GetKeywordText(kw.keywordIds[0], str);
    EXPECT_STREQ("kept", str);
    EXPECT_EQ(1, doc.Data_GetBookmarkCount());
}

// Opens the notebook again, typing the password at the prompt, and expects
// the content whole.
void ExpectReopensWhole(LPCSTR lpszPath, LPCSTR lpszPassword, const CContent& c)
{
    CTestPrompts prompts;
    prompts.passwords.push_back(lpszPassword);
    CQuillcrestDoc doc;
    ASSERT_EQ(1, OpenNotebook(doc, lpszPath));
    ExpectContent(doc, c);
}

// Saves a filled notebook encrypted with the library's defaults.
CString SaveEncrypted(const CTempDir& dir, LPCSTR lpszName, CCryptDLLHandler& crypt, const CContent& c,
                      Bytes* pPlain = nullptr)
{
    CQuillcrestDoc doc;
    Fill(doc, c);
    EXPECT_TRUE(doc.Data_SetFileEncryption(crypt.m_pfnGetDefaultCipher(), 32, crypt.m_pfnGetDefaultHash(),
                                           kPassword, (DWORD)strlen(kPassword)));
    const CString strPath = dir.Path(lpszName);
    doc.Data_SetNotebookPath(strPath);
    EXPECT_TRUE(doc.Data_WriteFile());
    if (pPlain != nullptr)
        *pPlain = ReadFileBytes(doc.Data_GetSourcePath());
    return strPath;
}

} // namespace

TEST(EncryptedNotebookTest, RoundTripWithTheDefaultCipherThroughThePrompt)
{
    CCryptInstall crypt;
    CTempDir dir;
    CTempFilesWatch temps;
    const CContent content;
    const DWORD dwCipher = crypt.handler.m_pfnGetDefaultCipher();
    const DWORD dwHash = crypt.handler.m_pfnGetDefaultHash();

    CString strPath;
    Bytes plain;
    {
        CQuillcrestDoc doc;
        Fill(doc, content);
        doc.SetModified(FALSE);
        ASSERT_TRUE(doc.Data_SetFileEncryption(dwCipher, 32, dwHash, kPassword, (DWORD)strlen(kPassword)));
        EXPECT_FALSE(doc.GetModifiedFlag());
        EXPECT_TRUE(doc.IsEncryptedNotebook());
        strPath = dir.Path("locked.qlc");
        doc.Data_SetNotebookPath(strPath);
        ASSERT_TRUE(doc.Data_WriteFile());

        // The document now reads from a plain copy in the temporary folder.
        EXPECT_NE(doc.Data_GetSourcePath(), strPath);
        EXPECT_EQ(2u, temps.Added().size()); // the work file and the copy
        plain = ReadFileBytes(doc.Data_GetSourcePath());
        ASSERT_GT(plain.size(), 192u);
        EXPECT_EQ(MagicBytes("Quillcrest File"), Bytes(plain.begin(), plain.begin() + 36));
        ExpectContent(doc, content); // payloads now come from the copy
    }

    const Bytes file = ReadFileBytes(strPath);
    const Bytes magic = MagicBytes("Encrypted Quillcrest File V2");
    ASSERT_EQ(62u, magic.size());
    EXPECT_EQ(magic, Bytes(file.begin(), file.begin() + 62));
    const Bytes verifier = VerifierOf(crypt.handler, dwCipher, dwHash, 32, kPassword);
    const Bytes check = CheckBlockOf(crypt.handler, kPassword);
    EXPECT_EQ(dwCipher, U32At(file, kV2HeaderAt));
    EXPECT_EQ(dwHash, U32At(file, kV2HeaderAt + 4));
    EXPECT_EQ(32u, U32At(file, kV2HeaderAt + 8));
    EXPECT_EQ(verifier.size(), U32At(file, kV2HeaderAt + 12));
    EXPECT_EQ(check.size(), U32At(file, kV2HeaderAt + 16));
    EXPECT_EQ(0u, U32At(file, kV2HeaderAt + 20));
    EXPECT_EQ(0u, U32At(file, kV2HeaderAt + 24));
    size_t i = kV2HeaderAt + 28;
    EXPECT_EQ(verifier, Bytes(file.begin() + (ptrdiff_t)i, file.begin() + (ptrdiff_t)(i + verifier.size())));
    i += verifier.size();
    EXPECT_EQ(check, Bytes(file.begin() + (ptrdiff_t)i, file.begin() + (ptrdiff_t)(i + check.size())));
    i += check.size();
    const Bytes cipher(file.begin() + (ptrdiff_t)i, file.end());
    EXPECT_EQ((plain.size() + 15) / 16 * 16, cipher.size());
    Bytes deciphered = DecipherChunks(crypt.handler, dwCipher, dwHash, 32, kPassword, cipher);
    deciphered.resize(plain.size());
    EXPECT_EQ(plain, deciphered);
    EXPECT_TRUE(temps.Added().empty()); // the copy went with its document

    // Opened through the prompt, and saved again without asking.
    {
        CTestPrompts prompts;
        prompts.passwords.push_back(kPassword);
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, strPath));
        EXPECT_EQ(1, prompts.nPasswordRequests);
        EXPECT_TRUE(prompts.boxes.empty());
        EXPECT_TRUE(doc.IsEncryptedNotebook());
        EXPECT_EQ(dwCipher, doc.GetCryptHeader().dwCipherId);
        EXPECT_EQ(dwHash, doc.GetCryptHeader().dwHashId);
        EXPECT_EQ(check.size(), doc.GetCryptHeader().dwCheckBlockLength);
        EXPECT_NE(doc.Data_GetSourcePath(), strPath);
        ExpectContent(doc, content);

        ASSERT_TRUE(doc.Data_WriteFile());
        EXPECT_EQ(1, prompts.nPasswordRequests);
        ExpectContent(doc, content);
    }
    ExpectReopensWhole(strPath, kPassword, content);
    EXPECT_TRUE(temps.Added().empty());
}

TEST(EncryptedNotebookTest, WrongPasswordCancelAndNoLibraryRefuseAndLeaveNoTemporaryFile)
{
    CCryptInstall crypt;
    CTempDir dir;
    const CContent content;
    const CString strPath = SaveEncrypted(dir, "locked.qlc", crypt.handler, content);
    CString strDenied, strDeniedCaption;
    strDenied.LoadString(1015);
    ASSERT_FALSE(strDenied.IsEmpty());
    EXPECT_STREQ("You cannot access this encrypted file.\n\nEncryption is not available or not compatible.", strDenied);
    CTempFilesWatch temps;

    {
        SCOPED_TRACE("wrong password");
        CTestPrompts prompts;
        prompts.passwords.push_back("wrong horse");
        CQuillcrestDoc doc;
        EXPECT_EQ(2, OpenNotebook(doc, strPath));
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("Incorrect Password - Access Denied", prompts.boxes[0].text);
        EXPECT_EQ("Open File", prompts.boxes[0].caption);
        EXPECT_EQ((UINT)MB_ICONWARNING, prompts.boxes[0].nType);
        EXPECT_EQ(strPath, doc.Data_GetSourcePath());
    }
    EXPECT_TRUE(temps.Added().empty());
    {
        SCOPED_TRACE("cancelled");
        CTestPrompts prompts; // no password: the prompt is cancelled
        CQuillcrestDoc doc;
        EXPECT_EQ(2, OpenNotebook(doc, strPath));
        EXPECT_EQ(1, prompts.nPasswordRequests);
        EXPECT_TRUE(prompts.boxes.empty());
    }
    EXPECT_TRUE(temps.Added().empty());
    {
        SCOPED_TRACE("no library");
        CCryptInstall absent(FALSE);
        CTestPrompts prompts;
        prompts.passwords.push_back(kPassword);
        CQuillcrestDoc doc;
        EXPECT_EQ(2, OpenNotebook(doc, strPath));
        EXPECT_EQ(0, prompts.nPasswordRequests);
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ(std::string(strDenied), prompts.boxes[0].text);
        EXPECT_EQ("Access Denied", prompts.boxes[0].caption);
        EXPECT_EQ((UINT)MB_ICONWARNING, prompts.boxes[0].nType);
        EXPECT_EQ(nullptr, prompts.boxes[0].hOwner);
    }
    EXPECT_TRUE(temps.Added().empty());

    // Header values the library cannot serve: refused before the prompt.
    const Bytes good = ReadFileBytes(strPath);
    const struct
    {
        const char* what;
        size_t nField;
        DWORD dwValue;
        BOOL bAsks;
    } refusals[] = {
        { "unknown cipher", 0, 0x999, FALSE },
        { "unknown hash", 4, 0x999, FALSE },
        { "key longer than any", 8, 1000, FALSE },
        // Supported and short enough, but no cipher object for it: after the
        // prompt, still "Access Denied" and result 2.
        { "key shorter than the cipher takes", 8, 8, TRUE },
    };
    for (const auto& r : refusals)
    {
        SCOPED_TRACE(r.what);
        Bytes bad = good;
        PutU32(bad, kV2HeaderAt + r.nField, r.dwValue);
        const CString strBad = dir.Path("bad.qlc");
        WriteFileBytes(strBad, bad);
        CTestPrompts prompts;
        prompts.passwords.push_back(kPassword);
        {
            CQuillcrestDoc doc;
            EXPECT_EQ(2, OpenNotebook(doc, strBad));
        }
        EXPECT_EQ(r.bAsks ? 1 : 0, prompts.nPasswordRequests);
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("Access Denied", prompts.boxes[0].caption);
        EXPECT_EQ(std::string(strDenied), prompts.boxes[0].text);
        EXPECT_TRUE(temps.Added().empty());
    }

    // Lengths the file cannot hold: a damaged file, not a notebook.
    for (size_t nField : { 12u, 16u })
    {
        SCOPED_TRACE(nField == 12 ? "verifier length" : "check-block length");
        Bytes bad = good;
        PutU32(bad, kV2HeaderAt + nField, (DWORD)bad.size());
        const CString strBad = dir.Path("long.qlc");
        WriteFileBytes(strBad, bad);
        CTestPrompts prompts;
        prompts.passwords.push_back(kPassword);
        {
            CQuillcrestDoc doc;
            EXPECT_EQ(0, OpenNotebook(doc, strBad));
        }
        EXPECT_EQ(0, prompts.nPasswordRequests);
        ASSERT_EQ(1u, prompts.boxes.size());
        EXPECT_EQ("Load Failed", prompts.boxes[0].caption);
        EXPECT_EQ(0u, prompts.boxes[0].text.find("Failed to open '"));
        EXPECT_TRUE(temps.Added().empty());
    }
}

TEST(EncryptedNotebookTest, ACopyThatIsNoNotebookIsRemovedAtOnce)
{
    CCryptInstall crypt;
    CTempDir dir;
    // A right verifier around bytes that are no notebook.
    const DWORD dwCipher = kAes, dwHash = kSha256;
    const Bytes verifier = VerifierOf(crypt.handler, dwCipher, dwHash, 24, "pw");
    CByteBuilder b;
    b.Magic("Encrypted Quillcrest File V2");
    b.U32(dwCipher).U32(dwHash).U32(24).U32((DWORD)verifier.size()).U32(0).U32(0).U32(0);
    b.Raw(verifier);
    b.Raw(EncipherChunks(crypt.handler, dwCipher, dwHash, 24, "pw", TextBytes(500, 1)));
    const CString strPath = dir.Path("junk.qlc");
    WriteFileBytes(strPath, b.Get());

    CTempFilesWatch temps;
    CTestPrompts prompts;
    prompts.passwords.push_back("pw");
    {
        CQuillcrestDoc doc;
        EXPECT_EQ(0, OpenNotebook(doc, strPath));
        EXPECT_EQ(strPath, doc.Data_GetSourcePath());
        EXPECT_EQ(1u, temps.Added().size()); // the work file only
    }
    ASSERT_EQ(1u, prompts.boxes.size());
    EXPECT_EQ("Load Failed", prompts.boxes[0].caption);
    EXPECT_TRUE(temps.Added().empty());
}

TEST(EncryptedNotebookTest, AV1FileOpensAndIsSavedAsV2WithACheckBlock)
{
    CCryptInstall crypt;
    CTempDir dir;
    const CContent content;

    // A plain notebook wrapped by the test in the first envelope.
    Bytes plain;
    {
        CQuillcrestDoc doc;
        Fill(doc, content);
        const CString strPlain = dir.Path("plain.qlc");
        doc.Data_SetNotebookPath(strPlain);
        ASSERT_TRUE(doc.Data_WriteFile());
        doc.Data_CloseNotebookFiles();
        plain = ReadFileBytes(strPlain);
    }
    const Bytes verifier = VerifierOf(crypt.handler, kBlowfish, kSha1, 16, "v1 pw");
    CByteBuilder b;
    b.Magic("Encrypted Quillcrest File");
    b.U32(kBlowfish).U32(kSha1).U32(16).U32((DWORD)verifier.size());
    b.Raw(verifier);
    b.Raw(EncipherChunks(crypt.handler, kBlowfish, kSha1, 16, "v1 pw", plain));
    const CString strPath = dir.Path("v1.qlc");
    WriteFileBytes(strPath, b.Get());

    CTempFilesWatch temps;
    {
        CTestPrompts prompts;
        prompts.passwords.push_back("v1 pw");
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, strPath));
        ExpectContent(doc, content);
        const QLCCRYPTHEADER& h = doc.GetCryptHeader();
        EXPECT_EQ(kBlowfish, h.dwCipherId);
        EXPECT_EQ(kSha1, h.dwHashId);
        EXPECT_EQ(16u, h.dwKeyLength);
        EXPECT_EQ(CheckBlockOf(crypt.handler, "v1 pw").size(), h.dwCheckBlockLength);
        ASSERT_TRUE(doc.Data_WriteFile());
    }
    const Bytes file = ReadFileBytes(strPath);
    EXPECT_EQ(MagicBytes("Encrypted Quillcrest File V2"), Bytes(file.begin(), file.begin() + 62));
    const DWORD dwVerifier = U32At(file, kV2HeaderAt + 12);
    const DWORD dwCheck = U32At(file, kV2HeaderAt + 16);
    const Bytes check = CheckBlockOf(crypt.handler, "v1 pw");
    ASSERT_EQ(check.size(), dwCheck);
    const size_t iCheck = kV2HeaderAt + 28 + dwVerifier;
    EXPECT_EQ(check, Bytes(file.begin() + (ptrdiff_t)iCheck, file.begin() + (ptrdiff_t)(iCheck + dwCheck)));
    ExpectReopensWhole(strPath, "v1 pw", content);
    EXPECT_TRUE(temps.Added().empty());
}

TEST(EncryptedNotebookTest, TheNotebookIsPaddedToTheBlockOnlyWhenItNeedsIt)
{
    CCryptInstall crypt;
    CTempDir dir;
    // The plain length grows one byte with each character of a node name.
    size_t nBase = 0;
    {
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        AddNode(doc, QLC_NODE_FOLDER, "");
        ASSERT_TRUE(doc.Data_SetFileEncryption(kAes, 16, kSha1, "p", 1));
        doc.Data_SetNotebookPath(dir.Path("base.qlc"));
        ASSERT_TRUE(doc.Data_WriteFile());
        nBase = ReadFileBytes(doc.Data_GetSourcePath()).size();
    }
    for (size_t nExtra : { 0u, 1u })
    {
        const size_t nName = (16 - nBase % 16) % 16 + nExtra;
        SCOPED_TRACE(testing::Message() << "plain length " << nBase + nName);
        CQuillcrestDoc doc;
        ASSERT_TRUE(doc.OnNewDocument());
        AddNode(doc, QLC_NODE_FOLDER, std::string(nName, 'n').c_str());
        ASSERT_TRUE(doc.Data_SetFileEncryption(kAes, 16, kSha1, "p", 1));
        const CString strPath = dir.Path("pad.qlc");
        doc.Data_SetNotebookPath(strPath);
        ASSERT_TRUE(doc.Data_WriteFile());
        const size_t nPlain = ReadFileBytes(doc.Data_GetSourcePath()).size();
        ASSERT_EQ(nBase + nName, nPlain);
        const Bytes file = ReadFileBytes(strPath);
        const size_t nCipher = file.size() - (kV2HeaderAt + 28 + U32At(file, kV2HeaderAt + 12) + U32At(file, kV2HeaderAt + 16));
        EXPECT_EQ(nExtra ? nPlain + 15 : nPlain, nCipher);
    }
}

TEST(EncryptedNotebookTest, TurningEncryptionOffWritesAPlainNotebook)
{
    CCryptInstall crypt;
    CTempDir dir;
    const CContent content;
    const CString strPath = SaveEncrypted(dir, "locked.qlc", crypt.handler, content);
    CTempFilesWatch temps;
    {
        CTestPrompts prompts;
        prompts.passwords.push_back(kPassword);
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, strPath));
        const CString strCopy = doc.Data_GetSourcePath();
        EXPECT_TRUE(doc.Data_SetFileEncryption(0, 0, 0, "", 0));
        EXPECT_FALSE(doc.IsEncryptedNotebook());
        ASSERT_TRUE(doc.Data_WriteFile());
        EXPECT_EQ(strPath, doc.Data_GetSourcePath());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strCopy)); // the old copy is gone
        ExpectContent(doc, content);
    }
    const Bytes file = ReadFileBytes(strPath);
    EXPECT_EQ(MagicBytes("Quillcrest File"), Bytes(file.begin(), file.begin() + 36));
    {
        CTestPrompts prompts;
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, strPath));
        EXPECT_EQ(0, prompts.nPasswordRequests);
        EXPECT_FALSE(doc.IsEncryptedNotebook());
        ExpectContent(doc, content);
    }
    EXPECT_TRUE(temps.Added().empty());
}

TEST(EncryptedNotebookTest, SetFileEncryptionChangesNothingTheLibraryCannotDo)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_TRUE(doc.Data_SetFileEncryption(kAes, 32, kSha256, "pw", 2));
    const QLCCRYPTHEADER before = doc.GetCryptHeader();
    EXPECT_EQ(CheckBlockOf(crypt.handler, "pw").size(), before.dwCheckBlockLength);

    EXPECT_FALSE(doc.Data_SetFileEncryption(0x999, 16, kSha256, "x", 1));
    EXPECT_FALSE(doc.Data_SetFileEncryption(kAes, 16, 0x999, "x", 1));
    EXPECT_FALSE(doc.Data_SetFileEncryption(kAes, 64, kSha256, "x", 1));
    crypt.handler.Unload();
    EXPECT_FALSE(doc.Data_SetFileEncryption(kAes, 16, kSha256, "x", 1));
    const QLCCRYPTHEADER& after = doc.GetCryptHeader();
    EXPECT_EQ(0, memcmp(&before, &after, sizeof(before)));
}

TEST(EncryptedNotebookTest, AFailedSaveLeavesNoDecryptedCopyBehind)
{
    CCryptInstall crypt;
    CTempDir dir;
    const CContent content;
    const CString strPath = SaveEncrypted(dir, "locked.qlc", crypt.handler, content);
    CTempFilesWatch temps;
    {
        CTestPrompts prompts;
        prompts.passwords.push_back(kPassword);
        CQuillcrestDoc doc;
        ASSERT_EQ(1, OpenNotebook(doc, strPath));
        // A first save reopens the notebook shared for reading.
        ASSERT_TRUE(doc.Data_WriteFile());
        const Bytes saved = ReadFileBytes(strPath);
        CTempFilesWatch open; // the work file and the decrypted copy are there now

        // The target is held open: the replace fails.
        HANDLE hHold = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, hHold);
        EXPECT_FALSE(doc.Data_WriteFile());
        CloseHandle(hHold);
        EXPECT_TRUE(open.Added().empty());
        EXPECT_EQ(saved, ReadFileBytes(strPath));

        // The library went away: no encryptor, the target is not touched.
        crypt.handler.Unload();
        EXPECT_FALSE(doc.Data_WriteFile());
        EXPECT_TRUE(open.Added().empty());
        EXPECT_EQ(saved, ReadFileBytes(strPath));

        // Back again, the save goes through and the notebook is whole.
        ASSERT_TRUE(crypt.handler.Load());
        ASSERT_TRUE(doc.Data_WriteFile());
        ExpectContent(doc, content);
    }
    EXPECT_TRUE(temps.Added().empty());
    ExpectReopensWhole(strPath, kPassword, content);
}
