// The service's text log on disk: rolls by date and by size into dated siblings, and the
// number of archives kept.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "service/log_roll.h"
#include "service/service_log.h"
#include "support/temp_folder.h"

namespace {

std::vector<std::string> Files(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Leaves a log of size bytes last written days ago (local midday).
void OldLog(const std::string& path, size_t size, int days) {
  std::ofstream(path, std::ios::binary) << std::string(size, 'x');
  SYSTEMTIME local;
  GetLocalTime(&local);
  local.wHour = 12;
  FILETIME time, utc;
  SystemTimeToFileTime(&local, &time);
  ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
  value.QuadPart -= uint64_t(days) * 864000000000ull;
  time = {value.LowPart, value.HighPart};
  LocalFileTimeToFileTime(&time, &utc);
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &utc);
  CloseHandle(file);
}

std::string Dated(int daysAgo, uint32_t sequence = 1) {
  SYSTEMTIME local;
  GetLocalTime(&local);
  FILETIME time;
  SystemTimeToFileTime(&local, &time);
  ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
  value.QuadPart -= uint64_t(daysAgo) * 864000000000ull;
  time = {value.LowPart, value.HighPart};
  FileTimeToSystemTime(&time, &local);
  LogStamp stamp{local.wYear, uint8_t(local.wMonth), uint8_t(local.wDay), uint8_t(local.wDayOfWeek)};
  return ArchiveName("orvanem.log", stamp, sequence);
}

TEST(ServiceLog, RollsByDateAndSizeAndKeepsTheArchiveCount) {
  struct Case {
    const char* what;
    uint32_t rollType, maxSize, maxArchives;
    size_t oldSize;
    int oldDays;
    std::vector<std::string> before;  // archives already there
    std::vector<std::string> after;   // archives afterwards
  } cases[] = {
      {"daily: yesterday's log becomes its archive", kRollDaily, 0, 31, 10, 1, {}, {Dated(1)}},
      {"never: no roll by date", 0, 0, 31, 10, 3, {}, {}},
      {"size: a full log of today rolls", 0, 1, 31, 1020, 0, {}, {Dated(0)}},
      {"size: the second roll of a day", 0, 1, 31, 1020, 0, {Dated(0)}, {Dated(0), Dated(0, 2)}},
      {"the archive count holds", kRollDaily, 0, 2, 10, 1, {Dated(3), Dated(2)}, {Dated(1), Dated(2)}},
      {"delete old logs keeps none", kRollDaily | kRollDeleteOld, 0, 31, 10, 1, {Dated(3)}, {}},
  };
  for (const Case& c : cases) {
    std::string folder = EmptyTempFolder("service-log-roll");
    for (const std::string& archive : c.before) std::ofstream(folder + archive) << "old\r\n";
    OldLog(folder + "orvanem.log", c.oldSize, c.oldDays);
    CServiceLog log;
    ServiceLogSettings settings;
    settings.path = folder + "orvanem.log";
    settings.logging.textRollType = c.rollType;
    settings.logging.textMaxSize = c.maxSize;
    settings.logging.textMaxArchives = c.maxArchives;
    settings.eventLogEnabled = false;
    log.Configure(settings);
    log.Write(kLogInfo, "Orvane Monitor service started");
    std::vector<std::string> expected = c.after;
    expected.push_back("orvanem.log");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Files(folder), expected) << c.what;
  }
}

TEST(ServiceLog, WritesOnlyWhatTheLevelLetsThrough) {
  std::string folder = EmptyTempFolder("service-log-level");
  CServiceLog log;
  ServiceLogSettings settings;
  settings.path = folder + "orvanem.log";
  settings.logging.textLogLevel = 2;
  log.Configure(settings);
  log.Write(kLogError, "an error");
  log.Write(kLogWarning, "a warning");
  log.Write(kLogInfo, "some information");
  log.Status("a check", true);
  log.Status("a quiet check", false);
  std::ifstream file(settings.path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  struct Case {
    const char* line;
    bool written;
  } cases[] = {{" ERROR:   an error\r\n", true}, {" WARNING: a warning\r\n", true}, {" Info:    some information", false},
               {" Status:  a check\r\n", true}, {"a quiet check", false}};
  for (const Case& c : cases) EXPECT_EQ(text.find(c.line) != std::string::npos, c.written) << c.line;
}

}  // namespace
