// Secrets are wiped before their memory is freed: the notebook password on
// every way out of opening an encrypted notebook (right, wrong, refused by
// the library, failed, old envelope), the keys made from it, and the
// deciphered payload of an encrypted node however it is read. Every block
// freed meanwhile is searched for them (see CFreeWatch).
#include "CFreeWatch.h"

#include "core/CQlcNode.h"
#include "core/CQlcNodeData.h"
#include "core/CQuillcrestDoc.h"

#include "framework/base/CException.h"

#include "CryptTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Longer than a string keeps inside itself: every copy of it is a block of
// its own.
const char kPassword[] = "the-notebook-password-of-someone-else";
const char kWrongPassword[] = "a-wrong-password-typed-at-the-prompt";

// Answers the password prompt from a string it keeps, so that the test's
// own copies are not freed while watching.
class CKeptPasswordPrompts : public CTestPrompts
{
public:
    explicit CKeptPasswordPrompts(LPCSTR lpszPassword) : m_strAnswer(lpszPassword) {}
    BOOL AskPassword(CString& strPassword) override
    {
        ++nPasswordRequests;
        strPassword = m_strAnswer;
        return TRUE;
    }

private:
    CString m_strAnswer;
};

// Plain text no compressor or cipher leaves as it is.
std::string SecretText()
{
    std::string text;
    for (int i = 0; text.size() < 6000; ++i)
        text += "Secret line " + std::to_string(i * 7919 % 10007) + " of a page nobody else may read.\n";
    return text;
}

CString SaveEncryptedNotebook(const CTempDir& dir, CCryptDLLHandler& crypt)
{
    CQuillcrestDoc doc;
    EXPECT_TRUE(doc.OnNewDocument());
    CQlcNode note;
    note.Create(&doc, QLC_NODE_NOTE, "note", 0);
    const std::string text = SecretText();
    EXPECT_TRUE(WriteNodeData(doc, note.GetId(), Bytes(text.begin(), text.end()), TRUE));
    EXPECT_TRUE(doc.Data_SetFileEncryption(crypt.m_pfnGetDefaultCipher(), 32, crypt.m_pfnGetDefaultHash(), kPassword,
                                           (DWORD)strlen(kPassword)));
    const CString strPath = dir.Path("locked.qlc");
    doc.Data_SetNotebookPath(strPath);
    EXPECT_TRUE(doc.Data_WriteFile());
    return strPath;
}

// The password and the key the notebook's cipher makes of it.
std::vector<std::string> PasswordNeedles(CCryptDLLHandler& crypt, LPCSTR lpszPassword, DWORD dwKeyLength = 32)
{
    CSecureBytes key;
    EXPECT_TRUE(crypt.DeriveKey(crypt.m_pfnGetDefaultHash(), lpszPassword, (DWORD)strlen(lpszPassword), key,
                                dwKeyLength));
    return { lpszPassword, Needle(key.data(), key.size()) };
}

// Opens the notebook at the prompt while watching for the needles; the
// result of the open.
int OpenWatched(LPCSTR lpszPath, LPCSTR lpszTyped, const std::vector<std::string>& needles,
                std::vector<std::string>& findings)
{
    CKeptPasswordPrompts prompts(lpszTyped);
    int nResult = -1;
    {
        CQuillcrestDoc doc;
        CFreeWatch watch(needles);
        try
        {
            nResult = OpenNotebook(doc, lpszPath);
        }
        catch (CException&)
        {
            nResult = -2;
        }
        EXPECT_GT(watch.GetFreedCount(), 0u);
        findings = watch.GetFindings();
    }
    EXPECT_EQ(1, prompts.nPasswordRequests);
    return nResult;
}

DWORD U32At(const Bytes& b, size_t i)
{
    return (DWORD)b.at(i) | ((DWORD)b.at(i + 1) << 8) | ((DWORD)b.at(i + 2) << 16) | ((DWORD)b.at(i + 3) << 24);
}

// Points the temporary folder (TMP) elsewhere for the scope.
class CTempFolderAt
{
public:
    explicit CTempFolderAt(LPCSTR lpszFolder)
    {
        char szOld[MAX_PATH] = {};
        m_bHadOld = GetEnvironmentVariableA("TMP", szOld, MAX_PATH) != 0;
        m_strOld = szOld;
        SetEnvironmentVariableA("TMP", lpszFolder);
    }
    ~CTempFolderAt() { SetEnvironmentVariableA("TMP", m_bHadOld ? m_strOld.c_str() : nullptr); }

private:
    std::string m_strOld;
    BOOL m_bHadOld;
};

} // namespace

