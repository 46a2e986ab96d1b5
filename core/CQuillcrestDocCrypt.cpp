// Encrypted notebook files: the envelope around a plain notebook.
#include "core/CQuillcrestDoc.h"

#include "core/CCryptDLLHandler.h"
#include "core/CLog.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcFileReader.h"
#include "core/CQlcFileWriter.h"
#include "core/CQlcTempFile.h"
#include "core/IQlcFileProbe.h"
#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxSecure.h"

#include <algorithm>
#include <cstring>

namespace {

// The notebook is enciphered in chunks of this many cipher blocks.
const DWORD kBlocksPerChunk = 2048;

void Wipe(CSecureBytes& bytes)
{
    AfxSecureWipe(bytes);
    bytes.clear();
}

void WriteMagic(CQlcFileWriter& writer, LPCSTR lpszMagic)
{
    const size_t n = strlen(lpszMagic);
    writer.WriteU32((DWORD)(2 * (n + 1)));
    for (size_t i = 0; i <= n; ++i)
        writer.WriteU16((WORD)(BYTE)lpszMagic[i]);
}

// Enciphers (or deciphers) dwLength bytes from the reader's position into
// the writer in chunks of whole blocks, the last one padded with zeros to a
// block; each chunk written is reported to the file probe as nProbeStep.
BOOL ProcessChunks(CCryptDLLHandler& crypt, QLC_CIPHER* pCipher, CQlcFileReader& reader, ULONGLONG ullLength,
                   CQlcFileWriter& writer, int nProbeStep)
{
    const DWORD dwBlock = CCryptDLLHandler::GetBlockSize(pCipher);
    const DWORD dwChunk = dwBlock * kBlocksPerChunk;
    // Holds plain notebook bytes on one side of the cipher or the other.
    CSecureBytes chunk(dwChunk);
    for (ULONGLONG ullDone = 0; ullDone < ullLength;)
    {
        const DWORD u = (DWORD)std::min<ULONGLONG>(dwChunk, ullLength - ullDone);
        reader.Read(chunk.data(), u);
        const DWORD dwPadded = (u + dwBlock - 1) / dwBlock * dwBlock;
        std::fill(chunk.begin() + u, chunk.begin() + dwPadded, 0);
        if (!crypt.m_pfnProcessBuffer(pCipher, chunk.data(), dwPadded))
            return FALSE;
        writer.Write(chunk.data(), dwPadded);
        ullDone += u;
        QlcFileProbeStep(nProbeStep);
    }
    return TRUE;
}

} // namespace

