#include "framework/base/CException.h"

#include "framework/base/AfxPrompt.h"
#include "framework/base/CString.h"
#include "framework/res/AfxRes.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CUserException, CException)

BOOL CException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError != nullptr && nMaxError > 0)
        *lpszError = 0;
    return FALSE;
}

int CException::ReportError(UINT nType, UINT nMessageID) const
{
    char szError[1024];
    CString strText;
    if (GetErrorMessage(szError, sizeof(szError)))
        strText = szError;
    else if (nMessageID != 0)
        strText.LoadString(nMessageID);
    else
        strText.LoadString(AFX_IDP_NO_ERROR_AVAILABLE);
    return AfxMessageBox(strText, nType);
}

void AFXAPI AfxThrowUserException()
{
    throw CUserException();
}

void AFXAPI AfxThrowMemoryException()
{
    throw std::bad_alloc();
}
