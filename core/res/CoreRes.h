// String ids of the notebook core. 1003 and 1015 are fixed; the core's other
// texts use 7000-7999 (and 21300-21399), which the program's own resources leave free: 7000-7099
// the notebook lifecycle and node export, 7100-7199 damage found in notebooks.
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
#define IDS_QLC_FILE_CRYPT_FAILED       22320
#define IDS_QLC_IMPORTING_FILE          7200
#define IDS_QLC_EXPORTING_FILE          7201
#define IDS_QLC_EXPORT_ERROR            7202
#define IDS_QLC_EXPORT_OVERWRITE        7203
#define IDS_QLC_JOB_NOT_STARTED         7204
#define IDS_QLC_JOB_FAILED              7205
#define IDS_QLC_EXPORT_UNNAMED          7206
#define IDS_QLC_EXPORT_FAILED           7207
#define IDS_QLC_EXPORT_TITLE            7208
#define IDS_QLC_EXPORT_IMAGE_FILTER     7209
#define IDS_QLC_EXPORT_ALL_FILTER       7210
#define IDS_QLC_EXPORT_HTML_FILTER      7211
#define IDS_QLC_EXPORT_RTF_FILTER       7212
#define IDS_QLC_EXPORT_NOT_COPIED       7213
#define IDS_QLC_EXPORT_NO_EXPORT_TYPE   7214
#define IDS_QLC_EXPORT_LOCKED           7215
#define IDS_QLC_EXPORT_NO_DESTINATION   7216
#define IDS_QLC_NEW_FOLDER              21240
#define IDS_QLC_NEW_NOTE                21241
#define IDS_QLC_NEW_IMAGE               21242
#define IDS_QLC_NEW_HTML                21243
#define IDS_QLC_NEW_FOREIGN             21244
#define IDS_QLC_CONVERTER_RTF           21245
#define IDS_QLC_CONVERTER_TEXT          21246
#define IDS_QLC_CONVERTER_ALL           21247

#define IDS_QLC_CAPTION_DAMAGED         7100
#define IDS_QLC_DAMAGED_NODES           7101
#define IDS_QLC_DAMAGED_NODE            7102
#define IDS_QLC_DAMAGED_MORE            7103
#define IDS_QLC_DAMAGED_SECTIONS        7104
#define IDS_QLC_DAMAGED_LOGO            7105
#define IDS_QLC_DAMAGED_BOOKMARKS       7106
#define IDS_QLC_DAMAGED_KEYWORDS        7107
#define IDS_QLC_DAMAGED_SECTION_TABLE   7108
#define IDS_QLC_DAMAGED_TASKS           7109
#define IDS_QLC_DAMAGED_REST            7110

// The document's File > Properties command (the program's menus carry it).
#ifndef ID_FILE_PROPERTIES
#define ID_FILE_PROPERTIES              32827
#endif

// Why a save did not happen, added to the warning that it did not.
#define IDS_QLC_NOT_SAVED_BECAUSE       21300
#define IDS_QLC_SAVE_NO_TEMP_FILE       21301
#define IDS_QLC_SAVE_NOT_ENCIPHERED     21302
#define IDS_QLC_SAVE_NOT_REPLACED       21303

// A notebook whose worker was stopped by force is never saved over its file.
#define IDS_QLC_SAVE_FORCED_NEW_NAME    7350
#define IDS_QLC_SAVE_FORCED_REFUSED     7351
