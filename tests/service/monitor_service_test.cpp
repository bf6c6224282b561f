// The service's work against the OV2 test server's fleet on loopback (scripts/test starts it):
// the records, detail files and registry copies a check leaves, the settings event, retention,
// and a stop in the middle of a check.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/check_metrics.h"
#include "monitor/data_store.h"
#include "monitor/service_signals.h"
#include "monitor/service_state.h"
#include "platform/access_lists.h"
#include "platform/named_objects.h"
#include "platform/registry.h"
#include "sampling/network.h"
#include "service/event_recorder.h"
#include "service/fleet.h"
#include "service/monitored_machines.h"
#include "service/service_run.h"
#include "support/registry_sandbox.h"
#include "support/temp_folder.h"
#include "support/test_io.h"

namespace {

const int64_t kToleranceMs = 5;

std::string RegistryCopy(const char* name) {
  std::string data;
  return ReadRegistryBinary("", name, &data) ? data : "";
}

std::vector<SummaryRecord> Stored(const std::string& folder) {
  std::vector<SummaryRecord> records;
  CMonitorStore(folder).ListSummaries(kSummariesAll, &records);
  return records;
}

// What the fleet's offsets make of a check: averages and worst variances per class, and the total.
struct Expected {
  uint32_t counts[5] = {};
  double averages[5] = {};
  int64_t worst[4] = {};
};

Expected FromOffsets() {
  Expected expected;
  for (const FleetMachine& machine : FleetMachines()) {
    ++expected.counts[0];
    ++expected.counts[1 + machine.role];
    expected.averages[machine.role] += double(machine.offsetMs);
    expected.averages[4] += double(machine.offsetMs);
    if (std::llabs(machine.offsetMs) > std::llabs(expected.worst[machine.role])) expected.worst[machine.role] = machine.offsetMs;
  }
  for (size_t i = 0; i < 4; ++i) expected.averages[i] /= expected.counts[1 + i] ? expected.counts[1 + i] : 1;
  expected.averages[4] /= expected.counts[0];
  return expected;
}

class MonitorServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FleetRunning()) GTEST_SKIP() << "no OV2 fleet (scripts/test starts one)";
    ASSERT_EQ(NetStartup(), 0u);
    folder = EmptyTempFolder("service-data");
    logFolder = EmptyTempFolder("service-log");
    ConfigureFleetCheck(folder, logFolder + "orvanem.log");
  }
  CRegistrySandbox sandbox;
  std::string folder, logFolder;
};

TEST_F(MonitorServiceTest, ATriggeredCheckStoresOneRecordThatMatchesTheServedOffsets) {
  WriteRegistryDword("\\Summaries", "Retention (records)", 9999);
  WriteRegistryDword(kTextLogKey, "Log Level", kLogTrace);
  CServiceRun service;
  ASSERT_TRUE(service.NextCheck()) << "the check at start";
  ASSERT_TRUE(SignalService(false));
  ASSERT_TRUE(service.NextCheck()) << "the triggered check";
  service.Stop();

  std::vector<SummaryRecord> records = Stored(folder);
  ASSERT_EQ(records.size(), 2u);
  const SummaryRecord& record = records.back();
  Expected expected = FromOffsets();
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(record.counts[i], expected.counts[i]) << i;
    EXPECT_NEAR(double(record.averages[i]), expected.averages[i], kToleranceMs) << i;
  }
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(double(record.worst[i]), double(expected.worst[i]), kToleranceMs) << i;
  EXPECT_EQ(record.status, 1u) << "the defaults' single limit of 1000 ms is crossed by the fleet";

  SummaryBytes bytes = EncodeSummary(record);
  EXPECT_EQ(RegistryCopy("Check Results"), std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(RegistryCopy("Check Results (alert)"), std::string(bytes.begin(), bytes.end()));
  std::string detail = ReadFileText(CMonitorStore(folder).DetailPath(record.time));
  for (const FleetMachine& machine : FleetMachines())
    EXPECT_NE(detail.find("\r\n" + machine.line.substr(machine.line.rfind(' ') + 1) + " "), std::string::npos)
        << machine.line;
  std::string log = ReadFileText(logFolder + "orvanem.log");
  EXPECT_NE(log.find(" Status:  Check of "), std::string::npos) << log;
  // Each sample's trace line, the reference's and every machine's.
  std::string traced = "Time sample from 127.0.0.1 (127.0.0.1) using ";
  size_t lines = 0;
  for (size_t at = log.find(traced); at != std::string::npos; at = log.find(traced, at + 1)) ++lines;
  EXPECT_GE(lines, 2 * (FleetMachines().size() + 1)) << log;
}

