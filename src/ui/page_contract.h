// The applet-wide state that the property pages share, and the contract steps every page takes:
// counting pages open, disabling and re-enabling the caller's window, the help key.
#pragma once
#include <windows.h>
#include <prsht.h>

extern int SettingsChanged;            // nonzero once a page called MarkChanged; cleared after a save
extern volatile LONG OpenPageCount;    // pages initialised and not yet reset
extern HWND CallerWindow;              // window recorded by the applet entry
extern bool CallerWindowRecorded;      // set together with CallerWindow
extern bool CallerWindowDisabled;      // the Status page disabled CallerWindow

// The name by which a second open finds the running sheet ("ovmon-cpl-active"): in a top-level
// window's title, or as a property of the sheet window while its first page is up.
extern const char kAppletInstanceName[];
// Marks the sheet window as the running applet's, or takes the mark away.
void MarkAppletSheet(HWND sheet, bool marked);

// OnInitDialog of a page: counts it open.
void CountPageOpened();
// PSN_RESET of a page: counts it closed; the last one re-enables the caller's window.
void CountPageReset();
// Disables the recorded caller window once while the sheet is up.
void DisableCallerWindow();
// Enables the caller window again and forgets it.
void ReenableCallerWindow();
// PSN_TRANSLATEACCELERATOR: opens help on topic when the key pressed is F1 or Help.
void TranslateHelpKey(const PSHNOTIFY* notify, HWND owner, const char* topic);
