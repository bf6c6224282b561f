// CCriticalTiming: raised priority, timer period and processor pinning around an exchange.
#include "sampling/critical_timing.h"

namespace {

// The multimedia timer functions, looked up by name so the product links no extra library.
struct TimerPeriodFunctions {
  typedef UINT(WINAPI* PeriodFn)(UINT);
  struct Caps {
    UINT periodMin;
    UINT periodMax;
  };
  typedef UINT(WINAPI* CapsFn)(Caps*, UINT);
  PeriodFn begin = nullptr;
  PeriodFn end = nullptr;
  CapsFn caps = nullptr;

  TimerPeriodFunctions() {
    HMODULE winmm = LoadLibraryA("winmm.dll");
    if (!winmm) return;
    begin = reinterpret_cast<PeriodFn>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod")));
    end = reinterpret_cast<PeriodFn>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeEndPeriod")));
    caps = reinterpret_cast<CapsFn>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeGetDevCaps")));
  }
};

TimerPeriodFunctions& TimerPeriod() {
  static TimerPeriodFunctions functions;
  return functions;
}

// The highest processor in mask, or processor 0 when it holds one processor only.
DWORD_PTR HighestProcessor(DWORD_PTR mask) {
  DWORD_PTR highest = 1;
  for (DWORD_PTR bit = 1; bit != 0; bit <<= 1)
    if (mask & bit) highest = bit;
  return highest;
}

}  // namespace

CCriticalTiming::CCriticalTiming() { InitializeCriticalSection(&lock_); }

CCriticalTiming::~CCriticalTiming() {
  if (prepared_) SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  if (timerPeriodActive_ && TimerPeriod().end) TimerPeriod().end(1);
  DeleteCriticalSection(&lock_);
}

void CCriticalTiming::Prepare() {
  EnterCriticalSection(&lock_);
  if (!prepared_) {
    GetSystemInfo(&systemInfo_);
    if (!GetProcessAffinityMask(GetCurrentProcess(), &processMask_, &systemMask_)) processMask_ = systemMask_ = 1;
    // The system grants high priority when real-time is not allowed.
    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    TimerPeriodFunctions& timer = TimerPeriod();
    TimerPeriodFunctions::Caps caps = {};
    if (timer.caps && timer.caps(&caps, sizeof caps) == 0) timerPeriodMin_ = caps.periodMin;
    if (timer.begin && timerPeriodMin_ <= 1) timerPeriodActive_ = timer.begin(1) == 0;
    otherProcessors_ = processMask_ & ~DWORD_PTR(1);
    pinMask_ = HighestProcessor(processMask_);
    prepared_ = true;
  }
  LeaveCriticalSection(&lock_);
}

void CCriticalTiming::SetPinning(bool pin) {
  EnterCriticalSection(&lock_);
  pinning_ = pin;
  LeaveCriticalSection(&lock_);
}

void CCriticalTiming::Enter() {
  EnterCriticalSection(&lock_);
  DWORD id = GetCurrentThreadId();
  if (nesting_.Enter(id)) {
    HANDLE thread = GetCurrentThread();
    int priority = GetThreadPriority(thread);
    nesting_.SavePriority(id, priority);
    if (priority != THREAD_PRIORITY_TIME_CRITICAL) SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    if (pinning_ && otherProcessors_ != 0) PinThread();
  }
  LeaveCriticalSection(&lock_);
}

void CCriticalTiming::Leave() {
  EnterCriticalSection(&lock_);
  int saved = 0;
  if (nesting_.Leave(GetCurrentThreadId(), &saved)) {
    HANDLE thread = GetCurrentThread();
    if (GetThreadPriority(thread) != saved) SetThreadPriority(thread, saved);
    if (pinning_) UnpinThread();
  }
  LeaveCriticalSection(&lock_);
}

int CCriticalTiming::Depth() {
  EnterCriticalSection(&lock_);
  int depth = nesting_.Depth(GetCurrentThreadId());
  LeaveCriticalSection(&lock_);
  return depth;
}

void CCriticalTiming::PinThread() { SetThreadAffinityMask(GetCurrentThread(), pinMask_); }

void CCriticalTiming::UnpinThread() {
  if (processMask_ != 0) SetThreadAffinityMask(GetCurrentThread(), processMask_);
}

CCriticalTiming& CriticalTiming() {
  static CCriticalTiming timing;
  return timing;
}