TEST_F(MonitorServiceTest, SettingsChangedThroughTheEventDecideTheNextAlert) {
  // The fleet's worst variance is 1500 ms and its total average about 261 ms.
  struct Case {
    uint32_t singleLimit;
    bool alert;
  } cases[] = {{2000, false}, {1000, true}, {5000, false}};
  WriteRegistryDword("", "Single Limit", 3000);
  CServiceRun service;
  ASSERT_TRUE(service.NextCheck());
  std::string lastAlert = RegistryCopy("Check Results (alert)");
  EXPECT_EQ(lastAlert, "") << "no alert at start";
  for (const Case& c : cases) {
    WriteRegistryDword("", "Single Limit", c.singleLimit);
    ASSERT_TRUE(SignalService(true));
    ASSERT_TRUE(SignalService(false));
    ASSERT_TRUE(service.NextCheck()) << c.singleLimit;
    SummaryRecord record = DecodeSummary(reinterpret_cast<const uint8_t*>(RegistryCopy("Check Results").data()));
    EXPECT_EQ(record.singleLimit, c.singleLimit);
    EXPECT_EQ(record.status, c.alert ? 1u : 3u) << c.singleLimit;
    std::string alert = RegistryCopy("Check Results (alert)");
    EXPECT_EQ(alert != lastAlert, c.alert) << c.singleLimit;
    lastAlert = alert;
  }
}

TEST_F(MonitorServiceTest, RetentionRemovesTheOldestRecordsAndTheirDetails) {
  CMonitorStore store(folder);
  uint32_t now = CurrentUnixSeconds();
  std::vector<uint32_t> old = {now - 40 * 86400, now - 3 * 86400, now - 2 * 86400, now - 86400};
  for (uint32_t time : old) {
    SummaryRecord record;
    record.time = time;
    record.status = 3;
    ASSERT_TRUE(store.WriteSummary(&record));
    std::ofstream(store.DetailPath(time)) << "detail";
  }
  WriteRegistryDword("\\Summaries", "Retention (days)", 30);
  WriteRegistryDword("\\Summaries", "Retention (records)", 3);
  CServiceRun service;
  ASSERT_TRUE(service.NextCheck());
  service.Stop();
  std::vector<SummaryRecord> records = Stored(folder);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].time, old[2]);
  EXPECT_EQ(records[1].time, old[3]);
  for (uint32_t time : {old[0], old[1]}) EXPECT_FALSE(store.DetailExists(time)) << time;
  EXPECT_TRUE(store.DetailExists(old[3]));
}

// A service started again within the seconds of its last checks (a restart, a second run) finds
// their names taken and stores its check beside them, never over one.
TEST_F(MonitorServiceTest, ANewRunNeverReplacesAStoredCheck) {
  CMonitorStore store(folder);
  uint32_t now = CurrentUnixSeconds();
  const uint32_t kTaken = 30;  // more seconds than a check of the fleet takes
  for (uint32_t time = now; time < now + kTaken; ++time) {
    SummaryRecord record;
    record.time = time;
    record.status = 2;  // no check of the service stores this state
    ASSERT_TRUE(store.WriteSummary(&record));
  }
  CServiceRun service;
  ASSERT_TRUE(service.NextCheck());
  service.Stop();
  std::vector<SummaryRecord> records = Stored(folder);
  ASSERT_EQ(records.size(), kTaken + 1);
  for (size_t i = 0; i < kTaken; ++i) EXPECT_EQ(records[i].status, 2u) << records[i].time;
  EXPECT_EQ(records[kTaken].time, now + kTaken);
}

