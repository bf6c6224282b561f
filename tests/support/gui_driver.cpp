// Driving modal dialogs step by step from a timer on their own thread.
#include "support/gui_driver.h"

#include <cstring>

#include <prsht.h>

namespace {

CStepDriver* g_driver = nullptr;
const int kMaxTicks = 1000;

struct DialogSearch {
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (strcmp(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (search->caption && WindowText(window) != search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (strcmp(name, "#32770") != 0) return TRUE;
  if (PropSheet_GetTabControl(window))
    PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  else
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

}  // namespace

CStepDriver::CStepDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
  g_driver = this;
  timer_ = SetTimer(nullptr, 0, 10, Tick);
}

CStepDriver::~CStepDriver() {
  KillTimer(nullptr, timer_);
  g_driver = nullptr;
}

void CALLBACK CStepDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_driver) g_driver->RunNext();
}

void CStepDriver::RunNext() {
  if (++ticks_ > kMaxTicks) {
    EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
    return;
  }
  if (Finished()) return;
  Step& step = steps_[next_];
  ++next_;  // a step that starts a nested modal loop must not run again from inside it
  if (!step()) --next_;
}

HWND FindThreadDialog(const char* caption) {
  DialogSearch search = {caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

RECT ControlRect(HWND dialog, int id) {
  RECT rect = {};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
