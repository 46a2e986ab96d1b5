// The password dialog (enter, confirm or set a password).
#pragma once

#define IDD_SET_PASSWORD        188
#define IDC_PASSWORD_FIRST      1033   // old password, the password, or the re-typed one to confirm
#define IDC_PASSWORD_NEW        1034
#define IDC_PASSWORD_RETYPE     1035
#define IDC_PASSWORD_LABEL1     1036
#define IDC_PASSWORD_LABEL2     1037
#define IDC_PASSWORD_LABEL3     1038
