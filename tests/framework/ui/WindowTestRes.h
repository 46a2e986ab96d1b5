// Resources of the framework's window tests.
#pragma once

#define IDD_TEST_DIALOG     300
#define IDC_TEST_EDIT       301
#define IDC_TEST_CHECK      302
#define IDR_TEST_TOOLBAR    310
#define IDR_TEST_DOC        320
#define IDS_TEST_COMMAND    330
#define IDD_TEST_PAGE1      21200
#define IDD_TEST_PAGE2      21201
#define IDC_TEST_PAGE_EDIT  21202
#define IDC_TEST_PAGE_CHECK 21203
#define IDS_TEST_PAGE2      21204
#define IDS_TEST_SHEET      21205
