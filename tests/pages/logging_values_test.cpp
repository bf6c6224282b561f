// The Logging page's rules: stored values to controls, controls back with their clamps and
// the "Roll Type" bits, and which controls a roll period leaves enabled.
#include "pages/logging_values.h"

#include <gtest/gtest.h>

namespace {

TEST(LoggingValues, StoredValuesSelectTheirListEntries) {
  struct Case {
    uint32_t textLevel, eventLevel, rollType;
    int textShown, eventShown, periodShown;
    bool deleteOld;
  } cases[] = {
      {0, 0, 0, 0, 0, 0, false},
      {5, 5, 1, 5, 5, 1, false},
      {6, 6, 2, 3, 0, 2, false},  // out of range: "Information" and "Disabled"
      {9, 9, 4 | kRollDeleteOldLogs, 3, 0, 3, true},
      {0xFFFFFFFF, 0xFFFFFFFF, 1 | 4, 3, 0, 1, false},  // the lowest roll bit wins
      {3, 1, 2 | 4, 3, 1, 2, false},
      {3, 1, kRollDeleteOldLogs, 3, 1, 0, true},
      {3, 1, 0xFFFFFFF8, 3, 1, 0, true},  // unknown bits select "Never"
  };
  for (const Case& c : cases) {
    LoggingSettings settings;
    settings.textLogLevel = c.textLevel;
    settings.eventLogLevel = c.eventLevel;
    settings.textRollType = c.rollType;
    settings.textMaxSize = 4096;
    settings.textMaxArchives = 12;
    LoggingControls controls = ShowLogging(settings);
    EXPECT_EQ(controls.textLevel, c.textShown) << c.textLevel;
    EXPECT_EQ(controls.eventLevel, c.eventShown) << c.eventLevel;
    EXPECT_EQ(controls.rollPeriod, c.periodShown) << c.rollType;
    EXPECT_EQ(controls.deleteOld, c.deleteOld) << c.rollType;
    EXPECT_EQ(controls.maxSize, 4096u);
    EXPECT_EQ(controls.archives, 12u);
  }
}

TEST(LoggingValues, ControlsAreStoredClampedWithTheirRollBits) {
  struct Case {
    LoggingControls controls;
    uint32_t textLevel, eventLevel, rollType, maxSize, archives;
  } cases[] = {
      {{3, 1, 0, false, 0, 31}, 3, 1, 0, 0, 31},
      {{5, 0, 1, true, 65535, 366}, 5, 0, 1 | kRollDeleteOldLogs, 65535, 366},
      {{0, 5, 2, false, 99999, 0}, 0, 5, 2, 65535, 1},
      {{1, 2, 3, true, 1, 367}, 1, 2, 4 | kRollDeleteOldLogs, 1, 366},
      {{0, 0, 0, true, 10, 1}, 0, 0, kRollDeleteOldLogs, 10, 1},  // "Never" keeps the retention choice
      {{-1, -1, -1, false, 10, 1}, 4, 2, 0, 10, 1},               // no selection keeps the stored level
  };
  for (const Case& c : cases) {
    LoggingSettings settings;
    settings.textLogLevel = 4;
    settings.eventLogLevel = 2;
    settings.textRollType = 0xFFFFFFFF;
    StoreLogging(c.controls, &settings);
    EXPECT_EQ(settings.textLogLevel, c.textLevel);
    EXPECT_EQ(settings.eventLogLevel, c.eventLevel);
    EXPECT_EQ(settings.textRollType, c.rollType);
    EXPECT_EQ(settings.textMaxSize, c.maxSize);
    EXPECT_EQ(settings.textMaxArchives, c.archives);
  }
}

TEST(LoggingValues, RollingEnablesTheRetentionControls) {
  struct Case {
    int period;
    bool keepUpTo, radios, count;
  } cases[] = {
      {0, true, false, false}, {0, false, false, false}, {1, true, true, true},
      {2, false, true, false}, {3, true, true, true},
  };
  for (const Case& c : cases) {
    LoggingEnablement enabled = EnabledLoggingControls(c.period, c.keepUpTo);
    EXPECT_EQ(enabled.retentionChoice, c.radios) << c.period;
    EXPECT_EQ(enabled.archiveCount, c.count) << c.period << c.keepUpTo;
  }
}

}  // namespace
