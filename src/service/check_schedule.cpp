// The service's check schedule: periods, asks and the merge interval.
#include "service/check_schedule.h"

#include <algorithm>

void CCheckSchedule::Began(uint64_t now) {
  nextPeriodic_ = now + periodMs_;
  asked_ = false;
}

void CCheckSchedule::Ended(uint64_t now, bool asked) {
  if (asked) mergeUntil_ = now + kTriggerMergeMs;
}

void CCheckSchedule::Ask() { asked_ = true; }

CheckDue CCheckSchedule::DueAt(uint64_t now) const {
  if (asked_ && now >= mergeUntil_) return CheckDue::kAsked;
  return now >= nextPeriodic_ ? CheckDue::kPeriodic : CheckDue::kNothing;
}

uint64_t CCheckSchedule::WaitFrom(uint64_t now) const {
  if (DueAt(now) != CheckDue::kNothing) return 0;
  uint64_t due = asked_ ? std::min(mergeUntil_, nextPeriodic_) : nextPeriodic_;
  return due - now;
}
