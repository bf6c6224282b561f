// Timing-critical sections: the calling thread runs at time-critical priority (and, when
// pinning is on, on one processor) for the few microseconds of a time exchange. Nestable per
// thread; the outermost Leave restores what the outermost Enter changed.
#pragma once
#include <windows.h>

#include <cstdint>

#include "sampling/timing_nesting.h"

class CCriticalTiming {
 public:
  CCriticalTiming();
  // Process priority class back to normal; the 1 ms timer period ended when active.
  virtual ~CCriticalTiming();
  CCriticalTiming(const CCriticalTiming&) = delete;
  CCriticalTiming& operator=(const CCriticalTiming&) = delete;

  // Once: system facts, affinity masks, real-time process priority, the 1 ms timer period.
  void Prepare();
  // Enters a timing-critical section on the calling thread.
  void Enter();
  // Leaves it; the outermost leave restores the thread's priority (and affinity when pinned).
  void Leave();
  // Pins entering threads to one processor (off by default).
  void SetPinning(bool pin);
  // Entries of the calling thread not yet left.
  int Depth();

 private:
  void PinThread();
  void UnpinThread();

  bool timerPeriodActive_ = false;
  bool prepared_ = false;
  bool pinning_ = false;
  DWORD_PTR processMask_ = 0;
  DWORD_PTR systemMask_ = 0;
  DWORD_PTR otherProcessors_ = 0;  // every processor but processor 0
  DWORD_PTR pinMask_ = 1;          // the highest-numbered processor, or processor 0 alone
  SYSTEM_INFO systemInfo_ = {};
  UINT timerPeriodMin_ = 0;
  CRITICAL_SECTION lock_;
  CTimingNesting nesting_;
};

// The process-wide instance.
CCriticalTiming& CriticalTiming();

// Enter on construction, Leave on destruction.
class CCriticalTimingScope {
 public:
  CCriticalTimingScope() { CriticalTiming().Enter(); }
  ~CCriticalTimingScope() { CriticalTiming().Leave(); }
  CCriticalTimingScope(const CCriticalTimingScope&) = delete;
  CCriticalTimingScope& operator=(const CCriticalTimingScope&) = delete;
};
