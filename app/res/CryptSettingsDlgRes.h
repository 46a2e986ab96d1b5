// The Encryption Settings dialog (cipher and hash algorithm).
#pragma once

#define IDD_CRYPT_SETTINGS          196
#define IDC_CRYPT_HASH              1030
#define IDC_CRYPT_CIPHER            1031
#define IDC_CRYPT_STRENGTH          1046
