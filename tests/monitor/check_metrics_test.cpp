// The metrics text: the samples of a check and of the service's run, each family introduced by
// its HELP and TYPE lines, and what is left out when it is not known.
#include "monitor/check_metrics.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

SummaryRecord Check() {
  SummaryRecord r;
  r.time = 1700000000;
  r.status = kCheckAlert;
  r.limitUnit = 1;  // seconds
  r.singleTest = r.slaveTest = 1;
  r.singleLimit = 1;
  r.totalLimit = 2;
  r.slaveLimit = 3;
  r.unansweredMachines = 2;
  r.counts = {7, 2, 2, 1, 2};
  r.averages = {35, -180, 0, 1400, 261};
  r.worst = {40, -180, 0, 1500};
  return r;
}

ServiceRunState Counted() {
  ServiceRunState state;
  state.started = 1699990000;
  state.checks = 12;
  state.alerts = 5;
  state.lastCheck = 1700000000;
  state.lastCheckMs = 2345;
  state.unanswered = {0, 1, 0, 1};
  return state;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

bool Has(const std::string& text, const std::string& line) { return text.find("\n" + line + "\n") != std::string::npos; }

TEST(CheckMetrics, SamplesOfTheCheckAndTheRun) {
  std::string text = FormatMetrics(Check(), Counted());
  const char* const expected[] = {
      "ovmon_service_start_time_seconds 1699990000",
      "ovmon_checks_total 12",
      "ovmon_alerts_total 5",
      "ovmon_last_check_timestamp_seconds 1700000000",
      "ovmon_last_check_status 1",
      "ovmon_last_check_reference_answered 1",
      "ovmon_last_check_duration_seconds 2.345",
      "ovmon_machines_answering{role=\"master\"} 2",
      "ovmon_machines_answering{role=\"client\"} 2",
      "ovmon_machines_unanswered{role=\"slave\"} 1",
      "ovmon_machines_unanswered{role=\"independent\"} 0",
      "ovmon_variance_average_seconds{role=\"slave\"} -0.180",
      "ovmon_variance_average_seconds{role=\"client\"} 1.400",
      "ovmon_variance_worst_seconds{role=\"client\"} 1.500",
      "ovmon_variance_total_average_seconds 0.261",
      "ovmon_test_enabled{test=\"total_variance\"} 0",
      "ovmon_test_failed{test=\"single_machine\"} 1",
      "ovmon_test_failed{test=\"total_variance\"} 0",
      "ovmon_limit_seconds{test=\"single_machine\"} 1.000",
      "ovmon_limit_seconds{test=\"master_slave\"} 3.000",
  };
  for (const char* line : expected) EXPECT_TRUE(Has(text, line)) << line << "\n" << text;
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
}

// Every sample's family was introduced, once, by its HELP and then its TYPE line.
TEST(CheckMetrics, EveryFamilyIsIntroducedOnce) {
  std::set<std::string> introduced, typed;
  std::string current;
  for (const std::string& line : Lines(FormatMetrics(Check(), Counted()))) {
    std::istringstream words(line);
    std::string first, second, third;
    words >> first >> second >> third;
    if (first == "#" && second == "HELP") {
      EXPECT_TRUE(introduced.insert(third).second) << third;
      current = third;
    } else if (first == "#" && second == "TYPE") {
      EXPECT_EQ(third, current);
      EXPECT_TRUE(typed.insert(third).second);
      EXPECT_TRUE(line.ends_with(" gauge") || line.ends_with(" counter")) << line;
    } else {
      std::string name = first.substr(0, first.find('{'));
      EXPECT_EQ(name, current) << line;
      EXPECT_EQ(name.rfind("ovmon_", 0), 0u) << line;
      EXPECT_FALSE(second.empty()) << line;
    }
  }
  EXPECT_EQ(introduced.size(), 15u);
  EXPECT_EQ(typed, introduced);
}

TEST(CheckMetrics, WhatIsNotKnownIsLeftOut) {
  const struct {
    const char* what;
    SummaryRecord check;
    ServiceRunState state;
    std::vector<const char*> absent, present;
  } cases[] = {
      {"no check stored", SummaryRecord(), Counted(), {"ovmon_last_check_", "ovmon_machines_", "ovmon_test_"},
       {"ovmon_checks_total 12"}},
      {"the service never ran", Check(), ServiceRunState(), {"ovmon_service_", "ovmon_checks_total", "duration"},
       {"ovmon_last_check_status 1"}},
      {"a run state of another check", Check(), [] {
         ServiceRunState state = Counted();
         state.lastCheck = 1699999000;
         return state;
       }(),
       {"ovmon_last_check_duration_seconds", "ovmon_machines_unanswered"},
       {"ovmon_machines_answering{role=\"slave\"} 2", "ovmon_alerts_total 5"}},
  };
  for (const auto& c : cases) {
    std::string text = FormatMetrics(c.check, c.state);
    for (const char* part : c.absent) EXPECT_EQ(text.find(part), std::string::npos) << c.what << ": " << part;
    for (const char* line : c.present) EXPECT_TRUE(Has("\n" + text, line)) << c.what << ": " << line;
  }
  EXPECT_EQ(FormatMetrics(SummaryRecord(), ServiceRunState()), "");
}

TEST(CheckMetrics, ExtremeValuesAreWrittenExactly) {
  SummaryRecord r = Check();
  r.averages[0] = std::numeric_limits<int64_t>::min();
  r.worst[3] = std::numeric_limits<int64_t>::max();
  r.limitUnit = 3;
  r.singleLimit = 0xFFFFFFFF;
  r.checkFlags = kCheckReferenceUnanswered;
  std::string text = FormatMetrics(r, Counted());
  EXPECT_TRUE(Has(text, "ovmon_variance_average_seconds{role=\"master\"} -9223372036854775.808")) << text;
  EXPECT_TRUE(Has(text, "ovmon_variance_worst_seconds{role=\"client\"} 9223372036854775.807"));
  EXPECT_TRUE(Has(text, "ovmon_limit_seconds{test=\"single_machine\"} 15461882262000.000"));
  EXPECT_TRUE(Has(text, "ovmon_last_check_reference_answered 0"));
}

}  // namespace
