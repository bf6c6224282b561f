// The Setup page's rules without a window: lists, record to controls and back with the clamps,
// and enablement.
#include "pages/setup_rules.h"

#include <gtest/gtest.h>

#include "monitor/settings.h"

namespace {

TEST(SetupRules, ListsHoldTheirEntriesInOrder) {
  EXPECT_STREQ(kCheckFrequencies[0].text, "Every Five Minutes");
  EXPECT_EQ(kCheckFrequencies[7].data, 720u);
  EXPECT_STREQ(kCheckFrequencies[10].text, "Once Every Five Days");
  EXPECT_EQ(kCheckFrequencies[10].data, 7200u);
  for (uint32_t code = 0; code <= 10; ++code) EXPECT_EQ(kSummarySchedules[code].data, code);
  EXPECT_STREQ(kSummarySchedules[9].text, "Monday, Wednesday, Friday");
  EXPECT_EQ(ChoiceIndex(kCheckFrequencies, 1440), 8);
  EXPECT_EQ(ChoiceIndex(kCheckFrequencies, 7), -1);
  EXPECT_EQ(ChoiceIndex(kSummarySchedules, 11), -1);
}

struct StoreCase {
  const char* what;
  SetupControls controls;
  bool mailConfigured;
  uint32_t frequency, schedule, days, records;
  bool summaries;
};

TEST(SetupRules, StoringClampsAndKeepsUnmatchedListValues) {
  auto controls = [](int frequency, int schedule, bool summaries, const char* days, const char* records) {
    SetupControls c;
    c.frequencyIndex = frequency;
    c.scheduleIndex = schedule;
    c.summaries = summaries;
    c.days = days;
    c.records = records;
    return c;
  };
  // The record before each store: an unlisted frequency (7 minutes) and schedule (12).
  const StoreCase cases[] = {
      {"chosen entries", controls(0, 3, true, "30", "50"), true, 5, 3, 30, 50, true},
      {"no selection keeps the record's values", controls(-1, -1, true, "30", "50"), true, 7, 12, 30, 50, true},
      {"summaries need mail", controls(2, 0, true, "30", "50"), false, 15, 0, 30, 50, false},
      {"5000 days, 0 histories", controls(2, 0, false, "5000", "0"), true, 15, 0, 1825, 1, false},
      {"empty edits store 1", controls(2, 0, false, "", ""), true, 15, 0, 1, 1, false},
      {"largest values", controls(10, 10, false, "1825", "9999"), true, 7200, 10, 1825, 9999, false},
      {"beyond 32 bits", controls(1, 1, false, "99999999999", "10000"), true, 10, 1, 1825, 9999, false},
  };
  for (const StoreCase& c : cases) {
    CMonitorSettings settings;
    settings.checkFrequency = 7;
    settings.summariesFrequency = 12;
    StoreSetupControls(c.controls, c.mailConfigured, &settings);
    EXPECT_EQ(settings.checkFrequency, c.frequency) << c.what;
    EXPECT_EQ(settings.summariesFrequency, c.schedule) << c.what;
    EXPECT_EQ(settings.retentionDays, c.days) << c.what;
    EXPECT_EQ(settings.retentionRecords, c.records) << c.what;
    EXPECT_EQ(settings.summariesEnabled, c.summaries) << c.what;
  }
}

TEST(SetupRules, ControlsShowTheRecordAndSurviveARoundTrip) {
  CMonitorSettings settings;
  settings.checkFrequency = 60;
  settings.summariesFrequency = 8;
  settings.summariesEnabled = true;
  settings.summariesLevel = 1;
  settings.discovery.useManagerSettings = true;
  settings.dnsLookupsEnabled = true;
  settings.sortByVariance = false;
  settings.retentionDays = 90;
  settings.retentionRecords = 500;
  SetupControls shown = SetupControlsFor(settings, true);
  EXPECT_EQ(shown.frequencyIndex, 4);
  EXPECT_EQ(shown.scheduleIndex, 8);
  EXPECT_TRUE(shown.summaries);
  EXPECT_EQ(shown.level, 1u);
  EXPECT_EQ(shown.days, "90");
  EXPECT_EQ(shown.records, "500");
  CMonitorSettings stored;
  StoreSetupControls(shown, true, &stored);
  EXPECT_EQ(stored, settings);

  // Summaries enabled without complete mail settings show unchecked; an unknown level shows
  // "Include all detail records".
  settings.summariesLevel = 7;
  shown = SetupControlsFor(settings, false);
  EXPECT_FALSE(shown.summaries);
  EXPECT_EQ(shown.level, 2u);
}

TEST(SetupRules, Enablement) {
  EXPECT_EQ(SetupEnablementFor(false, false), (SetupEnablement{false, false}));
  EXPECT_EQ(SetupEnablementFor(true, false), (SetupEnablement{true, false}));
  EXPECT_EQ(SetupEnablementFor(false, true), (SetupEnablement{false, true}));
}

}  // namespace