int CQuillcrestDoc::Data_OpenEnvelope(CQlcFileReader& reader)
{
    const BOOL bV1 = m_strMagic == QLC_MAGIC_ENCRYPTED_V1;
    QLCCRYPTHEADER header = {};
    header.dwCipherId = reader.ReadU32();
    header.dwHashId = reader.ReadU32();
    header.dwKeyLength = reader.ReadU32();
    header.dwVerifierLength = reader.ReadU32();
    if (!bV1)
    {
        header.dwCheckBlockLength = reader.ReadU32();
        header.dwReserved[0] = reader.ReadU32();
        header.dwReserved[1] = reader.ReadU32();
    }

    // Lengths from the file that the file cannot hold are damage.
    if ((ULONGLONG)header.dwVerifierLength + header.dwCheckBlockLength > reader.GetRemaining())
    {
        g_log.WriteLine("WARNING: The encrypted notebook's header is damaged.");
        return 0;
    }

    CCryptDLLHandler* pCrypt = QlcCrypt();
    if (pCrypt == nullptr || !pCrypt->m_pfnIsAlgorithmSupported(header.dwCipherId) ||
        !pCrypt->m_pfnIsAlgorithmSupported(header.dwHashId) || pCrypt->m_pfnGetMaxKeyLength() < header.dwKeyLength)
    {
        QlcPrompts().MessageBox(GetMessageOwner(FALSE), AfxLoadText(IDS_QLC_ENCRYPTION_UNAVAILABLE),
                                AfxLoadText(IDS_QLC_CAPTION_ACCESS_DENIED), MB_ICONWARNING);
        return 2;
    }

    // The password lives in a buffer that wipes itself, whichever way this
    // returns or throws; the prompt's string is wiped at once.
    CSecureBytes password;
    {
        CString strPassword;
        BOOL bAnswered = FALSE;
        try
        {
            bAnswered = QlcPrompts().AskPassword(strPassword);
            password.assign(strPassword.GetString(), strPassword.GetString() + strPassword.GetLength());
        }
        catch (...)
        {
            AfxSecureWipe(strPassword);
            throw;
        }
        AfxSecureWipe(strPassword);
        if (!bAnswered)
            return 2;
    }
    const LPCSTR lpszPassword = reinterpret_cast<LPCSTR>(password.data());
    const DWORD dwPasswordLength = (DWORD)password.size();

    CSecureBytes key;
    pCrypt->DeriveKey(header.dwHashId, lpszPassword, dwPasswordLength, key, header.dwKeyLength);
    CQlcCipherPtr pDecryptor = pCrypt->CreateCipherFromKey(FALSE, header.dwCipherId, key);
    CQlcCipherPtr pEncryptor = pCrypt->CreateCipherFromKey(TRUE, header.dwCipherId, key);
    if (!pDecryptor || !pEncryptor)
    {
        QlcPrompts().MessageBox(GetMessageOwner(FALSE), AfxLoadText(IDS_QLC_ENCRYPTION_UNAVAILABLE),
                                AfxLoadText(IDS_QLC_CAPTION_ACCESS_DENIED), MB_ICONWARNING);
        return 2;
    }

    // The password is right when the verifier its key makes is the stored one.
    BOOL bRight = pCrypt->m_pfnGetVerifierSize(pEncryptor.get()) == header.dwVerifierLength &&
                  header.dwVerifierLength != 0;
    if (bRight)
    {
        std::vector<BYTE> stored(header.dwVerifierLength);
        reader.Read(stored.data(), header.dwVerifierLength);
        const std::vector<BYTE> made = pCrypt->MakeVerifier(pEncryptor.get());
        bRight = made == stored;
    }
    if (!bRight)
    {
        QlcPrompts().MessageBox(GetMessageOwner(FALSE), AfxLoadText(IDS_QLC_WRONG_PASSWORD),
                                AfxLoadText(IDS_QLC_CAPTION_OPEN_FILE), MB_ICONWARNING);
        return 2;
    }
    pEncryptor.reset();

    CSecureBytes checkBlock;
    if (header.dwCheckBlockLength != 0)
    {
        checkBlock.resize(header.dwCheckBlockLength);
        reader.Read(checkBlock.data(), header.dwCheckBlockLength);
    }
    else
    {
        // Older envelopes have none: make it, so the next save writes one.
        checkBlock = pCrypt->MakeCheckBlock(lpszPassword, dwPasswordLength);
        header.dwCheckBlockLength = (DWORD)checkBlock.size();
    }

    // The decrypted copy: the plain notebook the document reads from. It is
    // deleted with its handle, also when the program dies, so the handle
    // that writes it is the one the document reads through.
    CQlcTempFile copy;
    if (!copy.CreateInTempFolder(0))
    {
        g_log.WriteLine("WARNING: A temporary file for the decrypted notebook could not be created.");
        throw CFileException(CFileException::genericException, ERROR_CANNOT_MAKE);
    }
    try
    {
        CQlcFileWriter writer(copy.GetHandle(), copy.GetPath(),
                              CCryptDLLHandler::GetBlockSize(pDecryptor.get()) * kBlocksPerChunk);
        if (!ProcessChunks(*pCrypt, pDecryptor.get(), reader, reader.GetRemaining(), writer,
                           IQlcFileProbe::stepChunkDeciphered))
            throw CFileException(CFileException::invalidFile, ERROR_INVALID_DATA);
        writer.Flush();
    }
    catch (...)
    {
        copy.Discard(TRUE);
        throw;
    }
    pDecryptor.reset();

    m_strSourcePath = copy.GetPath();
    m_hSourceFile = copy.Detach();
    Wipe(m_key);
    Wipe(m_checkBlock);
    m_key.swap(key);
    m_checkBlock.swap(checkBlock);
    m_cryptHeader = header;
    return 1;
}