TEST_F(MonitorServiceTest, AStopDuringACheckLeavesNoFileAndNoRegistryCopy) {
  // A machine that never answers, asked 32 times a second apart, holds the check open.
  const char* udp = std::getenv("OVMON_OV2_UDP_PORT");
  ASSERT_NE(udp, nullptr);
  std::string silent = "client server 127.0.0.1 protocol ov2 port " + std::to_string(std::atoi(udp) + 11) +
                       " samples 32 delay 1024";
  std::vector<std::string> lines = {FleetMachines()[0].line, silent};
  WriteRegistryList("", kMonitoredMachinesValue, lines);
  HANDLE working = nullptr;
  {
    CServiceRun service;
    working = OpenEventA(SYNCHRONIZE, FALSE, "Global\\ovmon-working-signal");
    ASSERT_NE(working, nullptr);
    ASSERT_EQ(WaitForSingleObject(working, 30000), WAIT_OBJECT_0);
    service.Stop();
  }
  CloseHandle(working);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  std::vector<std::string> names;
  if (search != INVALID_HANDLE_VALUE) {
    do
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  EXPECT_TRUE(names.empty()) << names.front();
  EXPECT_EQ(RegistryCopy("Check Results"), "");
  EXPECT_FALSE(IsServiceRunning()) << "the events go with the service";
}

// Every delivered message the SMTP test server saved whose envelope names recipient.
size_t MailsTo(const std::string& recipient) {
  std::string folder = "Z:" + std::string(std::getenv("OVMON_PEERS")) + "/smtp/mail/";
  for (char& c : folder)
    if (c == '/') c = '\\';
  size_t count = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*.eml").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do count += ReadFileText(folder + found.cFileName).find("X-Test-Rcpt-To: " + recipient + "\r\n") != std::string::npos;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

TEST_F(MonitorServiceTest, AnAlertRingsAndIsMailedAQuietCheckNeither) {
  ASSERT_NE(std::getenv("OVMON_PEERS"), nullptr);
  const char kSmtp[] = "\\Logs and Alerts\\SMTP";
  WriteRegistryBool(kSmtp, "Enabled", true);
  WriteRegistryString(kSmtp, "Server", "127.0.0.1");
  WriteRegistryDword(kSmtp, "Port", std::atoi(std::getenv("OVMON_SMTP_PLAIN_PORT")));
  WriteRegistryString(kSmtp, "From", "Clock Monitor <monitor@example.com>");
  WriteRegistryBool("\\Logs and Alerts\\Audio", "Enabled", true);
  // The fleet's worst variance is 1500 ms.
  struct Case {
    uint32_t singleLimit;
    bool alert;
  } cases[] = {{5000, false}, {1000, true}};
  for (const Case& c : cases) {
    std::string recipient = "ops-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(c.singleLimit) +
                            "@example.com";
    WriteRegistryList(kSmtp, "To", {"Operations <" + recipient + ">"});
    WriteRegistryDword("", "Single Limit", c.singleLimit);
    CMonitorService service;
    HANDLE ringing = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "Global\\ovmon-audio-alert-ringing");
    ASSERT_NE(ringing, nullptr);
    ResetEvent(ringing);
    service.Reload();
    ASSERT_TRUE(service.CheckNow());
    EXPECT_EQ(WaitForSingleObject(ringing, 0) == WAIT_OBJECT_0, c.alert) << c.singleLimit;
    EXPECT_EQ(MailsTo(recipient), c.alert ? 1u : 0u) << c.singleLimit;
    ResetEvent(ringing);
    CloseHandle(ringing);
  }
}

// A machine that never answers, asked once.
std::string SilentMachine(const char* role, int index) {
  const char* udp = std::getenv("OVMON_OV2_UDP_PORT");
  return std::string(role) + " server 127.0.0.1 protocol ov2 port " + std::to_string(std::atoi(udp ? udp : "0") + 11) +
         " samples 1 comment silent" + std::to_string(index);
}

// A check that could not measure a machine is never passed off as a good one: it is unknown, kept
// as the last alert, rings, names the silent machines with their error, and says how many.
TEST_F(MonitorServiceTest, SomeAndThenAllMachinesSilentMakeUnknownChecksThatAlert) {
  WriteRegistryDword("", "Single Limit", 5000);  // no test fails on the machines that answer
  WriteRegistryBool("\\Logs and Alerts\\Audio", "Enabled", true);
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    uint32_t answered, unanswered;
    const char* headline;
  } cases[] = {
      {"one of three silent", {FleetMachines()[0].line, FleetMachines()[1].line, SilentMachine("client", 1)}, 2, 1,
       "UNKNOWN: 1 of 3 machines did not answer"},
      {"all silent", {SilentMachine("master", 1), SilentMachine("client", 2)}, 0, 2,
       "UNKNOWN: none of the 2 machines answered"},
  };
  for (const Case& c : cases) {
    WriteRegistryList("", kMonitoredMachinesValue, c.lines);
    DeleteRegistryValue("", "Check Results (alert)");
    CMonitorService service;
    HANDLE ringing = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "Global\\ovmon-audio-alert-ringing");
    ASSERT_NE(ringing, nullptr);
    ResetEvent(ringing);
    service.Reload();
    ASSERT_TRUE(service.CheckNow()) << c.what;
    SummaryRecord record = DecodeSummary(reinterpret_cast<const uint8_t*>(RegistryCopy("Check Results").data()));
    EXPECT_EQ(record.status, kCheckUnknown) << c.what;
    EXPECT_EQ(record.counts[0], c.answered) << c.what;
    EXPECT_EQ(record.unansweredMachines, c.unanswered) << c.what;
    EXPECT_EQ(RegistryCopy("Check Results (alert)"), RegistryCopy("Check Results")) << c.what;
    EXPECT_EQ(WaitForSingleObject(ringing, 0), WAIT_OBJECT_0) << c.what;
    std::string detail = ReadFileText(CMonitorStore(folder).DetailPath(record.time));
    EXPECT_NE(detail.find(c.headline), std::string::npos) << detail;
    EXPECT_NE(detail.find("\r\nsilent1 "), std::string::npos) << detail;
    EXPECT_NE(detail.find("No answer: "), std::string::npos) << detail;
    EXPECT_NE(ReadFileText(logFolder + "orvanem.log").find(c.headline), std::string::npos) << c.what;
    ResetEvent(ringing);
    CloseHandle(ringing);
  }
}

