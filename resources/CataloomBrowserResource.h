/* Resource ids of CataloomBrowser.exe. */
#pragma once

#define IDI_BROWSER 100

#define IDS_BROWSER_TITLE 1
#define IDS_MENU_FILE 2
#define IDS_MENU_EDIT 3
#define IDS_MENU_VIEW 4
#define IDS_MENU_HELP 5
#define IDS_COMMAND_CLOSE 6
#define IDS_COMMAND_BACK 7
#define IDS_COMMAND_UP 8
#define IDS_COMMAND_REFRESH 9
#define IDS_COMMAND_ABOUT 10
#define IDS_BUTTON_BACK 11
#define IDS_BUTTON_UP 12
#define IDS_ABOUT_TEXT 13
#define IDS_CANNOT_OPEN 14
