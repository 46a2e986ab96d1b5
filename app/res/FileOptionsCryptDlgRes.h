// The Encryption page of the notebook options.
#pragma once

#define IDD_FILEOPTIONS_CRYPT       197
#define IDC_FILECRYPT_ENCRYPT       1029
#define IDC_FILECRYPT_ADVANCED      1039
#define IDC_FILECRYPT_STATUS        1048
#define IDC_FILECRYPT_PASSWORD      1076
#define IDC_FILECRYPT_PASSWORD_LABEL 1077