TEST_F(MonitorServiceTest, AReferenceThatDoesNotAnswerLeavesTheCheckUnknown) {
  WriteRegistryDword("", "Single Limit", 5000);
  WriteRegistryList("", "Reference Clocks", {SilentMachine("", 9).substr(1)});
  WriteRegistryList("", kMonitoredMachinesValue, {FleetMachines()[0].line});
  CMonitorService service;
  service.Reload();
  ASSERT_TRUE(service.CheckNow());
  SummaryRecord record = DecodeSummary(reinterpret_cast<const uint8_t*>(RegistryCopy("Check Results").data()));
  EXPECT_EQ(record.status, kCheckUnknown);
  EXPECT_EQ(record.checkFlags & kCheckReferenceUnanswered, kCheckReferenceUnanswered);
  EXPECT_NE(ReadFileText(CMonitorStore(folder).DetailPath(record.time)).find("the reference clock did not answer"),
            std::string::npos);
}

// Forty asks while an asked-for check runs: that check, then the rest merged into one more check.
TEST_F(MonitorServiceTest, ABurstOfTriggersMakesAtMostOneMoreCheck) {
  // A silent machine keeps each check open for its receive time-out, so the burst lands inside one.
  WriteRegistryList("", kMonitoredMachinesValue, {FleetMachines()[0].line, SilentMachine("client", 1)});
  WriteRegistryDword("\\Summaries", "Retention (records)", 9999);
  CServiceRun service;
  ASSERT_TRUE(service.NextCheck()) << "the check at start";
  HANDLE working = OpenEventA(SYNCHRONIZE, FALSE, "Global\\ovmon-working-signal");
  ASSERT_NE(working, nullptr);
  ASSERT_TRUE(SignalService(false));
  ASSERT_EQ(WaitForSingleObject(working, 30000), WAIT_OBJECT_0) << "the asked-for check runs";
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(SignalService(false));
  CloseHandle(working);
  ASSERT_TRUE(service.NextCheck()) << "the first ask";
  ASSERT_TRUE(service.NextCheck()) << "the others, merged";
  EXPECT_FALSE(service.NextCheck(2000)) << "no third";
  service.Stop();
  EXPECT_EQ(Stored(folder).size(), 3u);
}

