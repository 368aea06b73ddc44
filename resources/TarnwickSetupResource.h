/* Resource ids of the setup program, shared by its resource script and code. */
#pragma once

#define IDI_SETUP 101

#define IDD_PAGE_CHOOSE 102
#define IDD_PAGE_DONE 103
#define IDD_PAGE_WORKING 104

#define IDC_DONE_TEXT 1000
#define IDC_HEADING 1003
#define IDC_REGISTER 1008
#define IDC_UNREGISTER 1009
#define IDC_VERSION 1011
#define IDC_UNINSTALL_NOTE 1012

/* Texts put after the product name from the settings file. */
#define IDS_TITLE 1
#define IDS_HEADING 10
#define IDS_REGISTER 11
#define IDS_UNREGISTER 12
#define IDS_VERSION 13
#define IDS_SERVERS_FAILED 14

/* Messages. */
#define IDS_NO_SETUP_INFO 20
#define IDS_CONFIRM_UNINSTALL 21
