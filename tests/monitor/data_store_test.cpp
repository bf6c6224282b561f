// Summary files written into the data folder.
#include "monitor/data_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string TempFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "ovmon-store-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(MonitorStore, SummaryPathIsFolderAndTime) {
  EXPECT_EQ(CMonitorStore("C:\\Data\\").SummaryPath(1700000000), "C:\\Data\\1700000000.bin");
  EXPECT_EQ(CMonitorStore("C:\\Data\\").SummaryPath(4294967295u), "C:\\Data\\4294967295.bin");
}

TEST(MonitorStore, WriteSummaryStampsEarlyTimesAndTruncates) {
  CMonitorStore store(TempFolder());
  SummaryRecord record;
  record.status = 3;
  uint32_t before = CurrentUnixSeconds();
  ASSERT_TRUE(store.WriteSummary(&record));  // time 0 takes the current time
  EXPECT_GE(record.time, before);
  EXPECT_LE(record.time, CurrentUnixSeconds());
  std::string bytes = ReadFile(store.SummaryPath(record.time));
  ASSERT_EQ(bytes.size(), kSummarySize);
  EXPECT_EQ(DecodeSummary(reinterpret_cast<const uint8_t*>(bytes.data())).status, 3u);

  record.time = 1600000000;
  std::ofstream(store.SummaryPath(record.time), std::ios::binary) << std::string(1000, 'x');
  ASSERT_TRUE(store.WriteSummary(&record));
  EXPECT_EQ(record.time, 1600000000u);
  EXPECT_EQ(ReadFile(store.SummaryPath(record.time)).size(), kSummarySize);  // an older longer file is cut

  CMonitorStore missing("Z:\\no\\such\\folder\\");
  EXPECT_FALSE(missing.WriteSummary(&record));
}

}  // namespace
