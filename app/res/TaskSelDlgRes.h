// The Select Task dialog (picking a task to link a node to).
#pragma once

#define IDD_TASK_SELECT         222
#define IDC_TASK_SELECT_LIST    1050
