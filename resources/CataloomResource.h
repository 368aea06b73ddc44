/* Resource ids of Cataloom.dll, shared by the resource script and the code. */
#pragma once

/* Icons.  Registration refers to the first two by their index in the file
   (500 is index 0, 501 index 1), so they must stay the lowest icon ids. */
#define IDI_NAMESPACE_FOLDER 500
#define IDI_CATALOG_FILE 501
#define IDI_DRIVE_NETWORK 502
#define IDI_DRIVE_CDROM 503
#define IDI_DRIVE_FIXED 504
#define IDI_DRIVE_REMOVABLE 505

/* The capture: the name dialog, the progress window and their texts. */
#define IDD_CREATE_CATALOG 605
#define IDC_CATALOG_NAME 1501
#define IDC_CLOSE_WHEN_DONE 1502
#define IDD_CAPTURE_PROGRESS 606
#define IDC_CAPTURE_PHASE 1601
#define IDC_CAPTURE_DETAIL 1602
#define IDS_CANNOT_START 101
#define IDS_INVALID_FILE_NAME 102
#define IDS_OVERWRITE_QUESTION 104
#define IDS_CREATE_MENU_TEXT 310
#define IDS_UPDATE_MENU_TEXT 311
#define IDS_NO_MEDIA_INFO 320
#define IDS_NO_CATALOG_TO_UPDATE 321
#define IDS_UPDATE_WHICH_QUESTION 322
#define IDS_STOP_BUTTON 370
#define IDS_CLOSE_BUTTON 371

/* Texts written into the registry and the uninstall question. */
#define IDS_UNINSTALL_SETTINGS_QUESTION 401
#define IDS_FILE_TYPE_NAME 402
#define IDS_EXPLORE_VERB 403
#define IDS_FIND_MENU_TEXT 404
#define IDS_FIND_MENU_HELP 405
#define IDS_NAMESPACE_NAME 406
/* The caption of every message box. */
#define IDS_MESSAGE_CAPTION 407
#define IDS_NAMESPACE_INFOTIP 506

/* The product's name: the options page's title and every message box's
   caption. */
#define IDS_PRODUCT_NAME 200

/* Options page. */
#define IDD_OPTIONS_PAGE 604
#define IDC_DATA_FOLDER 1402
#define IDC_BROWSE_FOLDER 1403
#define IDC_BG_COLOR 1404
#define IDC_TEXT_COLOR 1405
#define IDC_ROOT_VERB 1807
#define IDS_DATA_FOLDER_REQUIRED 150
#define IDS_DATA_FOLDER_MISSING 151
#define IDS_DATA_FOLDER_NOT_CREATED 152
#define IDS_DATA_FOLDER_NOT_DIRECTORY 153
#define IDS_DATA_FOLDER_NOT_FULL 154
#define IDS_DATA_FOLDER_TOO_LONG 155
/* The data folder setting as stored names no folder (view, search window). */
#define IDS_SETTING_NOT_FULL 156
#define IDS_SETTING_TOO_LONG 157

/* Property pages: texts shared by the pages. */
#define IDS_BAD_FILE_NAME 102
#define IDS_CANNOT_OPEN_FILE 303
#define IDS_COUNTS 210
#define IDS_BYTES 211

/* Media page. */
#define IDD_MEDIA_PAGE 602
#define IDS_MEDIA_PAGE_TITLE 202
#define IDC_MEDIA_ICON 1200
#define IDC_MEDIA_NAME 1201
#define IDC_MEDIA_TYPE 1202
#define IDC_MEDIA_FILE_SYSTEM 1203
#define IDC_MEDIA_SERIAL 1204
#define IDC_MEDIA_FREE_SWATCH 1205
#define IDC_MEDIA_USED_SWATCH 1206
#define IDC_MEDIA_USED 1207
#define IDC_MEDIA_FREE 1208
#define IDC_MEDIA_CAPACITY 1209
#define IDC_MEDIA_CHART 1210
#define IDC_MEDIA_CAPTURED 1211
#define IDC_MEDIA_CONTENTS 1406

/* Category page. */
#define IDD_CATEGORY_PAGE 601
#define IDS_CATEGORY_PAGE_TITLE 201
#define IDC_CATEGORY_ICON 1101
#define IDC_CATEGORY_NAME 1102
#define IDC_CATEGORY_CHANGE_ICON 1103

/* Change-icon dialog. */
#define IDD_CHANGE_ICON 600
#define IDC_ICON_FILE 1000
#define IDC_ICON_BROWSE 1001
#define IDC_ICON_LIST 1002
#define IDS_ICON_FILTER 220

/* File page. */
#define IDD_FILE_PAGE 603
#define IDS_FILE_PAGE_TITLE 203
#define IDS_ALL_OF 212
#define IDS_SEVERAL_TYPES 213
#define IDC_FILE_ICON 1301
#define IDC_FILE_NAME 1302
#define IDC_FILE_TYPE 1303
#define IDC_FILE_MEDIA 1304
#define IDC_FILE_LOCATION 1305
#define IDC_FILE_SIZE 1306
#define IDC_FILE_CREATED_LABEL 1307
#define IDC_FILE_CREATED 1308
#define IDC_FILE_MODIFIED_LABEL 1309
#define IDC_FILE_MODIFIED 1310
#define IDC_FILE_READ_ONLY 1311
#define IDC_FILE_HIDDEN 1312
#define IDC_FILE_ARCHIVE 1313
#define IDC_FILE_SYSTEM 1314

/* The folder view's item menu. */
#define IDS_DELETE_FOR_GOOD_QUESTION 450

/* The search window (dialog 607), its texts and its menu. */
#define IDD_SEARCHER 607
#define IDC_SEARCH_PATTERN 1700
#define IDC_SEARCH_MATCH_CASE 1701
#define IDC_SEARCH_LOCATION 1702
#define IDC_SEARCH_BROWSE 1703
#define IDC_SEARCH_PANEL 1704
#define IDC_SEARCH_RESULTS 1705
#define IDC_SEARCH_STATUS 1706
#define IDS_SEARCH_COLUMN_NAME 26
#define IDS_SEARCH_COLUMN_SIZE 27
#define IDS_SEARCH_COLUMN_TYPE 28
#define IDS_SEARCH_COLUMN_MODIFIED 29
#define IDS_SEARCH_COLUMN_LOCATION 30
#define IDS_SEARCH_MENU_TEXT 86
#define IDS_SEARCHING 410
#define IDS_SEARCH_FOUND 411
#define IDS_SEARCH_UNKNOWN_TIME 412
#define IDS_SEARCH_CATEGORY_TYPE 413
#define IDS_SEARCH_UNSHOWN 414
