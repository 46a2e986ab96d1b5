// The Encryption page of the node properties.
#pragma once

#define IDD_NODEPROPS_CRYPT         187
#define IDC_NODECRYPT_ENCRYPT       1029
#define IDC_NODECRYPT_ADVANCED      1039
#define IDC_NODECRYPT_CHANGE_PASSWORD 1040
#define IDC_NODECRYPT_STATUS        1048
