#include "JobTestSupport.h"

bool CJobPlayer::Play(DWORD dwTimeoutMs)
{
    m_job.Start();
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        ++nPolls;
        if (onPoll)
            onPoll();
        if (m_job.IsRequestPending())
        {
            CJobRequest request;
            request.nKind = m_job.GetRequestKind();
            CString strText;
            UINT nHelpId = 0;
            m_job.GetRequest(strText, request.nStyle, nHelpId);
            request.text = (LPCSTR)strText;
            request.dwNodeId = m_job.GetRequestNodeId();
            request.dwThreadId = ::GetCurrentThreadId();
            requests.push_back(request);
            if (request.nKind == CNodeProcess::requestPassword)
            {
                CString strPassword;
                const BOOL bGiven = onPassword ? onPassword(request, strPassword) : FALSE;
                m_job.AnswerPasswordRequest(bGiven ? IDOK : IDCANCEL, strPassword);
            }
            else
            {
                m_job.AnswerRequest(onQuestion ? onQuestion(request) : IDOK);
            }
        }
        if (m_job.IsFinished())
            return true;
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        ::Sleep(2);
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
