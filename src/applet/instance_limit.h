// The one-instance rule: a machine-wide mutex held while the sheet is up.
#pragma once
#include <windows.h>

// The running applet's sheet (found by its mark), or nullptr.
HWND FindRunningApplet();

class CInstanceLimit {
 public:
  CInstanceLimit() = default;
  // Closes the mutex.
  ~CInstanceLimit();
  CInstanceLimit(const CInstanceLimit&) = delete;
  CInstanceLimit& operator=(const CInstanceLimit&) = delete;

  // Takes the rule: 0; ERROR_ALREADY_EXISTS (bringing the running sheet forward) when another
  // instance holds it; else the system's error code for the mutex.
  DWORD Acquire();

 private:
  HANDLE mutex_ = nullptr;
};
