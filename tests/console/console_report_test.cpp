// What ovmonctl prints: times, strip-chart lines, stored checks and the plug-in's verdicts.
#include "console/console_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr uint64_t kUnixEpochIn100ns = 116444736000000000ull;

TEST(ConsoleReport, IsoTimes) {
  EXPECT_EQ(IsoTimeFromUnix(0), "1970-01-01T00:00:00Z");
  EXPECT_EQ(IsoTimeFromUnix(1709164800), "2024-02-29T00:00:00Z");
  EXPECT_EQ(IsoTimeFromUnix(1700000000), "2023-11-14T22:13:20Z");
  EXPECT_EQ(IsoTimeFromUnix(0xFFFFFFFFu), "2106-02-07T06:28:15Z");
  EXPECT_EQ(IsoTimeFrom100ns(kUnixEpochIn100ns + 17000000000000000ull + 1239999), "2023-11-14T22:13:20.123Z");
  EXPECT_EQ(IsoTimeFrom100ns(0), "1970-01-01T00:00:00.000Z");  // before 1970 shows the epoch
}

TEST(ConsoleReport, StripChartLines) {
  TimeSample ntp;
  ntp.receiveTime = kUnixEpochIn100ns + 17000000000000000ull;
  ntp.protocol = kProtocolNtp;
  ntp.delta = -305;
  ntp.latency = 3083;
  ntp.address.family = 4;
  const uint8_t loopback[4] = {127, 0, 0, 1};
  std::memcpy(ntp.address.bytes, loopback, 4);
  ntp.version = 3;
  ntp.stratum = 8;
  ntp.referenceId = 0x017F7F7F;
  EXPECT_EQ(StripChartLine(ntp),
            "2023-11-14T22:13:20.000Z  delta -0.0000305 s  latency 0.0003083 s  127.0.0.1  "
            "NTPv3 stratum 8 leap None ref 127.127.127.1");
  TimeSample ov2 = ntp;
  ov2.protocol = kProtocolOv2Tcp;
  ov2.serial = 0x00C0FFEE;
  ov2.role = 1;
  EXPECT_NE(StripChartLine(ov2).find("OV2-TCP serial 00C0-FFEE role "), std::string::npos);
  EXPECT_EQ(FailedStripChartLine(kUnixEpochIn100ns, 10060, "timed out"), "1970-01-01T00:00:00.000Z  error 10060: timed out");
}

SummaryRecord Check(uint32_t status, std::array<int64_t, 4> worst) {
  SummaryRecord record;
  record.time = 1700000000;
  record.status = status;
  record.counts = {24, 2, 6, 1, 15};
  record.averages = {1, 2, 0, 5, 3};
  record.worst = worst;
  return record;
}

TEST(ConsoleReport, PluginVerdictsAtEachBoundary) {
  const struct {
    uint32_t status;
    int64_t worst;
    std::optional<uint32_t> warn, crit;
    int code;
  } cases[] = {
      {3, 100, 100, 500, kPluginOk},        {3, 101, 100, 500, kPluginWarning},
      {3, 500, 100, 500, kPluginWarning},   {3, -501, 100, 500, kPluginCritical},
      {1, 0, 100, 500, kPluginOk},          // thresholds decide, not the check's own state
      {3, 10, std::nullopt, 5, kPluginCritical}, {3, 10, 5, std::nullopt, kPluginWarning},
      {3, 900, std::nullopt, std::nullopt, kPluginOk},
      {1, 0, std::nullopt, std::nullopt, kPluginCritical},
      {2, 0, std::nullopt, std::nullopt, kPluginUnknown},
  };
  for (const auto& c : cases) {
    SummaryRecord record = Check(c.status, {0, c.worst, 0, 0});
    EXPECT_EQ(JudgeCheck(&record, true, {c.warn, c.crit}).exitCode, c.code) << c.worst << " status " << c.status;
  }
  SummaryRecord record = Check(3, {-7, 12, 0, 3});
  EXPECT_EQ(JudgeCheck(&record, true, {100, 500}).line,
            "OVMON OK - check at 2023-11-14T22:13:20Z passed, 24 machines, worst variance 12 ms | "
            "worst=12ms;100;500;0 total_average=3ms machines=24 unanswered=0");
  EXPECT_EQ(JudgeCheck(&record, false, {100, 500}).exitCode, kPluginUnknown);
  EXPECT_EQ(JudgeCheck(nullptr, true, {100, 500}).line, "OVMON UNKNOWN - no check has been stored");
  SummaryRecord none;
  EXPECT_EQ(JudgeCheck(&none, true, {}).exitCode, kPluginUnknown);
}

