// Summary files written into the data folder.
#include "monitor/data_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "monitor/summary_list.h"
#include "support/temp_folder.h"
#include "support/test_io.h"

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string RecordBytes(uint32_t time, uint32_t status, uint8_t flag = 0) {
  SummaryRecord record;
  record.time = time;
  record.status = status;
  record.oldLayoutFlag = flag;
  SummaryBytes bytes = EncodeSummary(record);
  return std::string(bytes.begin(), bytes.end());
}

TEST(MonitorStore, SummaryPathIsFolderAndTime) {
  EXPECT_EQ(CMonitorStore("C:\\Data\\").SummaryPath(1700000000), "C:\\Data\\1700000000.bin");
  EXPECT_EQ(CMonitorStore("C:\\Data\\").SummaryPath(4294967295u), "C:\\Data\\4294967295.bin");
}

TEST(MonitorStore, WriteSummaryStampsEarlyTimesAndTruncates) {
  CMonitorStore store(EmptyTempFolder("store"));
  SummaryRecord record;
  record.status = 3;
  uint32_t before = CurrentUnixSeconds();
  ASSERT_TRUE(store.WriteSummary(&record));  // time 0 takes the current time
  EXPECT_GE(record.time, before);
  EXPECT_LE(record.time, CurrentUnixSeconds());
  std::string bytes = ReadFileText(store.SummaryPath(record.time));
  ASSERT_EQ(bytes.size(), kSummarySize);
  EXPECT_EQ(DecodeSummary(reinterpret_cast<const uint8_t*>(bytes.data())).status, 3u);

  record.time = 1600000000;
  std::ofstream(store.SummaryPath(record.time), std::ios::binary) << std::string(1000, 'x');
  ASSERT_TRUE(store.WriteSummary(&record));
  EXPECT_EQ(record.time, 1600000000u);
  EXPECT_EQ(ReadFileText(store.SummaryPath(record.time)).size(), kSummarySize);  // an older longer file is cut

  CMonitorStore missing("Z:\\no\\such\\folder\\");
  EXPECT_FALSE(missing.WriteSummary(&record));
}

// A data folder with good records and every kind of file the listing must pass over.
class StoreListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = EmptyTempFolder("listing");
    WriteBytes(folder_ + "1700000300.bin", RecordBytes(1700000300, 3));
    WriteBytes(folder_ + "1700000100.BIN", RecordBytes(1700000100, 1));       // capital extension
    WriteBytes(folder_ + "1700000200.bin", RecordBytes(1700000200, 3, 1));    // flag from the older layout
    WriteBytes(folder_ + "12345.bin", RecordBytes(1700000400, 1));            // name not above 2000-01-01
    WriteBytes(folder_ + "1700000500.bin", RecordBytes(1700000500, 1).substr(0, 327));
    WriteBytes(folder_ + "1700000600.bin", RecordBytes(1700000600, 1) + "x");  // 329 bytes
    WriteBytes(folder_ + "notes.bin", RecordBytes(1700000700, 1));
    WriteBytes(folder_ + "1700000100.dat", "detail text");
  }
  std::vector<uint32_t> Times(uint32_t filter) {
    std::vector<SummaryRecord> records(5);  // stale entries are cleared
    size_t count = CMonitorStore(folder_).ListSummaries(filter, &records);
    std::vector<uint32_t> times;
    for (const SummaryRecord& r : records) times.push_back(r.time);
    EXPECT_EQ(count, times.size());
    return times;
  }
  std::string folder_;
};

TEST_F(StoreListingTest, FiltersAndOrder) {
  EXPECT_EQ(Times(kSummariesAll), (std::vector<uint32_t>{1700000100, 1700000200, 1700000300}));
  EXPECT_EQ(Times(kSummariesAlertsOnly), (std::vector<uint32_t>{1700000100}));
  EXPECT_EQ(Times(kSummariesWithoutOldFlag), (std::vector<uint32_t>{1700000100, 1700000300}));
  EXPECT_TRUE(Times(7).empty());
  std::vector<SummaryRecord> none(2);
  EXPECT_EQ(CMonitorStore(EmptyTempFolder("empty")).ListSummaries(kSummariesAll, &none), 0u);
  EXPECT_TRUE(none.empty());
}

TEST_F(StoreListingTest, ReadAndDelete) {
  CMonitorStore store(folder_);
  SummaryRecord record;
  EXPECT_TRUE(store.ReadSummary(1700000300, &record));
  EXPECT_EQ(record.status, 3u);
  EXPECT_FALSE(store.ReadSummary(1700000500, &record));  // short file
  EXPECT_FALSE(store.ReadSummary(1700000600, &record));  // long file
  EXPECT_FALSE(store.ReadSummary(1700009999, &record));  // missing
  WriteBytes(folder_ + "1700000800.bin", RecordBytes(5, 1));
  EXPECT_FALSE(store.ReadSummary(1700000800, &record));  // the record's own time is not valid

  EXPECT_TRUE(store.DetailExists(1700000100));
  SetFileAttributesA(store.DetailPath(1700000100).c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(store.SummaryPath(1700000100).c_str(), FILE_ATTRIBUTE_READONLY);
  store.DeleteSummary(1700000100);
  store.DeleteDetail(1700000100);
  EXPECT_FALSE(store.DetailExists(1700000100));
  EXPECT_FALSE(store.ReadSummary(1700000100, &record));
  store.DeleteSummary(1700009999);  // missing files are no error
}

// Names the store never writes are not its records: a look-alike with a leading zero is neither
// listed nor deleted in a record's place; a detail file left without its record goes; a file that
// is a second name (hard link) of another is deleted only by its own name.
TEST_F(StoreListingTest, LookAlikesAndLoneDetails) {
  CMonitorStore store(folder_);
  WriteBytes(folder_ + "01700000300.bin", RecordBytes(1700000300, 1));
  WriteBytes(folder_ + "01700000300.dat", "not a detail file");
  WriteBytes(folder_ + "1700000900.dat", "left by a write that stopped");
  EXPECT_EQ(Times(kSummariesAll), (std::vector<uint32_t>{1700000100, 1700000200, 1700000300}));
  store.DeleteSummary(1700000300);
  store.DeleteDetail(1700000300);
  EXPECT_EQ(ReadFileText(folder_ + "01700000300.bin"), RecordBytes(1700000300, 1));
  EXPECT_EQ(store.DeleteLoneDetails(), 1u);
  EXPECT_FALSE(store.DetailExists(1700000900));
  EXPECT_TRUE(store.DetailExists(1700000100)) << "its record is there";
  EXPECT_EQ(ReadFileText(folder_ + "01700000300.dat"), "not a detail file");

  std::string outside = EmptyTempFolder("outside") + "precious.txt";
  WriteBytes(outside, "precious");
  ASSERT_TRUE(CreateHardLinkA((folder_ + "1700000950.bin").c_str(), outside.c_str(), nullptr));
  store.DeleteSummary(1700000950);
  EXPECT_EQ(ReadFileText(outside), "precious") << "the other name and its bytes stay";
}

}  // namespace
