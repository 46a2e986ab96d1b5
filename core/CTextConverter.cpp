#include "core/CTextConverter.h"

#include "outside/textconv/TextConvApi.h"

CTextConverter* CTextConverter::s_pActive = nullptr;

CTextConverter::CTextConverter()
    : m_nBytesTransferred(0), m_nTotalBytes(0), m_pFile(nullptr), m_lpBuffer(nullptr), m_bTransferFailed(FALSE),
      m_nKind(kindOffice)
{
}

CTextConverter::CTextConverter(const CTextConverter& src) : CTextConverter()
{
    *this = src;
}

CTextConverter& CTextConverter::operator=(const CTextConverter& src)
{
    if (this == &src)
        return *this;
    m_extensionList.RemoveAll();
    m_extensionList.AddTail(&src.m_extensionList);
    m_nBytesTransferred = src.m_nBytesTransferred;
    m_nTotalBytes = src.m_nTotalBytes;
    m_pFile = src.m_pFile;
    m_lpBuffer = src.m_lpBuffer;
    m_bTransferFailed = src.m_bTransferFailed;
    m_strExtensions = src.m_strExtensions;
    m_strName = src.m_strName;
    m_strPath = src.m_strPath;
    m_strKeyName = src.m_strKeyName;
    m_nKind = src.m_nKind;
    m_strDisplayPattern = src.m_strDisplayPattern;
    m_strFilterPattern = src.m_strFilterPattern;
    return *this;
}

BOOL CTextConverter::HasExtension(LPCSTR lpszExtension) const
{
    if (lpszExtension == nullptr || *lpszExtension == '\0')
        return FALSE;
    return m_extensionList.Find(lpszExtension) != nullptr;
}

long WINAPI CTextConverter::WriteCallback(long cbBuffer, long /*nPercent*/)
{
    CTextConverter* pConverter = s_pActive;
    if (pConverter == nullptr || pConverter->m_pFile == nullptr || pConverter->m_lpBuffer == nullptr)
        return TEXTCONV_E_WRITE;
    try
    {
        if (cbBuffer > 0)
        {
            // The count comes from the DLL: never read past our buffer.
            if (cbBuffer > kBufferSize)
            {
                TRACE("Text converter passed %ld bytes for a %d-byte buffer; conversion stopped\n", cbBuffer,
                      (int)kBufferSize);
                pConverter->m_bTransferFailed = TRUE;
                return TEXTCONV_E_WRITE;
            }
            pConverter->m_pFile->Write(pConverter->m_lpBuffer, (UINT)cbBuffer);
            pConverter->m_nBytesTransferred += (int)cbBuffer;
        }
        return cbBuffer;
    }
    catch (...)
    {
        TRACE0("Writing the converted file failed; conversion stopped\n");
        pConverter->m_bTransferFailed = TRUE;
        return TEXTCONV_E_WRITE;
    }
}

long WINAPI CTextConverter::ReadCallback(long /*cbWanted*/, long /*nPercent*/)
{
    CTextConverter* pConverter = s_pActive;
    if (pConverter == nullptr || pConverter->m_pFile == nullptr || pConverter->m_lpBuffer == nullptr)
        return TEXTCONV_E_READ;
    try
    {
        const ULONGLONG ullLength = pConverter->m_pFile->GetLength();
        const ULONGLONG ullPosition = pConverter->m_pFile->GetPosition();
        const ULONGLONG ullLeft = ullPosition < ullLength ? ullLength - ullPosition : 0;
        const UINT nWanted = (UINT)(ullLeft < (ULONGLONG)kBufferSize ? ullLeft : (ULONGLONG)kBufferSize);
        if (nWanted == 0)
            return 0;
        const UINT nRead = pConverter->m_pFile->Read(pConverter->m_lpBuffer, nWanted);
        pConverter->m_nBytesTransferred += (int)nRead;
        return (long)nRead;
    }
    catch (...)
    {
        TRACE0("Reading the file to convert failed; conversion stopped\n");
        pConverter->m_bTransferFailed = TRUE;
        return TEXTCONV_E_READ;
    }
}
