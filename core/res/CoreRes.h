// String ids of the notebook core. 1003 and 1015 are fixed; the core's other
// texts use 7000-7999 and 21300-21399, which the program's own resources
// leave free.
#pragma once

#define IDS_QLC_NOT_A_NOTEBOOK          1003
#define IDS_QLC_ENCRYPTION_UNAVAILABLE  1015

#define IDS_QLC_CAPTION_LOAD_FAILED     7000
#define IDS_QLC_CAPTION_WARNING         7001
#define IDS_QLC_OLD_VERSION             7002
#define IDS_QLC_VERSION_STAMP           7003
#define IDS_QLC_CAPTION_ACCESS_DENIED   7004
#define IDS_QLC_WRONG_PASSWORD          7005
#define IDS_QLC_CAPTION_OPEN_FILE       7006
#define IDS_QLC_NOTE_NOT_STORED         7010
#define IDS_QLC_FAILED_TO_OPEN_FILE     7011
#define IDS_QLC_SAVE_READ_ONLY          7012
#define IDS_QLC_NOT_SAVED               7013
#define IDS_QLC_NOT_SAVED_NO_NAME       7014
#define IDS_QLC_NODE_MISSING            7020
#define IDS_QLC_NODE_DATA_UNREADABLE    7021
#define IDS_QLC_NODE_DATA_SHORT         7022
#define IDS_QLC_EXPORT_BAD_FORMAT       7023
#define IDS_QLC_EXPORT_TOO_LARGE        7024
#define IDS_QLC_EXPORT_NOT_CREATED      7025
#define IDS_QLC_EXPORT_NOT_WRITTEN      7026
#define IDS_QLC_EXPORT_NO_MEMORY        7027
#define IDS_QLC_EXPORT_NOT_DECODED      7028

// Why a save did not happen, added to the warning that it did not.
#define IDS_QLC_NOT_SAVED_BECAUSE       21300
#define IDS_QLC_SAVE_NO_TEMP_FILE       21301
#define IDS_QLC_SAVE_NOT_ENCIPHERED     21302
#define IDS_QLC_SAVE_NOT_REPLACED       21303
