// When the service checks: at start, a period after the last check began, and when "Rescan Now"
// (or ovmonctl check --now) asks. Asks that come while a check that was asked for runs, or soon
// after it, are merged into one check when that short interval is over, so that a burst of asks
// neither floods the store nor pushes real history out.
// Times are milliseconds of a monotonic counter, which no setting of the clock moves.
#pragma once
#include <cstdint>

// How long after a check that was asked for further asks wait, merged into one check.
constexpr uint64_t kTriggerMergeMs = 10000;

enum class CheckDue { kNothing, kPeriodic, kAsked };

class CCheckSchedule {
 public:
  // A schedule whose first check is due at once.
  explicit CCheckSchedule(uint64_t periodMs) : periodMs_(periodMs ? periodMs : 1) {}

  // Takes a new check period (after the settings were read again).
  void SetPeriod(uint64_t periodMs) { periodMs_ = periodMs ? periodMs : 1; }
  // A check began at now: the next periodic one is due a period later; pending asks are answered.
  void Began(uint64_t now);
  // A check ended at now: an asked-for check opens the merge interval.
  void Ended(uint64_t now, bool asked);
  // An ask arrived: due at once, or merged into one when the interval ends.
  void Ask();
  // What is due at now.
  CheckDue DueAt(uint64_t now) const;
  // Milliseconds from now until something is due (0 when something is).
  uint64_t WaitFrom(uint64_t now) const;

 private:
  uint64_t periodMs_;
  uint64_t nextPeriodic_ = 0;
  uint64_t mergeUntil_ = 0;
  bool asked_ = false;
};