TEST(SecretWipeTest, TheNotebookPasswordIsWipedOnEveryWayOutOfOpening)
{
    CCryptInstall crypt;
    CTempDir dir;
    const CString strPath = SaveEncryptedNotebook(dir, crypt.handler);
    std::vector<std::string> findings;

    EXPECT_EQ(1, OpenWatched(strPath, kPassword, PasswordNeedles(crypt.handler, kPassword), findings));
    EXPECT_TRUE(findings.empty()) << "the right password: " << ::testing::PrintToString(findings);

    EXPECT_EQ(2, OpenWatched(strPath, kWrongPassword, PasswordNeedles(crypt.handler, kWrongPassword), findings));
    EXPECT_TRUE(findings.empty()) << "a wrong password: " << ::testing::PrintToString(findings);

    // A key length the cipher takes no object for: refused after the prompt.
    const Bytes good = ReadFileBytes(strPath);
    Bytes shortKey = good;
    const size_t nKeyLength = 4 + 58 + 8;
    ASSERT_EQ(32u, U32At(shortKey, nKeyLength));
    shortKey[nKeyLength] = 8;
    const CString strShortKey = dir.Path("short.qlc");
    WriteFileBytes(strShortKey, shortKey);
    EXPECT_EQ(2, OpenWatched(strShortKey, kPassword, PasswordNeedles(crypt.handler, kPassword, 8), findings));
    EXPECT_TRUE(findings.empty()) << "no cipher object: " << ::testing::PrintToString(findings);

    // No temporary folder for the decrypted copy: the open throws.
    {
        CTempFolderAt missing(dir.Path("missing\\"));
        EXPECT_EQ(-2, OpenWatched(strPath, kPassword, PasswordNeedles(crypt.handler, kPassword), findings));
    }
    EXPECT_TRUE(findings.empty()) << "a failed open: " << ::testing::PrintToString(findings);

    // The first envelope has no check block: it is made from the password.
    const DWORD dwVerifier = U32At(good, 4 + 58 + 12);
    const DWORD dwCheck = U32At(good, 4 + 58 + 16);
    CByteBuilder v1;
    v1.Magic("Encrypted Quillcrest File");
    v1.U32(U32At(good, 62)).U32(U32At(good, 66)).U32(32).U32(dwVerifier);
    v1.Raw(Bytes(good.begin() + 62 + 28, good.begin() + 62 + 28 + dwVerifier));
    v1.Raw(Bytes(good.begin() + 62 + 28 + dwVerifier + dwCheck, good.end()));
    const CString strV1 = dir.Path("v1.qlc");
    WriteFileBytes(strV1, v1.Get());
    std::vector<std::string> needles = PasswordNeedles(crypt.handler, kPassword);
    const Bytes check = CheckBlockOf(crypt.handler, kPassword);
    ASSERT_FALSE(check.empty());
    needles.push_back(Needle(check.data(), check.size()));
    EXPECT_EQ(1, OpenWatched(strV1, kPassword, needles, findings));
    EXPECT_TRUE(findings.empty()) << "the first envelope: " << ::testing::PrintToString(findings);
}

TEST(SecretWipeTest, TheDecipheredPayloadOfAnEncryptedNodeIsWipedBeforeItIsFreed)
{
    CCryptInstall crypt;
    CQuillcrestDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    CQlcNode secret;
    secret.Create(&doc, QLC_NODE_HTML, "secret", 0);
    ASSERT_TRUE(secret.SetEncryption(kBlowfish, 16, kSha1, "node pw", 7, nullptr, 0));
    const std::string text = SecretText();
    ASSERT_TRUE(WriteNodeData(doc, secret.GetId(), Bytes(text.begin(), text.end()), TRUE));
    RememberPassword(doc, secret.GetId(), "node pw");

    // Pieces of the page from its start, its middle and its end, and of the
    // compressed stream that is deciphered before it is decompressed.
    QLCNODE record;
    ASSERT_TRUE(doc.Data_GetNode(secret.GetId(), record));
    const CEnvelopeParts envelope = SplitEnvelope(ReadStoredPayload(doc, secret.GetId()), record.dwVerifierLength);
    Bytes gzip = DecipherChunks(crypt.handler, kBlowfish, kSha1, 16, "node pw", envelope.ciphertext);
    gzip.resize(envelope.dwDataLength);
    ASSERT_EQ(Bytes(text.begin(), text.end()), Gunzip(gzip));
    const std::vector<std::string> needles = { text.substr(0, 40), text.substr(text.size() / 2, 40),
                                               text.substr(text.size() - 40), Needle(gzip.data() + 100, 32) };

    {
        SCOPED_TRACE("read through the node's payload");
        Bytes read(text.size() + 100);
        size_t nRead = 0;
        CFreeWatch watch(needles);
        {
            CQlcNode node(&doc, secret.GetId());
            CQlcNodeData* pData = node.GetDataForRead();
            ASSERT_NE(nullptr, pData);
            for (UINT n; (n = pData->Get(read.data() + nRead, 1000)) != 0;)
                nRead += n;
        }
        watch.Stop();
        EXPECT_EQ(text, std::string(read.begin(), read.begin() + (ptrdiff_t)nRead));
        EXPECT_TRUE(watch.GetFindings().empty()) << ::testing::PrintToString(watch.GetFindings());
    }
    {
        SCOPED_TRACE("read whole by the document");
        CSecureBytes page;
        UINT nReason = 0;
        CFreeWatch watch(needles);
        EXPECT_TRUE(doc.Data_ReadPayload(secret.GetId(), page, nReason));
        watch.Stop();
        EXPECT_EQ(text, std::string(page.begin(), page.end()));
        EXPECT_TRUE(watch.GetFindings().empty()) << ::testing::PrintToString(watch.GetFindings());
    }
    {
        SCOPED_TRACE("copied to a file");
        CTempDir dir;
        CFreeWatch watch(needles);
        EXPECT_TRUE(doc.Data_CopyToFile(secret.GetId(), dir.Path("page.html")));
        watch.Stop();
        EXPECT_TRUE(watch.GetFindings().empty()) << ::testing::PrintToString(watch.GetFindings());
    }
}