// A check that could not measure everything never answers OK: none answering is CRITICAL, some
// silent machines or a silent reference at least WARNING, whatever the thresholds say.
TEST(ConsoleReport, UnansweredMachinesNeverPass) {
  const struct {
    const char* what;
    uint32_t answered, unanswered;
    bool referenceAnswered;
    int64_t worst;
    std::optional<uint32_t> warn, crit;
    int code;
  } cases[] = {
      {"none answered", 0, 7, true, 0, std::nullopt, std::nullopt, kPluginCritical},
      {"none answered, thresholds", 0, 7, true, 0, 100, 500, kPluginCritical},
      {"no machine listed", 0, 0, true, 0, std::nullopt, std::nullopt, kPluginCritical},
      {"some did not answer", 5, 2, true, 10, std::nullopt, std::nullopt, kPluginWarning},
      {"some did not answer, within thresholds", 5, 2, true, 10, 100, 500, kPluginWarning},
      {"some did not answer, beyond the critical limit", 5, 2, true, 900, 100, 500, kPluginCritical},
      {"the reference did not answer", 7, 0, false, 10, 100, 500, kPluginWarning},
  };
  for (const auto& c : cases) {
    SummaryRecord record = Check(kCheckUnknown, {0, c.worst, 0, 0});
    record.counts = {c.answered, c.answered, 0, 0, 0};
    record.unansweredMachines = c.unanswered;
    record.checkFlags = c.referenceAnswered ? 0 : kCheckReferenceUnanswered;
    PluginAnswer answer = JudgeCheck(&record, true, {c.warn, c.crit});
    EXPECT_EQ(answer.exitCode, c.code) << c.what;
    EXPECT_NE(answer.line.find(" unanswered=" + std::to_string(c.unanswered)), std::string::npos) << answer.line;
  }
  SummaryRecord record = Check(kCheckUnknown, {0, 10, 0, 0});
  record.counts = {5, 5, 0, 0, 0};
  record.unansweredMachines = 2;
  EXPECT_EQ(JudgeCheck(&record, true, {}).line,
            "OVMON WARNING - check at 2023-11-14T22:13:20Z unknown (2 of 7 machines did not answer), 5 machines, "
            "worst variance 10 ms | worst=10ms;;;0 total_average=3ms machines=5 unanswered=2");
  EXPECT_NE(SummaryText("Last check", record).find("  Not measured: 2 of 7 machines did not answer\n"), std::string::npos);
  EXPECT_NE(HistoryLine(record).find("(2 of 7 machines did not answer)"), std::string::npos);
}

TEST(ConsoleReport, ALastCheckOlderThanTheMaximumAgeIsUnknown) {
  SummaryRecord record = Check(kCheckQuiet, {0, 10, 0, 0});
  const struct {
    uint32_t now, maxAge;
    int code;
  } cases[] = {{1700000000 + 1440 * 60, 1440 * 60, kPluginOk}, {1700000000 + 1440 * 60 + 1, 1440 * 60, kPluginUnknown},
               {1700000000 - 60, 60, kPluginOk}, {0xFFFFFFFF, 0xFFFFFFFF, kPluginOk}};
  for (const auto& c : cases) {
    PluginAnswer answer = JudgeCheck(&record, true, {std::nullopt, std::nullopt, c.now, c.maxAge});
    EXPECT_EQ(answer.exitCode, c.code) << c.now;
  }
  EXPECT_EQ(JudgeCheck(&record, true, {std::nullopt, std::nullopt, 1700000100, 60}).line,
            "OVMON UNKNOWN - the last check, at 2023-11-14T22:13:20Z, is 100 seconds old");
}

TEST(ConsoleReport, WorstVarianceNeverOverflows) {
  EXPECT_EQ(WorstVariance(Check(3, {std::numeric_limits<int64_t>::min(), 0, 0, 0})), 9223372036854775808ull);
  EXPECT_EQ(WorstVariance(Check(3, {-3, 2, -9, 4})), 9u);
}

