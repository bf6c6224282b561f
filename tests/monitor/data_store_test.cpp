// Summary files written into the data folder.
#include "monitor/data_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "monitor/summary_list.h"
#include "platform/folder_files.h"
#include "platform/guarded_files.h"
#include "platform/registry.h"
#include "support/registry_sandbox.h"
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

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

SummaryRecord Record(uint32_t time, uint32_t status) {
  SummaryRecord record;
  record.time = time;
  record.status = status;
  record.averages = {1, -2, 3, -4, 5};
  return record;
}

const char kParameters[] = "Software\\Tallowin\\Orvane Monitor\\Parameters";
const char* const kCopyNames[] = {"Check Results", "Check Results (alert)"};
const CheckCopy kCopies[] = {CheckCopy::kLastCheck, CheckCopy::kLastAlert};

// Both registry copies read through the one reading, the same whichever copy it is: the two layouts
// give their record, anything else reads as no check; the older layout says so, for the upgrade.
TEST(CheckCopies, ReadTheSameWhicheverCopyAndLayout) {
  CRegistrySandbox sandbox;
  std::string stored = RecordBytes(1700000000, 1);
  std::string old(kOldSummarySize, '\0');
  old[16] = 3;
  std::memcpy(&old[20], "\x00\x10\x5E\x5F", 4);  // 1600000000
  SummaryRecord converted = ConvertOldSummary(reinterpret_cast<const uint8_t*>(old.data()));
  struct Case {
    const char* what;
    DWORD type;
    std::string value;  // none: the value is missing
    SummaryRecord expected;
    bool oldLayout;
  } cases[] = {
      {"328 bytes", REG_BINARY, stored, DecodeSummary(reinterpret_cast<const uint8_t*>(stored.data())), false},
      {"432 bytes", REG_BINARY, old, converted, true},
      {"5 bytes", REG_BINARY, "\x01\x02\x03\x04\x05", {}, false},
      {"a text", REG_SZ, std::string("not a summary", 14), {}, false},
      {"missing", REG_NONE, "", {}, false},
  };
  ASSERT_EQ(converted.time, 1600000000u);
  for (const Case& c : cases) {
    for (size_t i = 0; i < 2; ++i) {
      DeleteRegistryValue("", kCopyNames[i]);
      if (!c.value.empty()) SetRawValue(kParameters, kCopyNames[i], c.type, c.value.data(), DWORD(c.value.size()));
      bool oldLayout = !c.oldLayout;
      EXPECT_TRUE(ReadCheckCopy(kCopies[i], &oldLayout) == c.expected) << c.what << " in " << kCopyNames[i];
      EXPECT_EQ(oldLayout, c.oldLayout) << c.what << " in " << kCopyNames[i];
    }
  }
}

TEST(CheckCopies, AreWrittenAs328BinaryBytes) {
  CRegistrySandbox sandbox;
  for (size_t i = 0; i < 2; ++i) {
    SummaryRecord record = Record(1700000000 + uint32_t(i), 1);
    ASSERT_TRUE(WriteCheckCopy(kCopies[i], record));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(GetRawValue(kParameters, kCopyNames[i], &type, &data));
    EXPECT_EQ(type, DWORD(REG_BINARY));
    SummaryBytes bytes = EncodeSummary(record);
    EXPECT_EQ(data, std::string(bytes.begin(), bytes.end())) << kCopyNames[i];
    EXPECT_TRUE(ReadCheckCopy(kCopies[i]) == record) << kCopyNames[i];
  }
}

// A stored check: both files whole under their names, no ".partial" left behind, then the copies,
// the alert copy only for an alert.
TEST(MonitorStore, StoreCheckWritesBothFilesThenTheCopies) {
  CRegistrySandbox sandbox;
  std::string folder = EmptyTempFolder("store-check");
  CMonitorStore store(folder);
  SummaryRecord quiet = Record(1700000000, kCheckQuiet), alert = Record(1700000600, kCheckAlert);
  ASSERT_TRUE(store.StoreCheck(quiet, "quiet detail", false));
  SummaryBytes bytes = EncodeSummary(quiet);
  EXPECT_EQ(ReadFileText(store.SummaryPath(quiet.time)), std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(ReadFileText(store.DetailPath(quiet.time)), "quiet detail");
  EXPECT_TRUE(ReadCheckCopy(CheckCopy::kLastCheck) == quiet);
  EXPECT_TRUE(ReadCheckCopy(CheckCopy::kLastAlert) == SummaryRecord());

  ASSERT_TRUE(store.StoreCheck(alert, "", true));
  EXPECT_FALSE(store.DetailExists(alert.time)) << "no text, no detail file";
  EXPECT_TRUE(ReadCheckCopy(CheckCopy::kLastCheck) == alert);
  EXPECT_TRUE(ReadCheckCopy(CheckCopy::kLastAlert) == alert);
  EXPECT_TRUE(FilesMatching(folder, "*.partial").empty());
}

// A check whose key is already taken stores nothing, and the stored check keeps both its files.
TEST(MonitorStore, AStoreOnATakenKeyLeavesTheStoredCheckWhole) {
  CRegistrySandbox sandbox;
  CMonitorStore store(EmptyTempFolder("store-taken"));
  SummaryRecord first = Record(1700000000, kCheckQuiet), second = Record(1700000000, kCheckAlert);
  ASSERT_TRUE(store.StoreCheck(first, "first detail", false));
  EXPECT_FALSE(store.StoreCheck(second, "second detail", true));
  SummaryRecord read;
  ASSERT_TRUE(store.ReadSummary(first.time, &read));
  EXPECT_TRUE(read == first);
  EXPECT_EQ(ReadFileText(store.DetailPath(first.time)), "first detail");
  EXPECT_TRUE(ReadCheckCopy(CheckCopy::kLastCheck) == first);
  EXPECT_TRUE(ReadCheckCopy(CheckCopy::kLastAlert) == SummaryRecord());
}

// Partial files go at start; a purge takes every stored check and leaves what is not the store's,
// and the folder with it, which goes once it is empty.
TEST(MonitorStore, PartialFilesAndPurge) {
  std::string folder = EmptyTempFolder("store-purge");
  CMonitorStore store(folder);
  WriteBytes(folder + "1700000000.bin", RecordBytes(1700000000, 3));
  WriteBytes(folder + "1700000000.dat", "detail");
  WriteBytes(folder + "1700000100.dat", "lone detail");
  WriteBytes(folder + "1700000200.bin" + kPartialFileSuffix, "half a summary");
  WriteBytes(folder + "1700000200.dat" + kPartialFileSuffix, "half a detail");
  WriteBytes(folder + "notes.txt", "the administrator's");
  store.RemovePartialFiles();
  EXPECT_TRUE(FilesMatching(folder, "*.partial").empty());
  EXPECT_EQ(FilesMatching(folder, "*").size(), 4u);
  store.DeleteAll();
  EXPECT_EQ(FilesMatching(folder, "*"), std::vector<std::string>{"notes.txt"});
  DeleteFileA((folder + "notes.txt").c_str());
  store.DeleteAll();
  EXPECT_FALSE(FileExists(folder));
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
