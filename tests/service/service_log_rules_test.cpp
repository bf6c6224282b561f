// The service's log lines, rolls and archive names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/log_line.h"
#include "service/log_roll.h"

namespace {

LogStamp Stamp(uint16_t year, uint8_t month, uint8_t day, uint8_t weekday, uint8_t hour = 17, uint8_t minute = 1,
               uint8_t second = 7) {
  return {year, month, day, weekday, hour, minute, second};
}

// The log viewer's rule for a prefixed line: spaces at 3, 7 and 33, colons at 18 and 21.
bool ViewerSeesPrefix(const std::string& line) {
  return line.size() >= 35 && line[3] == ' ' && line[7] == ' ' && line[18] == ':' && line[21] == ':' &&
         line[33] == ' ';
}

TEST(ServiceLogLine, EveryLevelHasTheWordTheViewerColoursAndTheFixedPrefix) {
  LogStamp stamp = Stamp(2026, 12, 10, 4);
  struct Case {
    LogLevel level;
    const char* word;
  } cases[] = {{kLogError, "ERROR:  "}, {kLogWarning, "WARNING:"}, {kLogInfo, "Info:   "},
               {kLogTrace, "Trace:  "}, {kLogDebug, "Debug:  "}};
  for (const Case& c : cases) {
    std::string line = FormatLogLine(stamp, c.level, "Check started");
    EXPECT_EQ(line, "Thu Dec 10 2026 17:01:07 " + std::string(c.word) + " Check started\r\n") << c.word;
    EXPECT_TRUE(ViewerSeesPrefix(line)) << line;
  }
  std::string status = FormatStatusLine(Stamp(2027, 1, 3, 0, 0, 0, 0), "2 machines checked");
  EXPECT_EQ(status, "Sun Jan 03 2027 00:00:00 Status:  2 machines checked\r\n");
}

TEST(ServiceLogLine, AMessageCannotForgeAnotherLine) {
  std::string line = FormatLogLine(Stamp(2026, 12, 10, 4), kLogWarning,
                                   "bad\r\nThu Dec 10 2026 17:01:07 ERROR:   forged\tend\x7F");
  EXPECT_EQ(line.find('\n'), line.size() - 1);
  EXPECT_EQ(line.find('\r'), line.size() - 2);
  EXPECT_NE(line.find("bad  Thu Dec 10 2026 17:01:07 ERROR:   forged end "), std::string::npos);
}

TEST(ServiceLogLine, TheConfiguredLevelLetsThroughItselfAndBelow) {
  struct Case {
    uint32_t configured;
    LogLevel level;
    bool written;
  } cases[] = {{0, kLogError, false},  {1, kLogError, true},  {1, kLogWarning, false}, {3, kLogInfo, true},
               {3, kLogTrace, false},  {5, kLogDebug, true},  {9, kLogDebug, true},    {9, kLogDisabled, false}};
  for (const Case& c : cases) EXPECT_EQ(LogLevelAllows(c.configured, c.level), c.written) << c.configured << c.level;
}

TEST(ServiceLogRoll, ThePeriodEndsAtMidnightOnSundayAndOnTheFirst) {
  // 2026-12-05 is a Saturday, 12-06 a Sunday.
  struct Case {
    uint32_t rollType;
    LogStamp last, now;
    bool due;
  } cases[] = {
      {0, Stamp(2026, 12, 5, 6), Stamp(2027, 2, 1, 1), false},
      {kRollDaily, Stamp(2026, 12, 5, 6, 23, 59, 59), Stamp(2026, 12, 6, 0, 0, 0, 0), true},
      {kRollDaily, Stamp(2026, 12, 6, 0, 0, 0, 0), Stamp(2026, 12, 6, 0, 23, 59, 59), false},
      {kRollWeekly, Stamp(2026, 12, 5, 6, 23), Stamp(2026, 12, 6, 0, 0), true},
      {kRollWeekly, Stamp(2026, 12, 6, 0), Stamp(2026, 12, 12, 6), false},
      {kRollWeekly, Stamp(2026, 12, 6, 0), Stamp(2026, 12, 13, 0), true},
      {kRollMonthly, Stamp(2026, 12, 31, 4), Stamp(2027, 1, 1, 5), true},
      {kRollMonthly, Stamp(2026, 12, 1, 2), Stamp(2026, 12, 31, 4), false},
      {kRollMonthly, Stamp(2026, 12, 1, 2), Stamp(2027, 12, 1, 3), true},
      // Daily wins over monthly, as the Logging page shows such a value.
      {kRollDaily | kRollMonthly, Stamp(2026, 12, 1, 2), Stamp(2026, 12, 2, 3), true},
      {kRollDeleteOld | kRollWeekly, Stamp(2026, 12, 5, 6), Stamp(2026, 12, 6, 0), true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PeriodRollDue(c.rollType, c.last, c.now), c.due)
        << c.rollType << " " << int(c.last.day) << " " << int(c.now.day);
  EXPECT_EQ(DayNumber(Stamp(1970, 1, 1, 4)), 0);
  EXPECT_EQ(DayNumber(Stamp(2000, 3, 1, 3)), 11017);
}

TEST(ServiceLogRoll, SizeRollsBeforeALineWouldPassTheLimit) {
  struct Case {
    uint32_t maxKb;
    uint64_t size, line;
    bool due;
  } cases[] = {{0, 1u << 30, 100, false}, {1, 0, 5000, false}, {1, 1000, 24, false},
               {1, 1000, 25, true},       {65535, 65535ull * 1024 - 1, 1, false}};
  for (const Case& c : cases) EXPECT_EQ(SizeRollDue(c.maxKb, c.size, c.line), c.due) << c.maxKb << " " << c.size;
}

TEST(ServiceLogRoll, ArchivesAreDatedSiblingsAndTheOldestGoFirst) {
  LogStamp day = Stamp(2026, 12, 10, 4);
  EXPECT_EQ(ArchiveName("orvanem.log", day, 1), "orvanem.2026-12-10.log");
  EXPECT_EQ(ArchiveName("orvanem.log", day, 3), "orvanem.2026-12-10.3.log");
  EXPECT_EQ(ArchiveName("monitor", day, 1), "monitor.2026-12-10");
  std::vector<std::string> folder = {"orvanem.log", "orvanem.2026-12-09.log", "orvanem.2026-12-10.log",
                                     "orvanem.2026-12-10.2.log", "orvanem.2026-12-10.10.log", "orvanem.2025-01-01.log",
                                     "other.2020-01-01.log", "orvanem.2026-12-xx.log", "orvanem.2026-12-10.2.txt",
                                     "orvanem.2026-12-10.99999999999.log", "orvanem.2026-12-10..log"};
  struct Case {
    uint32_t rollType, maxArchives;
    std::vector<std::string> doomed;
  } cases[] = {
      {kRollDaily, 31, {}},
      {kRollDaily, 3, {"orvanem.2026-12-09.log", "orvanem.2025-01-01.log"}},
      {kRollDaily, 0, {"orvanem.2026-12-10.2.log", "orvanem.2026-12-10.log", "orvanem.2026-12-09.log",
                       "orvanem.2025-01-01.log"}},
      {kRollDaily | kRollDeleteOld, 31, {"orvanem.2026-12-10.10.log", "orvanem.2026-12-10.2.log",
                                         "orvanem.2026-12-10.log", "orvanem.2026-12-09.log", "orvanem.2025-01-01.log"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ArchivesToDelete("orvanem.log", folder, c.rollType, c.maxArchives), c.doomed) << c.maxArchives;
}

}  // namespace
