// The pages' shared state and the steps of the page contract.
#include "ui/page_contract.h"

#include "ui/online_help.h"

int SettingsChanged = 0;
volatile LONG OpenPageCount = 0;
HWND CallerWindow = nullptr;
bool CallerWindowRecorded = false;
bool CallerWindowDisabled = false;

const char kAppletInstanceName[] = "ovmon-cpl-active";

void MarkAppletSheet(HWND sheet, bool marked) {
  if (marked)
    SetPropA(sheet, kAppletInstanceName, reinterpret_cast<HANDLE>(1));
  else
    RemovePropA(sheet, kAppletInstanceName);
}

void CountPageOpened() { InterlockedIncrement(&OpenPageCount); }

void CountPageReset() {
  if (InterlockedDecrement(&OpenPageCount) == 0) ReenableCallerWindow();
}

void DisableCallerWindow() {
  if (!CallerWindowRecorded || CallerWindowDisabled) return;
  EnableWindow(CallerWindow, FALSE);
  CallerWindowDisabled = true;
}

// Clearing the disabled mark too lets a later embedded run disable the window again.
void ReenableCallerWindow() {
  if (!CallerWindowRecorded || !CallerWindowDisabled || !CallerWindow) return;
  EnableWindow(CallerWindow, TRUE);
  CallerWindowRecorded = false;
  CallerWindowDisabled = false;
  CallerWindow = nullptr;
}

// Only a key press counts: the sheet also passes key releases and typed characters,
// whose codes 0x2F and 0x70 are '/' and 'p'.
void TranslateHelpKey(const PSHNOTIFY* notify, HWND owner, const char* topic) {
  const MSG* key = notify ? reinterpret_cast<const MSG*>(notify->lParam) : nullptr;
  if (!key || key->message != WM_KEYDOWN) return;
  if (key->wParam == VK_HELP || key->wParam == VK_F1) OpenHelpTopic(owner, topic);
}