// The clock jumps ten years, either way, and back: checks keep the order they were made in, and no
// check is aged by a jump.
TEST_F(MonitorServiceTest, ClockJumpsNeitherReorderNorAgeTheStore) {
  WriteRegistryList("", kMonitoredMachinesValue, {FleetMachines()[0].line});
  WriteRegistryDword("\\Summaries", "Retention (days)", 30);
  const uint32_t now = CurrentUnixSeconds(), day = 86400, tenYears = 3652 * day;
  CMonitorStore store(folder);
  for (uint32_t time : {now - 29 * day, now - 120, now - 60}) {
    SummaryRecord record;
    record.time = time;
    record.status = kCheckQuiet;
    ASSERT_TRUE(store.WriteSummary(&record));
  }
  uint32_t offset = 0;
  CMonitorService service;
  service.UseClock([&] { return CurrentUnixSeconds() + offset; });
  service.Reload();
  struct Step {
    const char* what;
    uint32_t offset;
  } steps[] = {{"ten years ahead", tenYears}, {"set right", 0}, {"ten years behind", 0u - tenYears}, {"set right", 0}};
  std::vector<uint32_t> keys;
  for (const Step& step : steps) {
    offset = step.offset;
    ASSERT_TRUE(service.CheckNow()) << step.what;
    keys.push_back(DecodeSummary(reinterpret_cast<const uint8_t*>(RegistryCopy("Check Results").data())).time);
  }
  EXPECT_GE(keys[0], now + tenYears) << "stored at the clock's time";
  EXPECT_TRUE(keys[1] >= now && keys[1] < now + day) << "not after the check stranded ten years ahead";
  EXPECT_TRUE(keys[2] > keys[1] && keys[2] < now + day) << "after every check made before it, not ten years back";
  EXPECT_TRUE(keys[3] > keys[2] && keys[3] < now + day);
  std::vector<SummaryRecord> records = Stored(folder);
  ASSERT_EQ(records.size(), 7u) << "nothing aged out";
  EXPECT_EQ(records.front().time, now - 29 * day);
}

// The service's events: everyone may wait on them, only SYSTEM and Administrators change them. An
// event someone else made in the place of one (a null list: anyone may set it) is not used: the
// service does not start, and says why.
TEST(ServiceEvents, CarryTheirAccessListAndAForeignOneIsRefused) {
  CRegistrySandbox sandbox;
  {
    CMonitorService service;
    ASSERT_TRUE(service.Ready());
    for (const char* name : {"ovmon-cpl-event", "ovmon-trigger-event", "ovmon-working-signal",
                             "ovmon-audio-alert-ringing"}) {
      HANDLE event = OpenEventA(READ_CONTROL | SYNCHRONIZE, FALSE, (std::string("Global\\") + name).c_str());
      ASSERT_NE(event, nullptr) << name;
      std::string access = ObjectAccessText(event);
      EXPECT_NE(access.find("D:(A;;0x1f0003;;;SY)(A;;0x1f0003;;;BA)(A;;0x100000;;;WD)"), std::string::npos)
          << name << " " << access;
      EXPECT_TRUE(IsTrustedObject(event)) << name;
      CloseHandle(event);
    }
  }
  std::string logFolder = EmptyTempFolder("foreign-event");
  WriteRegistryString("", "Service Log Filename", logFolder + "orvanem.log");
  HANDLE squatter = CreateEventA(OpenSecurityAttributes(), FALSE, FALSE, "Global\\ovmon-trigger-event");
  ASSERT_NE(squatter, nullptr);
  EXPECT_FALSE(IsTrustedObject(squatter));
  {
    CMonitorService service;
    EXPECT_FALSE(service.Ready());
    service.Reload();
    service.ReportProblems();
  }
  CloseHandle(squatter);
  EXPECT_NE(ReadFileText(logFolder + "orvanem.log")
                .find("the event \"Global\\ovmon-trigger-event\": it already exists with a foreign owner"),
            std::string::npos);
}

