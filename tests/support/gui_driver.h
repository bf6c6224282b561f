// Drives modal dialogs from inside their own message loop: each step runs on a thread timer
// tick and may ask to be retried (while it waits for a window); a run that never finishes
// cancels every dialog of the thread so the test fails instead of hanging.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CStepDriver {
 public:
  using Step = std::function<bool()>;  // true when done, false to run again next tick
  // Starts running steps one per tick.
  explicit CStepDriver(std::vector<Step> steps);
  // Stops the timer.
  ~CStepDriver();
  // Whether every step ran to completion.
  bool Finished() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void RunNext();

  std::vector<Step> steps_;
  size_t next_ = 0;
  int ticks_ = 0;
  UINT_PTR timer_ = 0;
};

// The first visible top-level dialog of this thread whose caption is caption (any caption when null).
HWND FindThreadDialog(const char* caption);
// The window's text.
std::string WindowText(HWND window);
// The control's rectangle in its dialog's client coordinates.
RECT ControlRect(HWND dialog, int id);

// Sheets of test programs running side by side would meet the one-instance rule: take turns.
class CSheetTurn {
 public:
  CSheetTurn() : mutex_(CreateMutexA(nullptr, FALSE, "Global\\ovmon-sheet-test-turn")) {
    WaitForSingleObject(mutex_, 120000);
  }
  ~CSheetTurn() {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
};
