// Adds or edits one task: title, notes, created time, start and due date
// and time, priority. Times are stored as 32-bit seconds since 1970 and
// shown in local time, so the pickers offer 1 January 1970 to 18 January
// 2038 only; a date outside that range is refused with a message.
#pragma once

#include "core/QlcRecords.h"

#include "framework/ui/CComboBox.h"
#include "framework/ui/CDateTimeCtrl.h"
#include "framework/ui/CDialog.h"

#include <ctime>

class CTaskEditDlg : public CDialog
{
    DECLARE_DYNAMIC(CTaskEditDlg)
public:
    // A new task's defaults: Normal, created and starting now, due a
    // calendar month later.
    explicit CTaskEditDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // --- Times ------------------------------------------------------------------------
    // The first and last local times the pickers offer.
    static SYSTEMTIME RangeMin();
    static SYSTEMTIME RangeMax();
    // A stored time as local time; FALSE when it has none in the range
    // (before 1970, or the C library cannot convert it).
    static BOOL TimeToLocal(LONG lTime, SYSTEMTIME& st);
    // A local time as a stored time; FALSE when it lies outside the range or
    // the C library cannot convert it.
    static BOOL LocalToTime(const SYSTEMTIME& st, LONG& lTime);
    // The clock of the defaults (tests put their own "now" here).
    static time_t (*s_pfnTime)(time_t*);

    CDateTimeCtrl m_wndDueTime;
    CDateTimeCtrl m_wndStartTime;
    CDateTimeCtrl m_wndCreated;
    CDateTimeCtrl m_wndStartDate;
    CDateTimeCtrl m_wndDueDate;
    CComboBox m_wndPriority;
    // The task shown and, after OK, as edited (flags, link and the fields
    // the dialog does not show are left as they were).
    QLCTASK m_task;
    // TRUE edits an existing task, FALSE adds one ("Add Task").
    BOOL m_bEdit;

protected:
    // Shows a stored time in a picker (now, within the range, when it cannot be shown).
    void ShowTime(CDateTimeCtrl& picker, LONG lTime);
    // Reads a picker's value into lTime; a value outside the range fails
    // the exchange with a message.
    void ReadTime(CDataExchange* pDX, int nIDC, const SYSTEMTIME& st, LONG& lTime);
};