// The log is written only as a regular file of its own: a log that is a second name of another
// file is refused, and that file keeps its bytes.
TEST_F(MonitorServiceTest, ALogThatIsAHardLinkIsRefused) {
  std::string victim = EmptyTempFolder("victim") + "precious.txt";
  std::ofstream(victim, std::ios::binary) << "precious";
  ASSERT_TRUE(CreateHardLinkA((logFolder + "orvanem.log").c_str(), victim.c_str(), nullptr));
  WriteRegistryList("", kMonitoredMachinesValue, {FleetMachines()[0].line});
  CMonitorService service;
  service.Reload();
  ASSERT_TRUE(service.CheckNow()) << "the check is stored all the same";
  EXPECT_EQ(ReadFileText(victim), "precious");
}

// The IDs the recorder saw, without those of lines that are no event of their own kind (1000).
std::vector<DWORD> KindIds(CEventRecorder& recorder) {
  std::vector<DWORD> ids;
  for (DWORD id : recorder.Ids())
    if (id != 1000) ids.push_back(id);
  return ids;
}

// The first entry with that ID (an empty one when there is none).
EventLogEntry EntryOf(CEventRecorder& recorder, DWORD id) {
  for (const EventLogEntry& entry : recorder.Entries())
    if (entry.id == id) return entry;
  return EventLogEntry();
}

