// The History page's copy of the data folder: what a new scan makes it read and forget, and the
// records a filter shows.
#include "pages/history_records.h"

#include <gtest/gtest.h>

namespace {

SummaryFile File(const char* name, uint32_t time, uint64_t size = 328, uint64_t written = 1) {
  return {name, time, size, written};
}

HistoryEntry Entry(const SummaryFile& file, uint32_t status, uint32_t recordTime = 0) {
  HistoryEntry entry{file, SummaryRecord()};
  entry.record.time = recordTime ? recordTime : file.time;
  entry.record.status = status;
  return entry;
}

std::vector<std::string> Names(const std::vector<SummaryFile>& files) {
  std::vector<std::string> names;
  for (const SummaryFile& file : files) names.push_back(file.name);
  return names;
}

TEST(HistoryRefreshPlan, ReadsOnlyNewAndChangedFilesAndForgetsVanishedOnes) {
  KnownSummaryFiles known = {{"1700000001.bin", File("1700000001.bin", 1700000001)},
                             {"1700000002.bin", File("1700000002.bin", 1700000002)},
                             {"1700000003.bin", File("1700000003.bin", 1700000003)},
                             {"1700000004.bin", File("1700000004.bin", 1700000004)}};
  std::vector<SummaryFile> scanned = {
      File("1700000001.bin", 1700000001),          // unchanged
      File("1700000002.bin", 1700000002, 327),     // rewritten shorter
      File("1700000003.bin", 1700000003, 328, 2),  // rewritten, same size
      File("1700000005.bin", 1700000005),          // new
      File("01700000001.bin", 1700000001),         // another file standing for the same time
  };
  HistoryRefreshPlan plan = PlanHistoryRefresh(known, scanned);
  EXPECT_EQ(Names(plan.read),
            (std::vector<std::string>{"1700000002.bin", "1700000003.bin", "1700000005.bin", "01700000001.bin"}));
  EXPECT_EQ(plan.drop, std::vector<std::string>{"1700000004.bin"});

  EXPECT_TRUE(PlanHistoryRefresh(known, {}).read.empty());
  EXPECT_EQ(PlanHistoryRefresh(known, {}).drop.size(), 4u);
  EXPECT_EQ(PlanHistoryRefresh({}, scanned).read.size(), scanned.size());
}

TEST(HistoryRecords, FiltersOrderByTheFileAndKeepEveryFile) {
  CHistoryRecords records;
  records.Put(Entry(File("1700000003.bin", 1700000003), 3));
  records.Put(Entry(File("1700000001.bin", 1700000001), 1));
  // A copied file whose record names another time stays its own item, in its file's place.
  records.Put(Entry(File("1700000002.bin", 1700000002), 1, 1700000003));
  records.Put(Entry(File("01700000002.bin", 1700000002), 3));

  std::vector<std::string> all, alerts;
  for (const HistoryEntry* entry : records.Filtered(kSummariesAll)) all.push_back(entry->file.name);
  for (const HistoryEntry* entry : records.Filtered(kSummariesAlertsOnly)) alerts.push_back(entry->file.name);
  EXPECT_EQ(all, (std::vector<std::string>{"1700000001.bin", "01700000002.bin", "1700000002.bin", "1700000003.bin"}));
  EXPECT_EQ(alerts, (std::vector<std::string>{"1700000001.bin", "1700000002.bin"}));
  EXPECT_TRUE(records.Filtered(7).empty());

  // Replacing a file's entry and forgetting one.
  records.Put(Entry(File("1700000001.bin", 1700000001, 328, 9), 3));
  records.Drop("1700000003.bin");
  records.Drop("never-known.bin");
  EXPECT_EQ(records.Size(), 3u);
  EXPECT_EQ(records.Known().at("1700000001.bin").writeTime, 9u);
  EXPECT_TRUE(records.Filtered(kSummariesAlertsOnly).size() == 1);

  // The graph's view: every record by its own time.
  std::vector<uint32_t> times;
  for (const SummaryRecord& record : records.AllRecords()) times.push_back(record.time);
  EXPECT_EQ(times, (std::vector<uint32_t>{1700000001, 1700000002, 1700000003}));
}

}  // namespace
