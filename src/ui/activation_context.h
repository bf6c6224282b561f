// The module's own side-by-side activation context (its manifest selects common controls 6).
#pragma once
#include <windows.h>

class CActivationScope {
 public:
  // Creates the context from manifest resource 2 of module and activates it on this thread.
  explicit CActivationScope(HINSTANCE module);
  // Deactivates and releases the context.
  ~CActivationScope();
  CActivationScope(const CActivationScope&) = delete;
  CActivationScope& operator=(const CActivationScope&) = delete;

  // Whether the context is active.
  bool Active() const { return cookie_ != 0; }

 private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie_ = 0;
};
