// The Edit Task (and Add Task) dialog.
#pragma once

#define IDD_TASK_EDIT           218
#define IDC_TASK_PRIORITY       1066
#define IDC_TASK_TITLE          1068
#define IDC_TASK_CREATED        1070
#define IDC_TASK_START_DATE     1071
#define IDC_TASK_DUE_DATE       1072
#define IDC_TASK_NOTES          1073
#define IDC_TASK_START_TIME     1074
#define IDC_TASK_DUE_TIME       1075
