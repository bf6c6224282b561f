// Resource identifiers of the dialog framework: the applet's icon and bitmaps, the state icons
// of a check, the message box, and the manifest by which the framework activates common
// controls 6. ui/res/ui.rc holds what they name; every module above keeps its own beside it.
#pragma once

// The applet's icon: the sheet's, and the one Control Panel shows.
#define IDI_APPLET 2

// The manifest a program carries under both names (its file goes with the program).
#define IDR_MANIFEST_ISOLATION 2
#define IDR_MANIFEST_SHARED 123

// State icons of a check: passed, alert, in progress, unknown.
#define IDI_STATE_PASSED 124
#define IDI_STATE_ALERT 126
#define IDI_STATE_WORKING 127
#define IDI_STATE_UNKNOWN 128

// The sheet's bitmaps.
#define IDB_APPLET_1 2212
#define IDB_APPLET_2 2213
#define IDB_APPLET_3 2214

// Message box (template 100); its buttons are IDOK (1) to IDCONTINUE (11).
#define IDD_MSGBOX 100
#define IDC_MSGBOX_ICON 101
#define IDC_MSGBOX_TITLE 102
#define IDC_MSGBOX_TEXT 103
#define IDC_MSGBOX_CHECK 104
