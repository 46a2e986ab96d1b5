// Encrypted notebook files: the envelope around a plain notebook.
#include "core/CQuillcrestDoc.h"

#include "core/CLog.h"
#include "core/CQlcAppServices.h"
#include "core/CQlcFileReader.h"
#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

int CQuillcrestDoc::Data_OpenEnvelope(CQlcFileReader& /*reader*/)
{
    // Without the encryption library an encrypted notebook cannot be opened.
    CString strText, strCaption;
    strText.LoadString(IDS_QLC_ENCRYPTION_UNAVAILABLE);
    strCaption.LoadString(IDS_QLC_CAPTION_ACCESS_DENIED);
    QlcPrompts().MessageBox(GetMessageOwner(FALSE), strText, strCaption, MB_ICONWARNING);
    return 2;
}

BOOL CQuillcrestDoc::Data_EncipherFile(HANDLE /*hT1*/, LPCSTR /*lpszT1*/, HANDLE& hT2, CString& strT2)
{
    hT2 = INVALID_HANDLE_VALUE;
    strT2.Empty();
    return FALSE;
}
