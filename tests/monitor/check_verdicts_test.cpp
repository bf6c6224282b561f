// The three test verdicts the History page shows for a check summary.
#include "monitor/check_verdicts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

const int64_t kMostNegative = std::numeric_limits<int64_t>::min();

TEST(HistoryVerdicts, LimitTextsByUnitAndCount) {
  struct Case {
    uint32_t value, unit;
    const char* text;
  } cases[] = {
      {500, 0, "500 ms     "},  {1, 0, "1 ms     "},     {1, 1, "1 second "},  {2, 1, "2 seconds"},
      {1, 2, "1 minute "},     {0, 2, "0 minutes"},     {1, 3, "1 hour   "},  {5, 3, "5 hours  "},
      {7, 4, "7 ms     "},     {7, 0xFFFFFFFF, "7 ms     "},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatLimit(c.value, c.unit), c.text) << c.value << " " << c.unit;
}

TEST(HistoryVerdicts, ThresholdIsTheLimitInMillisecondsWithoutWrapping) {
  EXPECT_EQ(LimitThreshold(500, 0), 500u);
  EXPECT_EQ(LimitThreshold(3, 1), 3000u);
  EXPECT_EQ(LimitThreshold(2, 2), 120000u);
  EXPECT_EQ(LimitThreshold(9, 9), 9u);
  // 1200 hours is more than a 32-bit product holds.
  EXPECT_EQ(LimitThreshold(1200, 3), 4320000000u);
  EXPECT_EQ(LimitThreshold(0xFFFFFFFF, 3), 0xFFFFFFFFull * 3600000);
}

SummaryRecord Limits(uint32_t limit, uint32_t unit) {
  SummaryRecord r;
  r.slaveTest = r.singleTest = r.totalTest = 1;
  r.slaveLimit = r.singleLimit = r.totalLimit = limit;
  r.limitUnit = unit;
  return r;
}

TEST(HistoryVerdicts, MasterSlaveJudgesTheSlavesAverageBySize) {
  struct Case {
    uint32_t limit, unit;
    int64_t slaves;
    uint32_t state;
    const char* text;
  } cases[] = {
      {500, 0, 500, kVerdictFailed, "Master and Slaves disagree by more than 500 ms     "},
      {500, 0, 499, kVerdictPassed, "Master and Slaves agree to within 500 ms     "},
      {500, 0, -499, kVerdictPassed, "Master and Slaves agree to within 500 ms     "},
      {500, 0, -5000, kVerdictFailed, "Master and Slaves disagree by more than 500 ms     "},
      {2, 1, 1999, kVerdictPassed, "Master and Slaves agree to within 2 seconds"},
      {1200, 3, 4000000000, kVerdictPassed, "Master and Slaves agree to within 1200 hours  "},
      {1, 3, kMostNegative, kVerdictFailed, "Master and Slaves disagree by more than 1 hour   "},
  };
  for (const Case& c : cases) {
    SummaryRecord r = Limits(c.limit, c.unit);
    r.averages[1] = c.slaves;
    CheckVerdict v = MasterSlaveVerdict(r);
    EXPECT_EQ(v.text, c.text) << c.slaves;
    EXPECT_EQ(v.state, c.state) << c.slaves;
  }
}

TEST(HistoryVerdicts, SingleMachineNeedsEveryWorstVarianceBelowTheLimit) {
  SummaryRecord r = Limits(1, 1);
  r.worst = {999, -999, 0, 999};
  EXPECT_EQ(SingleMachineVerdict(r).text, "All machines agree with master to within 1 second ");
  EXPECT_EQ(SingleMachineVerdict(r).state, kVerdictPassed);
  for (size_t i = 0; i < r.worst.size(); ++i) {
    SummaryRecord one = r;
    one.worst[i] = i % 2 ? -1000 : 1000;
    EXPECT_EQ(SingleMachineVerdict(one).text, "At least one machine's variance exceeds 1 second ") << i;
    EXPECT_EQ(SingleMachineVerdict(one).state, kVerdictFailed) << i;
  }
  r.worst[3] = kMostNegative;
  EXPECT_EQ(SingleMachineVerdict(r).state, kVerdictFailed);
}

TEST(HistoryVerdicts, TotalAllowsExactlyTheLimit) {
  struct Case {
    int64_t total;
    uint32_t state;
  } cases[] = {{750, kVerdictPassed}, {-750, kVerdictPassed}, {751, kVerdictFailed}, {-751, kVerdictFailed},
               {kMostNegative, kVerdictFailed}};
  for (const Case& c : cases) {
    SummaryRecord r = Limits(750, 0);
    r.averages[4] = c.total;
    EXPECT_EQ(TotalVarianceVerdict(r).state, c.state) << c.total;
  }
  SummaryRecord r = Limits(750, 0);
  r.averages[4] = 751;
  EXPECT_EQ(TotalVarianceVerdict(r).text, "Total system variance exceeds 750 ms     ");
  r.averages[4] = 0;
  EXPECT_EQ(TotalVarianceVerdict(r).text, "Total system variance is within 750 ms     ");
}

TEST(HistoryVerdicts, DisabledTestsSayTheyAreOff) {
  SummaryRecord r;
  r.averages = {9000, 9000, 9000, 9000, 9000};
  EXPECT_EQ(MasterSlaveVerdict(r).text, "Master-slave test disabled.");
  EXPECT_EQ(SingleMachineVerdict(r).text, "Any-one-machine test disabled.");
  EXPECT_EQ(TotalVarianceVerdict(r).text, "Total system variance test disabled.");
  EXPECT_EQ(MasterSlaveVerdict(r).state, kVerdictDisabled);
  EXPECT_EQ(SingleMachineVerdict(r).state, kVerdictDisabled);
  EXPECT_EQ(TotalVarianceVerdict(r).state, kVerdictDisabled);
}

}  // namespace
