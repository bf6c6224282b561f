// When the service checks: at start, by period, and on asks, a burst of asks merged.
#include "service/check_schedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const uint64_t kPeriod = 60000;

// Runs a schedule over a timeline of asks (ms), each check taking checkMs; returns when checks began.
std::vector<uint64_t> ChecksBegun(const std::vector<uint64_t>& asks, uint64_t until, uint64_t checkMs) {
  CCheckSchedule schedule(kPeriod);
  std::vector<uint64_t> begun;
  size_t next = 0;
  for (uint64_t now = 0; now <= until;) {
    CheckDue due = schedule.DueAt(now);
    if (due != CheckDue::kNothing) {
      schedule.Began(now);
      begun.push_back(now);
      now += checkMs;
      schedule.Ended(now, due == CheckDue::kAsked);
      for (; next < asks.size() && asks[next] <= now; ++next) schedule.Ask();  // seen once the check is over
      continue;
    }
    uint64_t wake = now + schedule.WaitFrom(now);
    if (next < asks.size() && asks[next] <= wake) {
      now = asks[next++];
      schedule.Ask();
    } else {
      now = wake;
    }
  }
  return begun;
}

TEST(CheckSchedule, AsksAreAnsweredAtOnceOrMergedIntoOneCheck) {
  std::vector<uint64_t> burst;
  for (uint64_t i = 0; i < 40; ++i) burst.push_back(5000 + i * 25);  // 40 asks within a second
  struct Case {
    const char* what;
    std::vector<uint64_t> asks;
    uint64_t until, checkMs;
    std::vector<uint64_t> begun;
  } cases[] = {
      {"start and period", {}, 130000, 500, {0, 60000, 120000}},
      {"one ask", {5000}, 20000, 500, {0, 5000}},
      {"a burst: one check, one merged after it", burst, 50000, 500, {0, 5000, 5500 + kTriggerMergeMs}},
      {"a burst during a long check: one more after it", burst, 50000, 3000, {0, 5000, 8000 + kTriggerMergeMs}},
      {"asks after a periodic check are not held back", {1000, 30000}, 50000, 500, {0, 1000, 30000}},
      {"the period runs from the last check, asked or not", {30000, 30600}, 101000, 500,
       {0, 30000, 30500 + kTriggerMergeMs, 90000 + kTriggerMergeMs + 500}},
  };
  for (const Case& c : cases) EXPECT_EQ(ChecksBegun(c.asks, c.until, c.checkMs), c.begun) << c.what;
}

TEST(CheckSchedule, WaitsUntilWhateverComesFirst) {
  CCheckSchedule schedule(kPeriod);
  EXPECT_EQ(schedule.WaitFrom(0), 0u);
  schedule.Began(0);
  schedule.Ended(100, true);
  EXPECT_EQ(schedule.WaitFrom(100), kPeriod - 100);
  schedule.Ask();
  EXPECT_EQ(schedule.WaitFrom(100), kTriggerMergeMs);
  EXPECT_EQ(schedule.DueAt(100 + kTriggerMergeMs), CheckDue::kAsked);
  schedule.SetPeriod(0);  // no period reads as a millisecond, never as "never"
  schedule.Began(200);
  EXPECT_EQ(schedule.DueAt(201), CheckDue::kPeriodic);
}

}  // namespace
