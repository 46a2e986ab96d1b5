#include "JobTestSupport.h"

#include "core/IQlcPrompts.h"

#include "framework/base/CUiChannel.h"

namespace {

// The questions as the interface thread gets them: recorded and answered
// by the player's script.
class CPlayerPrompts : public IQlcPrompts
{
public:
    CPlayerPrompts(std::vector<CJobRequest>& requests, const std::function<int(const CJobRequest&)>& onQuestion,
                   const std::function<BOOL(const CJobRequest&, CString&)>& onPassword)
        : m_requests(requests), m_onQuestion(onQuestion), m_onPassword(onPassword), m_pPrevious(QlcSetPrompts(this))
    {
    }
    ~CPlayerPrompts() override { QlcSetPrompts(m_pPrevious); }

    int MessageBox(HWND, LPCSTR lpszText, LPCSTR, UINT nType) override
    {
        const CJobRequest& request = Record(CJobRequest::message, lpszText, nType, 0);
        return m_onQuestion ? m_onQuestion(request) : IDOK;
    }
    int FrameworkMessageBox(LPCSTR lpszText, UINT nType) override { return MessageBox(nullptr, lpszText, "", nType); }
    BOOL AskPassword(CString&) override { return FALSE; }
    BOOL UnlockNode(CQuillcrestDoc*, DWORD dwNodeId, CString& strPassword) override
    {
        const CJobRequest request = Record(CJobRequest::password, "", 0, dwNodeId);
        return m_onPassword ? m_onPassword(request, strPassword) : FALSE;
    }

private:
    const CJobRequest& Record(int nKind, LPCSTR lpszText, UINT nStyle, DWORD dwNodeId)
    {
        CJobRequest request;
        request.nKind = nKind;
        request.text = lpszText != nullptr ? lpszText : "";
        request.nStyle = nStyle;
        request.dwNodeId = dwNodeId;
        request.dwThreadId = ::GetCurrentThreadId();
        m_requests.push_back(request);
        return m_requests.back();
    }

    std::vector<CJobRequest>& m_requests;
    const std::function<int(const CJobRequest&)>& m_onQuestion;
    const std::function<BOOL(const CJobRequest&, CString&)>& m_onPassword;
    IQlcPrompts* m_pPrevious;
};

} // namespace

bool CJobPlayer::Play(DWORD dwTimeoutMs)
{
    if (!CUiChannel::IsOpen() && !CUiChannel::Create())
        return false;
    CPlayerPrompts prompts(requests, onQuestion, onPassword);
    m_job.Start();
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        ++nPolls;
        if (onPoll)
            onPoll();
        if (m_job.IsFinished())
            return true;
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        // The job's questions are answered while this thread waits.
        CUiChannel::WaitPumping(::GetCurrentThread(), 2);
    }
}

CJobTestServices::CJobTestServices() : m_pPrevious(QlcSetApp(this))
{
    // What the plain services held stays available.
    SetTextConverters(m_pPrevious->GetTextConverters());
    SetCryptHandler(m_pPrevious->GetCryptHandler());
}

CJobTestServices::~CJobTestServices()
{
    QlcSetApp(m_pPrevious);
}

void CJobTestServices::GetImportFont(CString& strFace, int& nSize) const
{
    if (onImportFont)
        onImportFont();
    CQlcAppServices::GetImportFont(strFace, nSize);
}

INT_PTR CJobTestServices::RunJob(CNodeProcess& job)
{
    ++nRunJobs;
    return runJob ? runJob(job) : CQlcAppServices::RunJob(job);
}

BOOL CJobTestServices::ChooseExportFile(QLCEXPORTFILE& file)
{
    CExportDialog dialog;
    dialog.title = (LPCSTR)file.strTitle;
    dialog.fileName = (LPCSTR)file.strFileName;
    dialog.defExt = file.lpszDefExt != nullptr ? file.lpszDefExt : "";
    if (file.lpszFilterBlock != nullptr)
        dialog.firstFilter = file.lpszFilterBlock; // up to its first NUL
    else
        dialog.firstFilter = std::string((LPCSTR)file.strFilter).substr(0, std::string((LPCSTR)file.strFilter).find('|'));
    exportDialogs.push_back(dialog);
    if (exportPath.empty())
        return FALSE;
    file.strPath = exportPath.c_str();
    file.nFilterIndex = nExportFilterIndex;
    return TRUE;
}
