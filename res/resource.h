// Resource ids of Pelmar, by kind. Numbers are fixed: other code and the
// tests look resources up by them.
#pragma once

// Dialog templates
#define IDD_VERSION_DIALOG 100
#define IDD_EPGMAIN_DIALOG 102
#define IDD_ABORT_NOTICE 147

// Icons
#define IDI_APP 128
#define IDI_NOTICE 149

// Strings
#define IDS_VERSIONINFO 101

// Window-menu commands
#define IDM_VERSIONINFO 16

// Controls of the main dialog (102)
#define IDC_RADIO_MANUAL 1000
#define IDC_RADIO_DAILY 1001
#define IDC_START_HOUR 1010
#define IDC_START_MINUTE 1011
#define IDC_END_HOUR 1012
#define IDC_END_MINUTE 1013
#define IDC_SETTABLE_RANGE 1014
#define IDC_ADAMS_LABEL 1016
#define IDC_TIME_LIST 1017
#define IDC_DATA_DATE 1018
#define IDC_ADJUST_LABEL 1022
#define IDC_ALWAYS_RECEIVE 1023
#define IDC_AUTO_ADJUST 1024

// Controls of the abort notice (147)
#define IDC_NOTICE_NAME 1025

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