// The service's work reports each kind of event with its own ID, category and inserts: the start,
// a check that fails a test with a silent machine and a silent reference, the settings read again,
// and the stop.
TEST_F(MonitorServiceTest, EachKindOfEventReachesEventViewerWithItsOwnId) {
  WriteRegistryBool(kEventViewerKey, "Summary Only", false);
  WriteRegistryDword(kEventViewerKey, "Log Level", kLogInfo);
  WriteRegistryDword("", "Single Limit", 1);
  WriteRegistryList("", "Reference Clocks", {SilentMachine("", 9).substr(1)});
  WriteRegistryList("", kMonitoredMachinesValue, {FleetMachines()[0].line, SilentMachine("client", 1)});
  CEventRecorder recorder;
  {
    CServiceRun service(recorder.Sink());
    ASSERT_TRUE(service.NextCheck());
    ASSERT_TRUE(SignalService(true));
    ASSERT_TRUE(SignalService(false));
    ASSERT_TRUE(service.NextCheck()) << "a check after the settings were read again";
  }
  EXPECT_EQ(KindIds(recorder), (std::vector<DWORD>{100, 201, 202, 203, 102, 201, 202, 203, 101}));
  EXPECT_EQ(EntryOf(recorder, 100).inserts, (std::vector<std::string>{"2", "720", folder}));
  EXPECT_EQ(EntryOf(recorder, 101).inserts, (std::vector<std::string>{"2", "2"}));
  EventLogEntry alerted = EntryOf(recorder, 201), silent = EntryOf(recorder, 202), reference = EntryOf(recorder, 203);
  EXPECT_EQ(alerted.type, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(alerted.category, kCategoryCheck);
  ASSERT_EQ(alerted.inserts.size(), 6u);
  EXPECT_EQ(alerted.inserts[5], "At least one machine's variance exceeds 1 ms");
  ASSERT_EQ(silent.inserts.size(), 4u);
  EXPECT_EQ(silent.inserts[1], "ALERT");
  EXPECT_EQ(silent.inserts[2], "1 of 2 machines did not answer");
  EXPECT_EQ(silent.inserts[3].rfind("silent1: ", 0), 0u) << silent.inserts[3];
  ASSERT_EQ(reference.inserts.size(), 3u);
  EXPECT_EQ(reference.inserts[2].rfind("127.0.0.1: ", 0), 0u) << reference.inserts[2];
  EXPECT_EQ(EntryOf(recorder, 102).category, kCategoryService);
}

TEST_F(MonitorServiceTest, AnAlertMailIsReportedSentOrFailed) {
  const char kSmtp[] = "\\Logs and Alerts\\SMTP";
  WriteRegistryBool(kSmtp, "Enabled", true);
  WriteRegistryString(kSmtp, "Server", "127.0.0.1");
  WriteRegistryString(kSmtp, "From", "Clock Monitor <monitor@example.com>");
  WriteRegistryList(kSmtp, "To", {"Operations <ops-events@example.com>"});
  WriteRegistryDword(kEventViewerKey, "Log Level", kLogInfo);
  WriteRegistryDword("", "Single Limit", 1000);  // the fleet's 1500 ms fails it
  WriteRegistryList("", kMonitoredMachinesValue, {FleetMachines()[5].line});
  struct Case {
    uint32_t port;
    DWORD id;
  } cases[] = {{uint32_t(std::atoi(std::getenv("OVMON_SMTP_PLAIN_PORT"))), 300}, {9, 301}};
  for (const Case& c : cases) {
    WriteRegistryDword(kSmtp, "Port", c.port);
    CEventRecorder recorder;
    CMonitorService service;
    service.SendEventsTo(recorder.Sink());
    service.Reload();
    ASSERT_TRUE(service.CheckNow());
    EXPECT_EQ(KindIds(recorder), (std::vector<DWORD>{201, c.id})) << c.port;
    EventLogEntry mail = EntryOf(recorder, c.id);
    ASSERT_EQ(mail.inserts.size(), 3u);
    EXPECT_EQ(mail.inserts[1], "127.0.0.1:" + std::to_string(c.port));
    EXPECT_EQ(mail.category, kCategoryAlert);
    if (c.id == 300) {
      EXPECT_EQ(mail.inserts[2], "1");
    }
  }
}

// Wherever the service writes nothing it should have written, Event Viewer says where and why.
TEST_F(MonitorServiceTest, AStoreThatCannotBeWrittenIsReported) {
  std::string notAFolder = folder + "a-file";
  std::ofstream(notAFolder) << "a file, not a folder";
  WriteRegistryList("", kMonitoredMachinesValue, {FleetMachines()[0].line});
  struct Case {
    const char* what;
    std::string dataFolder, metricsFile;
    bool stored;
    std::string where;
  } cases[] = {
      {"a data folder that is a file", notAFolder + "\\", "", false, notAFolder + "\\"},
      {"a metrics file in a folder that is not there", folder, folder + "absent\\ovmon.prom", true,
       folder + "absent\\ovmon.prom"},
  };
  for (const Case& c : cases) {
    WriteRegistryString("", "Data Folder", c.dataFolder);
    WriteRegistryString("", "Metrics File", c.metricsFile);
    CEventRecorder recorder;
    CMonitorService service;
    service.SendEventsTo(recorder.Sink());
    service.Reload();
    EXPECT_EQ(service.CheckNow(), c.stored) << c.what;
    EventLogEntry refused = EntryOf(recorder, 401);
    ASSERT_EQ(refused.inserts.size(), 2u) << c.what;
    EXPECT_EQ(refused.inserts[0], c.where) << c.what;
    EXPECT_EQ(refused.type, EVENTLOG_ERROR_TYPE);
  }
}

// After every check the metrics file holds the metrics of that check and of the run so far, as
// ovmonctl computes them from the stored state, written whole (no temporary file is left).
TEST_F(MonitorServiceTest, TheMetricsFileFollowsEveryCheck) {
  std::string metricsFolder = folder + "metrics\\";
  ASSERT_TRUE(CreateDirectoryA(metricsFolder.c_str(), nullptr));
  WriteRegistryString("", "Metrics File", metricsFolder + "ovmon.prom");
  WriteRegistryList("", kMonitoredMachinesValue, {FleetMachines()[0].line, SilentMachine("client", 1)});
  uint32_t before = CurrentUnixSeconds();
  CServiceRun service;
  for (uint32_t checks = 1; checks <= 2; ++checks) {
    if (checks > 1) {
      ASSERT_TRUE(SignalService(false));
    }
    ASSERT_TRUE(service.NextCheck());
    SummaryRecord record = DecodeSummary(reinterpret_cast<const uint8_t*>(RegistryCopy("Check Results").data()));
    ServiceRunState state = ReadServiceRunState();
    EXPECT_EQ(state.checks, checks);
    EXPECT_EQ(state.alerts, checks) << "a silent machine raises the alert actions";
    EXPECT_EQ(state.lastCheck, record.time);
    EXPECT_EQ(state.unanswered, (std::array<uint32_t, 4>{0, 0, 0, 1}));
    EXPECT_GE(state.started, before);
    EXPECT_LE(state.started, record.time);
    EXPECT_EQ(ReadFileText(metricsFolder + "ovmon.prom"), FormatMetrics(record, state));
  }
  service.Stop();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((metricsFolder + "*.partial").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
