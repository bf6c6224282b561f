// The service's text log on disk: rolls by date and by size into dated siblings, and the
// number of archives kept.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "service/log_roll.h"
#include "service/event_recorder.h"
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

// Each kind reaches Event Viewer with its own ID, category and type, as "Enabled", "Summary Only"
// and the Event Viewer's "Log Level" allow; the text log has its line whatever they say.
TEST(ServiceLog, EventsReachEventViewerWithTheirIdsAsTheSettingsAllow) {
  SummaryRecord alert;
  alert.time = 1700000000;
  alert.status = kCheckAlert;
  alert.counts = {2, 2, 0, 0, 0};
  alert.singleTest = 1;
  alert.singleLimit = 10;
  alert.worst = {20, 0, 0, 0};
  SummaryRecord passed = alert;
  passed.status = kCheckQuiet;
  const struct {
    const char* what;
    ServiceEvent event;
    bool enabled, summaryOnly;
    uint32_t level;
    DWORD id;  // 0: no entry
    WORD type, category;
    const char* line;  // what the text log line holds
  } cases[] = {
      {"a passed check at level 3", CheckEvents(passed, {}, "")[0], true, true, 3, 200, EVENTLOG_INFORMATION_TYPE,
       kCategoryCheck, " Status:  Check of 2 machines at 2023-11-14T22:13:20Z: 2 answered"},
      {"a passed check at level 1", CheckEvents(passed, {}, "")[0], true, true, 1, 0, 0, 0, " Status:  Check of 2"},
      {"an alert at level 1", CheckEvents(alert, {}, "")[0], true, true, 1, 201, EVENTLOG_ERROR_TYPE, kCategoryCheck,
       "; ALERT: At least one machine's variance exceeds 10 ms."},
      {"an alert, Event Viewer off", CheckEvents(alert, {}, "")[0], false, false, 5, 0, 0, 0, " Status:  Check of 2"},
      {"a start, summary only", ServiceStartedEvent(3, 720, "C:\\d\\"), true, true, 5, 0, 0, 0,
       " Info:    The Orvane Monitor service started: 3 monitored machines"},
      {"a start", ServiceStartedEvent(3, 720, "C:\\d\\"), true, false, 3, 100, EVENTLOG_INFORMATION_TYPE,
       kCategoryService, "a check every 720 minutes, checks stored in C:\\d\\."},
      {"a refused store, summary only", StoreRefusedEvent("C:\\d\\", "it is a link"), true, true, 1, 401,
       EVENTLOG_ERROR_TYPE, kCategoryStorage, " ERROR:   The Orvane Monitor service wrote nothing to C:\\d\\: it is a link."},
      {"a failed mail", MailFailedEvent(1700000000, "m:25", "refused"), true, true, 1, 301, EVENTLOG_ERROR_TYPE,
       kCategoryAlert, "could not be sent through m:25: refused"},
      {"another line", MessageEvent(kLogWarning, "a warning"), true, false, 2, 1000, EVENTLOG_WARNING_TYPE,
       kCategoryService, " WARNING: a warning"},
  };
  for (const auto& c : cases) {
    std::string folder = EmptyTempFolder("service-log-events");
    CEventRecorder recorder;
    CServiceLog log;
    log.SendEventsTo(recorder.Sink());
    ServiceLogSettings settings;
    settings.path = folder + "orvanem.log";
    settings.logging.textLogLevel = 5;
    settings.logging.eventLogLevel = c.level;
    settings.eventLogEnabled = c.enabled;
    settings.eventLogSummaryOnly = c.summaryOnly;
    log.Configure(settings);
    log.Report(c.event);
    std::vector<EventLogEntry> entries = recorder.Entries();
    ASSERT_EQ(entries.size(), c.id ? 1u : 0u) << c.what;
    if (c.id) {
      EXPECT_EQ(entries[0].id, c.id) << c.what;
      EXPECT_EQ(entries[0].type, c.type) << c.what;
      EXPECT_EQ(entries[0].category, c.category) << c.what;
      EXPECT_EQ(entries[0].inserts, c.event.inserts) << c.what;
    }
    std::ifstream file(settings.path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(c.line), std::string::npos) << c.what << ": " << text;
  }
}

TEST(ServiceLog, ARollIsReportedWithItsArchive) {
  std::string folder = EmptyTempFolder("service-log-rolled");
  std::ofstream(folder + Dated(3)) << "old\r\n";
  OldLog(folder + "orvanem.log", 10, 1);
  CEventRecorder recorder;
  CServiceLog log;
  log.SendEventsTo(recorder.Sink());
  ServiceLogSettings settings;
  settings.path = folder + "orvanem.log";
  settings.logging.textRollType = kRollDaily;
  settings.logging.textMaxArchives = 1;
  settings.logging.eventLogLevel = 3;
  settings.eventLogSummaryOnly = false;
  log.Configure(settings);
  log.Write(kLogError, "after the roll");
  std::vector<EventLogEntry> entries = recorder.Entries();
  ASSERT_EQ(recorder.Ids(), (std::vector<DWORD>{400, 1000}));
  EXPECT_EQ(entries[0].inserts, (std::vector<std::string>{settings.path, folder + Dated(1), "1"}));
  EXPECT_EQ(entries[0].category, kCategoryStorage);
  EXPECT_EQ(entries[1].inserts, (std::vector<std::string>{"after the roll"}));
}

}  // namespace
