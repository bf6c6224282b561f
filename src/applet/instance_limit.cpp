// The machine-wide mutex that keeps one sheet up at a time, and bringing the running one forward.
#include "applet/instance_limit.h"

#include <cstdio>
#include <cstring>

#include "ui/page_contract.h"

namespace {

BOOL CALLBACK FindInstanceWindow(HWND window, LPARAM found) {
  char title[257] = "";
  GetWindowTextA(window, title, sizeof title);
  if (!strstr(title, kAppletInstanceName) && !GetPropA(window, kAppletInstanceName)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

bool BringInstanceForward() {
  HWND found = FindRunningApplet();
  if (!found) return false;
  BringWindowToTop(found);
  if (IsIconic(found)) ShowWindow(found, SW_RESTORE);
  SetForegroundWindow(found);
  return true;
}

}  // namespace

HWND FindRunningApplet() {
  HWND found = nullptr;
  EnumWindows(FindInstanceWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

CInstanceLimit::~CInstanceLimit() {
  if (mutex_) CloseHandle(mutex_);
}

// A mutex we may not open exists all the same: that too means another instance runs.
DWORD CInstanceLimit::Acquire() {
  char name[64];
  snprintf(name, sizeof name, "Global\\instance-limit-%s", kAppletInstanceName);
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  mutex_ = CreateMutexA(&attributes, FALSE, name);
  DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED && mutex_) return 0;
  bool another = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
  if (another) BringInstanceForward();
  if (mutex_) CloseHandle(mutex_);
  mutex_ = nullptr;
  return another ? ERROR_ALREADY_EXISTS : (error ? error : ERROR_INVALID_HANDLE);
}
