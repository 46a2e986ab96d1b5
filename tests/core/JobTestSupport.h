// Helpers of the job tests: the test thread plays the interface thread
// under the processing dialog (starts the job, answers the questions that
// reach it through the channel, waits for the end), and services that let a
// test hold a worker at a known point or run the single export's job itself.
#pragma once

#include "core/CNodeProcess.h"
#include "core/CQlcAppServices.h"

#include <functional>
#include <string>
#include <vector>

// A question a job asked.
struct CJobRequest
{
    enum { message = 0, password = 1 };
    int nKind;           // message or password
    std::string text;
    UINT nStyle;
    DWORD dwNodeId;
    DWORD dwThreadId;    // the thread that answered it (the test's)
};

class CJobPlayer
{
public:
    explicit CJobPlayer(CNodeProcess& job) : m_job(job) {}

    // Starts the job and answers it until it has finished; false when it
    // did not finish in time. The test's thread becomes the interface
    // thread (its channel stays open for the tests after it).
    bool Play(DWORD dwTimeoutMs = 60000);

    // Answers (defaults: IDOK, and no password).
    std::function<int(const CJobRequest&)> onQuestion;
    std::function<BOOL(const CJobRequest&, CString&)> onPassword;
    // Called on every poll, before the questions.
    std::function<void()> onPoll;

    std::vector<CJobRequest> requests;
    int nPolls = 0;

private:
    CNodeProcess& m_job;
};

// Installs itself as the application's services for its lifetime.
class CJobTestServices : public CQlcAppServices
{
public:
    CJobTestServices();
    ~CJobTestServices() override;

    void GetImportFont(CString& strFace, int& nSize) const override;
    INT_PTR RunJob(CNodeProcess& job) override;
    // Records the save dialog asked for and answers with exportPath (empty:
    // cancelled) and nExportFilterIndex.
    BOOL ChooseExportFile(QLCEXPORTFILE& file) override;

    // Called each time plain text is converted (on the converting thread).
    std::function<void()> onImportFont;
    // Runs the job instead of the processing dialog; without it the plain
    // services' answer (not run).
    std::function<INT_PTR(CNodeProcess&)> runJob;
    int nRunJobs = 0;

    // A save dialog as asked for; the file types by the name of their
    // first entry.
    struct CExportDialog
    {
        std::string title, fileName, defExt, firstFilter;
    };
    std::vector<CExportDialog> exportDialogs;
    std::string exportPath;
    DWORD nExportFilterIndex = 1;

private:
    CQlcAppServices* m_pPrevious;
};
