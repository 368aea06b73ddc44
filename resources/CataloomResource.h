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