TEST(ConsoleReport, StoredChecksInWordsAndJson) {
  SummaryRecord record = Check(1, {-7, 12, 0, 3});
  record.slaveTest = 1;
  record.slaveLimit = 500;
  std::string text = SummaryText("Last alert", record);
  EXPECT_EQ(text.substr(0, text.find('\n')), "Last alert: 2023-11-14T22:13:20Z, alert");
  EXPECT_NE(text.find("  Machines: 24 (masters 2, slaves 6, independents 1, clients 15)\n"), std::string::npos);
  EXPECT_NE(text.find("  Master and Slaves agree to within 500 ms\n"), std::string::npos);
  EXPECT_EQ(SummaryText("Last check", SummaryRecord()), "Last check: none\n");
  EXPECT_EQ(HistoryLine(record), "2023-11-14T22:13:20Z  alert     machines 24  worst 12 ms  total average 3 ms");
  CJsonWriter json;
  WriteSummaryJson(json.BeginObject(), record).End();
  EXPECT_NE(json.Text().find(R"("state":"alert","status":1,"machines":{"total":24,)"), std::string::npos) << json.Text();
  EXPECT_NE(json.Text().find(R"("worstVarianceMs":[-7,12,0,3])"), std::string::npos);
}

TEST(ConsoleReport, HistoryAsCsvRows) {
  SummaryRecord passed = Check(3, {-7, 12, 0, 3});
  passed.singleTest = passed.totalTest = passed.slaveTest = 1;
  passed.limitUnit = 1;  // seconds: the columns say milliseconds
  passed.singleLimit = 2;
  passed.totalLimit = 1;
  passed.slaveLimit = 0;
  SummaryRecord unknown = Check(0, {0, 0, 0, -1500});
  unknown.time = 1700000600;
  unknown.unansweredMachines = 3;
  unknown.checkFlags = kCheckReferenceUnanswered;
  std::string csv = HistoryCsv({passed, unknown});
  size_t header = csv.find("\r\n");
  EXPECT_EQ(csv.substr(0, csv.find(',')), "time");
  EXPECT_EQ(csv.substr(header + 2),
            "2023-11-14T22:13:20Z,passed,3,24,2,6,1,15,0,1,1,2,0,5,3,-7,12,0,3,1,2000,1,1000,1,0,\r\n"
            "2023-11-14T22:23:20Z,unknown,0,24,2,6,1,15,3,0,1,2,0,5,3,0,0,0,-1500,0,0,0,0,0,0,"
            "3 of 27 machines did not answer; the reference clock did not answer\r\n");
  // Every row has as many fields as the header.
  for (size_t start = 0, end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2)
    EXPECT_EQ(std::count(csv.begin() + long(start), csv.begin() + long(end), ','), 25) << csv.substr(start, end - start);
  EXPECT_EQ(HistoryCsv({}), csv.substr(0, header + 2));
  const struct {
    const char* field;
    const char* written;
  } fields[] = {{"plain words; no quotes", "plain words; no quotes"},
                {"a, b", "\"a, b\""},
                {"say \"hi\"", "\"say \"\"hi\"\"\""},
                {"two\r\nlines", "\"two\r\nlines\""},
                {"", ""}};
  for (const auto& f : fields) EXPECT_EQ(CsvField(f.field), f.written) << f.field;
}

TEST(ConsoleReport, SettingsListingNeverShowsThePassword) {
  CMonitorSettings settings;
  settings.mailPassword = "s3cret";
  settings.referenceClocks = {"server a protocol ntp", "server b"};
  std::string listing = SettingsListing(settings);
  EXPECT_EQ(listing.find("s3cret"), std::string::npos);
  EXPECT_NE(listing.find("Password = (set)\n"), std::string::npos);
  EXPECT_NE(listing.find("Reference Clocks = server a protocol ntp\nReference Clocks = server b\n"), std::string::npos);
  EXPECT_NE(listing.find("[Logs and Alerts\\Audio]\nEnabled = False\n"), std::string::npos);
  settings.mailPassword.clear();
  EXPECT_NE(SettingsListing(settings).find("Password = (not set)\n"), std::string::npos);
}

}  // namespace