BOOL CQuillcrestDoc::Data_EncipherFile(CQlcTempFile& plainFile, CQlcTempFile& cipherFile)
{
    CCryptDLLHandler* pCrypt = QlcCrypt();
    if (pCrypt == nullptr)
    {
        g_log.WriteLine("WARNING: The encryption library is not available to encipher the notebook.");
        return FALSE;
    }
    CQlcCipherPtr pEncryptor = pCrypt->CreateCipherFromKey(TRUE, m_cryptHeader.dwCipherId, m_key);
    const std::vector<BYTE> verifier = pCrypt->MakeVerifier(pEncryptor.get());
    if (!pEncryptor || verifier.empty())
    {
        g_log.WriteLine("WARNING: The encryption library refused the notebook's cipher.");
        return FALSE;
    }

    // Beside the notebook, which it replaces by a rename.
    if (!cipherFile.CreateBeside(m_strNotebookPath))
    {
        g_log.WriteLine("WARNING: A file for the encrypted notebook could not be created.");
        m_nWriteFailure = IDS_QLC_SAVE_NO_TEMP_FILE;
        return FALSE;
    }
    BOOL bDone = FALSE;
    try
    {
        CQlcFileWriter writer(cipherFile.GetHandle(), cipherFile.GetPath(),
                              CCryptDLLHandler::GetBlockSize(pEncryptor.get()) * kBlocksPerChunk);
        WriteMagic(writer, QLC_MAGIC_ENCRYPTED_V2);
        m_cryptHeader.dwVerifierLength = (DWORD)verifier.size();
        m_cryptHeader.dwCheckBlockLength = (DWORD)m_checkBlock.size();
        writer.WriteU32(m_cryptHeader.dwCipherId);
        writer.WriteU32(m_cryptHeader.dwHashId);
        writer.WriteU32(m_cryptHeader.dwKeyLength);
        writer.WriteU32(m_cryptHeader.dwVerifierLength);
        writer.WriteU32(m_cryptHeader.dwCheckBlockLength);
        writer.WriteU32(m_cryptHeader.dwReserved[0]);
        writer.WriteU32(m_cryptHeader.dwReserved[1]);
        writer.Write(verifier.data(), (UINT)verifier.size());
        if (!m_checkBlock.empty())
            writer.Write(m_checkBlock.data(), (UINT)m_checkBlock.size());

        CQlcFileReader reader(plainFile.GetHandle(), plainFile.GetPath());
        reader.Seek(0);
        bDone = ProcessChunks(*pCrypt, pEncryptor.get(), reader, reader.GetLength(), writer,
                              IQlcFileProbe::stepChunkEnciphered);
        if (bDone)
        {
            writer.Flush();
            if (!FlushFileBuffers(cipherFile.GetHandle()))
                CFileException::ThrowOsError((LONG)GetLastError(), cipherFile.GetPath());
        }
    }
    catch (...)
    {
        cipherFile.Discard(FALSE);
        throw;
    }
    if (!bDone)
    {
        g_log.WriteLine("WARNING: The encryption library failed to encipher the notebook.");
        cipherFile.Discard(FALSE);
        return FALSE;
    }
    return TRUE;
}

BOOL CQuillcrestDoc::Data_SetFileEncryption(DWORD dwCipherId, DWORD dwKeyLength, DWORD dwHashId,
                                            LPCSTR lpszPassword, DWORD dwPasswordLength)
{
    CQlcDocLock::CScoped lock(m_lock);
    if (dwKeyLength == 0)
    {
        // Off: the next save writes a plain notebook.
        Wipe(m_key);
        Wipe(m_checkBlock);
        m_cryptHeader.dwCipherId = 0;
        m_cryptHeader.dwHashId = dwHashId;
        m_cryptHeader.dwKeyLength = 0;
        m_cryptHeader.dwCheckBlockLength = 0;
        return TRUE;
    }

    // Everything is made before anything changes: a refused cipher leaves the
    // notebook saveable as it was.
    CCryptDLLHandler* pCrypt = QlcCrypt();
    if (pCrypt == nullptr)
        return FALSE;
    CSecureBytes key;
    if (!pCrypt->DeriveKey(dwHashId, lpszPassword, dwPasswordLength, key, dwKeyLength))
        return FALSE;
    CQlcCipherPtr pEncryptor = pCrypt->CreateCipherFromKey(TRUE, dwCipherId, key);
    const std::vector<BYTE> verifier = pCrypt->MakeVerifier(pEncryptor.get());
    if (!pEncryptor || verifier.empty())
        return FALSE;
    CSecureBytes checkBlock = pCrypt->MakeCheckBlock(lpszPassword, dwPasswordLength);

    Wipe(m_key);
    Wipe(m_checkBlock);
    m_key.swap(key);
    m_checkBlock.swap(checkBlock);
    m_cryptHeader.dwCipherId = dwCipherId;
    m_cryptHeader.dwHashId = dwHashId;
    m_cryptHeader.dwKeyLength = dwKeyLength;
    m_cryptHeader.dwVerifierLength = (DWORD)verifier.size();
    m_cryptHeader.dwCheckBlockLength = (DWORD)m_checkBlock.size();
    return TRUE;
}

void CQuillcrestDoc::Data_DiscardDecryptedCopy()
{
    CQlcDocLock::CScoped lock(m_lock);
    // The copy was opened delete-on-close: zeros through its handle, and
    // closing it deletes it.
    if (m_hSourceFile != INVALID_HANDLE_VALUE && m_hSourceFile != m_hNotebookFile)
    {
        if (!CQlcTempFile::Wipe(m_hSourceFile, CQlcTempFile::GetSectorSize(m_strSourcePath)))
            g_log.WriteLine("WARNING: The decrypted copy of the notebook could not be overwritten.");
        CloseHandle(m_hSourceFile);
    }
    m_hSourceFile = m_hNotebookFile;
    m_strSourcePath = m_strNotebookPath;
}
