// The binding of the encryption library: loading by name, refusing a module
// that lacks an ordinal, and the helpers every caller goes through.
#include "core/CCryptDLLHandler.h"
#include "core/CQlcAppServices.h"

#include "CryptTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

TEST(CryptBindingTest, LoadsTheLibraryBesideTheProgramAndBindsEveryCalledOrdinal)
{
    CLogWatch log;
    CCryptDLLHandler crypt;
    EXPECT_FALSE(crypt.IsLoaded());
    ASSERT_TRUE(crypt.Load());
    EXPECT_TRUE(crypt.IsLoaded());
    EXPECT_EQ(0, crypt.GetMissingOrdinal());
    EXPECT_TRUE(crypt.Load()); // a second load changes nothing

    EXPECT_NE(nullptr, crypt.m_pfnProcessBuffer);
    EXPECT_NE(nullptr, crypt.m_pfnMakeVerifier);
    EXPECT_NE(nullptr, crypt.m_pfnCreateEncryptor);
    EXPECT_NE(nullptr, crypt.m_pfnCreateDecryptor);
    EXPECT_NE(nullptr, crypt.m_pfnGetMaxKeyLength);
    EXPECT_NE(nullptr, crypt.m_pfnGetFirstCipher);
    EXPECT_NE(nullptr, crypt.m_pfnGetFirstHash);
    EXPECT_NE(nullptr, crypt.m_pfnGetNextCipher);
    EXPECT_NE(nullptr, crypt.m_pfnGetNextHash);
    EXPECT_NE(nullptr, crypt.m_pfnGetVerifierSize);
    EXPECT_NE(nullptr, crypt.m_pfnGetDefaultCipher);
    EXPECT_NE(nullptr, crypt.m_pfnGetDefaultHash);
    EXPECT_NE(nullptr, crypt.m_pfnDeriveKey);
    EXPECT_NE(nullptr, crypt.m_pfnIsAlgorithmSupported);
    EXPECT_NE(nullptr, crypt.m_pfnMakeCheckBlock);
    // Bound though never called.
    EXPECT_NE(nullptr, crypt.m_pfnReserved2);
    EXPECT_NE(nullptr, crypt.m_pfnReserved21);

    EXPECT_EQ(kAes, crypt.m_pfnGetDefaultCipher());
    EXPECT_EQ(kSha256, crypt.m_pfnGetDefaultHash());

    crypt.Unload();
    EXPECT_FALSE(crypt.IsLoaded());
    EXPECT_EQ(nullptr, crypt.m_pfnDeriveKey);

    const std::string text = log.NewText();
    EXPECT_NE(std::string::npos, text.find("Calling LoadLibrary(\"qlccrypt.dll\")...Done.\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Unloading qlccrypt.dll...Done.\r\n")) << text;
    EXPECT_EQ(1u, CountOf(text, "Calling LoadLibrary")); // the second Load did nothing
}

