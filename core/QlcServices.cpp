// The installed prompts, application services and file probe.
#include "core/CQlcAppServices.h"
#include "core/IQlcFileProbe.h"
#include "core/CNodeProcess.h"
#include "core/IQlcPrompts.h"
#include "core/res/CoreRes.h"

#include "framework/base/AfxPrompt.h"

namespace {

class CDefaultPrompts : public IQlcPrompts
{
public:
    int MessageBox(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) override
    {
        return AfxShowMessageBox(hOwner, lpszText, lpszCaption, nType);
    }
    int FrameworkMessageBox(LPCSTR lpszText, UINT nType) override
    {
        return AfxMessageBox(lpszText, nType);
    }
    BOOL AskPassword(CString& /*strPassword*/) override
    {
        return FALSE; // no dialog without the application
    }
};

CDefaultPrompts g_defaultPrompts;
IQlcPrompts* g_pPrompts = &g_defaultPrompts;

IQlcFileProbe* g_pFileProbe = nullptr;

CQlcAppServices g_defaultServices;
CQlcAppServices* g_pServices = &g_defaultServices;

} // namespace

IQlcPrompts& QlcPrompts()
{
    return *g_pPrompts;
}

IQlcPrompts* QlcSetPrompts(IQlcPrompts* pPrompts)
{
    IQlcPrompts* pOld = g_pPrompts;
    g_pPrompts = pPrompts ? pPrompts : &g_defaultPrompts;
    return pOld;
}

CQlcAppServices::CQlcAppServices() : m_nLastReadResult(0), m_pHeldDocument(nullptr), m_pCryptHandler(nullptr)
{
}

HWND CQlcAppServices::GetMainWindow()
{
    return nullptr;
}

INT_PTR CQlcAppServices::RunJob(CNodeProcess& job)
{
    job.SetFailure(AfxLoadText(IDS_QLC_JOB_NOT_STARTED));
    return -1;
}

CQlcAppServices& QlcApp()
{
    return *g_pServices;
}

CQlcAppServices* QlcSetApp(CQlcAppServices* pServices)
{
    CQlcAppServices* pOld = g_pServices;
    g_pServices = pServices ? pServices : &g_defaultServices;
    return pOld;
}

IQlcFileProbe* QlcSetFileProbe(IQlcFileProbe* pProbe)
{
    IQlcFileProbe* pOld = g_pFileProbe;
    g_pFileProbe = pProbe;
    return pOld;
}

void QlcFileProbeStep(int nStep)
{
    if (g_pFileProbe != nullptr)
        g_pFileProbe->OnStep(nStep);
}
