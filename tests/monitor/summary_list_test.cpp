// The stored checks' file names, filters and sort.
#include "monitor/summary_list.h"

#include <gtest/gtest.h>

namespace {

TEST(SummaryTimeFromFileName, Table) {
  const struct {
    const char* name;
    uint32_t time;
  } cases[] = {
      {"1700000000.bin", 1700000000}, {"1700000000.BIN", 1700000000}, {"1700000000.Bin", 1700000000},
      {"946684801.bin", 946684801},   {"946684800.bin", 0},          {"12345.bin", 0},
      {"1700000000.dat", 0},          {"1700000000.bin.old", 0},     {"1700000000x.bin", 0},
      {".bin", 0},                    {"4294967295.bin", 4294967295u}, {"4294967296.bin", 0},
      {"99999999999999999999.bin", 0}, {"17000 00000.bin", 0},       {"1700000000", 0},
      // Only names the store writes: a leading zero makes another file's look-alike.
      {"01700000000.bin", 0},          {"0001700000000.bin", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(SummaryTimeFromFileName(c.name), c.time) << c.name;
  EXPECT_EQ(CheckTimeFromFileName("1700000000.DAT", ".dat"), 1700000000u);
  EXPECT_EQ(CheckTimeFromFileName("01700000000.dat", ".dat"), 0u);
  EXPECT_EQ(CheckTimeFromFileName("1700000000.bin", ".dat"), 0u);
}

// The names the store writes are the names its listing takes back, for every time it keys.
TEST(StoredCheckFileNames, ReadBackAsTheirTime) {
  for (uint32_t time : {946684801u, 1700000000u, 4294967295u}) {
    EXPECT_EQ(SummaryTimeFromFileName(SummaryFileName(time)), time) << time;
    EXPECT_EQ(CheckTimeFromFileName(DetailFileName(time), ".dat"), time) << time;
    EXPECT_EQ(CheckTimeFromFileName(DetailFileName(time), ".bin"), 0u) << time;
  }
  EXPECT_EQ(SummaryFileName(1700000000), "1700000000.bin");
  EXPECT_EQ(DetailFileName(1700000000), "1700000000.dat");
}

TEST(KeepSummary, Filters) {
  SummaryRecord alert, quiet, flagged;
  alert.status = 1;
  quiet.status = 3;
  flagged.status = 3;
  flagged.oldLayoutFlag = 1;
  EXPECT_TRUE(KeepSummary(alert, kSummariesAlertsOnly));
  EXPECT_FALSE(KeepSummary(quiet, kSummariesAlertsOnly));
  EXPECT_TRUE(KeepSummary(quiet, kSummariesWithoutOldFlag));
  EXPECT_FALSE(KeepSummary(flagged, kSummariesWithoutOldFlag));
  EXPECT_TRUE(KeepSummary(flagged, kSummariesAll));
  EXPECT_FALSE(KeepSummary(alert, 3));
}

TEST(SortSummaries, OldestFirst) {
  std::vector<SummaryRecord> records(3);
  records[0].time = 1700000300;
  records[1].time = 1700000100;
  records[2].time = 1700000200;
  SortSummaries(&records);
  EXPECT_EQ(records[0].time, 1700000100u);
  EXPECT_EQ(records[2].time, 1700000300u);
}

}  // namespace