TEST(CryptBindingTest, AModuleLackingAnOrdinalCountsAsNotLoaded)
{
    CLogWatch log;
    const CString strMissing = ExeFolder() + "qlccrypt_missing\\qlccrypt.dll";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strMissing)) << "test library not built";

    CCryptDLLHandler crypt;
    EXPECT_FALSE(crypt.Load(strMissing));
    EXPECT_FALSE(crypt.IsLoaded());
    EXPECT_EQ(22, crypt.GetMissingOrdinal());
    // Nothing is left to be called through.
    EXPECT_EQ(nullptr, crypt.m_pfnProcessBuffer);
    EXPECT_EQ(nullptr, crypt.m_pfnMakeCheckBlock);
    // The module was freed again.
    EXPECT_EQ(nullptr, GetModuleHandleA(strMissing));

    // Installed as the application's binding it means "no encryption".
    {
        CCryptInstall install(FALSE);
        install.handler.Load(strMissing);
        EXPECT_EQ(nullptr, QlcCrypt());
        EXPECT_FALSE(install.handler.CanUseCipher(kAes, 32));
    }

    const std::string text = log.NewText();
    EXPECT_NE(std::string::npos, text.find("qlccrypt.dll\")...FAILED.\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("WARNING: The encryption library lacks its function 22")) << text;
}

TEST(CryptBindingTest, AMissingLibraryIsNotLoaded)
{
    CLogWatch log;
    CCryptDLLHandler crypt;
    EXPECT_FALSE(crypt.Load("qlccrypt-not-there.dll"));
    EXPECT_FALSE(crypt.IsLoaded());
    EXPECT_EQ(0, crypt.GetMissingOrdinal());
    crypt.Unload(); // nothing to unload, nothing logged
    const std::string text = log.NewText();
    EXPECT_NE(std::string::npos, text.find("Calling LoadLibrary(\"qlccrypt-not-there.dll\")...FAILED.\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("Unloading"));
}

TEST(CryptBindingTest, QlcCryptAnswersOnlyForALoadedBinding)
{
    CCryptDLLHandler* pPrevious = QlcApp().GetCryptHandler();
    QlcApp().SetCryptHandler(nullptr);
    EXPECT_EQ(nullptr, QlcCrypt());
    {
        CCryptInstall install(FALSE);
        EXPECT_EQ(nullptr, QlcCrypt());
        ASSERT_TRUE(install.handler.Load());
        EXPECT_EQ(&install.handler, QlcCrypt());
        install.handler.Unload();
        EXPECT_EQ(nullptr, QlcCrypt());
    }
    QlcApp().SetCryptHandler(pPrevious);
}

TEST(CryptBindingTest, CanUseCipherNeedsTheCipherAndItsKeyLength)
{
    CCryptDLLHandler crypt;
    EXPECT_FALSE(crypt.CanUseCipher(kAes, 16)); // not loaded
    ASSERT_TRUE(crypt.Load());
    const DWORD dwMax = crypt.m_pfnGetMaxKeyLength();
    EXPECT_TRUE(crypt.CanUseCipher(kAes, 32));
    EXPECT_TRUE(crypt.CanUseCipher(kBlowfish, dwMax));
    EXPECT_FALSE(crypt.CanUseCipher(kBlowfish, dwMax + 1));
    EXPECT_FALSE(crypt.CanUseCipher(0x999, 16));
    EXPECT_FALSE(crypt.CanUseCipher(0, 0));
}

TEST(CryptBindingTest, HelpersGiveDeterministicKeysVerifiersAndCheckBlocks)
{
    CCryptDLLHandler crypt;
    // Without the library nothing is made.
    EXPECT_FALSE(crypt.CreateCipher(TRUE, kAes, kSha256, 32, "pw", 2));
    EXPECT_TRUE(crypt.MakeCheckBlock("pw", 2).empty());
    CSecureBytes key;
    EXPECT_FALSE(crypt.DeriveKey(kSha256, "pw", 2, key, 32));
    ASSERT_TRUE(crypt.Load());

    CSecureBytes key1, key2, key3;
    EXPECT_TRUE(crypt.DeriveKey(kSha256, "secret", 6, key1, 32));
    EXPECT_TRUE(crypt.DeriveKey(kSha256, "secret", 6, key2, 32));
    EXPECT_TRUE(crypt.DeriveKey(kSha256, "secreT", 6, key3, 32));
    EXPECT_EQ(32u, key1.size());
    EXPECT_EQ(key1, key2);
    EXPECT_NE(key1, key3);
    EXPECT_TRUE(crypt.DeriveKey(kSha1, "", 0, key3, 16)); // an empty password is a password
    EXPECT_FALSE(crypt.DeriveKey(0x999, "secret", 6, key3, 16));
    EXPECT_EQ(CSecureBytes(16, 0), key3);

    const Bytes v1 = VerifierOf(crypt, kAes, kSha256, 32, "secret");
    const Bytes v2 = VerifierOf(crypt, kAes, kSha256, 32, "secret");
    const Bytes v3 = VerifierOf(crypt, kAes, kSha256, 32, "other");
    ASSERT_FALSE(v1.empty());
    EXPECT_EQ(v1, v2);
    EXPECT_NE(v1, v3);

    const Bytes c1 = CheckBlockOf(crypt, "secret");
    EXPECT_FALSE(c1.empty());
    EXPECT_EQ(c1, CheckBlockOf(crypt, "secret"));
    EXPECT_NE(c1, CheckBlockOf(crypt, "other"));

    // Out of the cipher's key range or unknown: no object.
    EXPECT_FALSE(crypt.CreateCipher(TRUE, kAes, kSha256, 8, "pw", 2));
    EXPECT_FALSE(crypt.CreateCipher(FALSE, 0x999, kSha256, 16, "pw", 2));
    EXPECT_FALSE(crypt.CreateCipher(TRUE, kAes, 0x999, 16, "pw", 2)); // no key from an unknown hash
    CQlcCipherPtr pBlowfish = crypt.CreateCipher(FALSE, kBlowfish, kSha1, 56, "pw", 2);
    ASSERT_TRUE(pBlowfish);
    EXPECT_EQ(8u, CCryptDLLHandler::GetBlockSize(pBlowfish.get()));
    EXPECT_EQ(0u, CCryptDLLHandler::GetBlockSize(nullptr));
}

TEST(CryptBindingTest, ChunkedEncipheringInvertsForBothBlockSizes)
{
    CCryptDLLHandler crypt;
    ASSERT_TRUE(crypt.Load());
    for (DWORD dwCipher : { kAes, kBlowfish })
    {
        const Bytes plain = NoiseBytes(16 * 2048 * 2 + 5, dwCipher);
        const Bytes cipher = EncipherChunks(crypt, dwCipher, kSha1, 16, "pw", plain);
        const DWORD dwBlock = dwCipher == kAes ? 16 : 8;
        EXPECT_EQ((plain.size() + dwBlock - 1) / dwBlock * dwBlock, cipher.size());
        Bytes back = DecipherChunks(crypt, dwCipher, kSha1, 16, "pw", cipher);
        back.resize(plain.size());
        EXPECT_EQ(plain, back);
    }
}

// A worker's cipher keeps the module loaded: Unload waits for it to be
// deleted, and refuses new uses meanwhile.
TEST(CryptBindingTest, UnloadWaitsForTheCiphersOfWorkers)
{
    CCryptDLLHandler crypt;
    ASSERT_TRUE(crypt.Load());
    CQlcCipherPtr pCipher = crypt.CreateCipher(TRUE, kAes, kSha256, 16, "pw", 2);
    ASSERT_TRUE(pCipher);
    EXPECT_EQ(1, crypt.GetUseCount());
    {
        CCryptUse use(&crypt);
        EXPECT_TRUE(use.IsHeld());
        EXPECT_EQ(2, crypt.GetUseCount());
    }
    EXPECT_EQ(1, crypt.GetUseCount());

    struct CWorker
    {
        CCryptDLLHandler* pCrypt;
        CQlcCipherPtr* pCipher;
        volatile LONG bRefusedWhileUnloading;
        volatile LONG bDeletedBeforeUnload;
    } work = { &crypt, &pCipher, FALSE, FALSE };
    std::thread worker([&work]() {
        CWorker* w = &work;
        // Wait until the interface thread is in Unload.
        for (int i = 0; i < 500 && w->pCrypt->AddUse(); ++i)
        {
            w->pCrypt->ReleaseUse();
            Sleep(2);
        }
        w->bRefusedWhileUnloading = !w->pCrypt->AddUse();
        // The library is still there: the cipher still works.
        BYTE block[16] = {};
        w->pCrypt->m_pfnProcessBuffer(w->pCipher->get(), block, sizeof(block));
        w->bDeletedBeforeUnload = w->pCrypt->IsLoaded();
        w->pCipher->reset();
    });
    crypt.Unload();
    worker.join();

    EXPECT_TRUE(work.bRefusedWhileUnloading);
    EXPECT_TRUE(work.bDeletedBeforeUnload);
    EXPECT_FALSE(crypt.IsLoaded());
    EXPECT_EQ(0, crypt.GetUseCount());
    EXPECT_FALSE(crypt.AddUse());
}
