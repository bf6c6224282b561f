// The one-instance rule: a machine-wide mutex held while the sheet is up.
#pragma once
#include <windows.h>

class CInstanceLimit {
 public:
  CInstanceLimit() = default;
  // Closes the mutex.
  ~CInstanceLimit();
  CInstanceLimit(const CInstanceLimit&) = delete;
  CInstanceLimit& operator=(const CInstanceLimit&) = delete;

  // Takes the rule; false (bringing the running instance's window forward) when another holds it.
  bool Acquire();

 private:
  HANDLE mutex_ = nullptr;
};
