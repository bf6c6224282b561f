// The Alerts page's rules without a window: record to controls and back with the clamps, the
// conditions on mail and sound, and enablement.
#include "pages/alerts_rules.h"

#include <gtest/gtest.h>

#include "monitor/settings.h"

namespace {

struct LimitCase {
  const char* typed;
  uint32_t stored;
};

TEST(AlertsRules, LimitsAreClampedEachOnItsOwn) {
  const LimitCase cases[] = {{"0", 1}, {"", 1}, {"1", 1}, {"750", 750}, {"1000000", 1000000},
                             {"1000001", 1000000}, {"4294967296", 1000000}};
  for (const LimitCase& c : cases) {
    CMonitorSettings settings;
    AlertsControls controls = AlertsControlsFor(settings, false);
    controls.slaveLimit = c.typed;
    StoreAlertsControls(controls, false, &settings);
    EXPECT_EQ(settings.slaveLimit, c.stored) << c.typed;
    EXPECT_EQ(settings.singleLimit, 1000u);
    EXPECT_EQ(settings.totalLimit, 750u);
  }
}

struct RepeatCase {
  uint32_t recorded;  // milliseconds before
  const char* typed;
  uint32_t stored;
};

TEST(AlertsRules, RepeatIsTypedInSecondsAndStoredInMilliseconds) {
  const RepeatCase cases[] = {
      {3000, "20000", 14400000}, {3000, "0", 1000},       {3000, "14400", 14400000},
      {3000, "7", 7000},         {3500, "3", 3500},       // left as shown: the milliseconds stay
      {3500, "4", 4000},         {14400000, "14400", 14400000},
  };
  for (const RepeatCase& c : cases) {
    CMonitorSettings settings;
    settings.audioRepeatInterval = c.recorded;
    AlertsControls controls = AlertsControlsFor(settings, false);
    EXPECT_EQ(controls.repeatSeconds, std::to_string(c.recorded / 1000));
    controls.repeatSeconds = c.typed;
    StoreAlertsControls(controls, false, &settings);
    EXPECT_EQ(settings.audioRepeatInterval, c.stored) << c.recorded << " " << c.typed;
  }
}

struct ActionCase {
  bool mailChecked, mailConfigured;
  bool audioChecked;
  const char* file;
  bool mailStored, audioStored;
};

TEST(AlertsRules, MailNeedsItsSettingsAndSoundAFile) {
  const ActionCase cases[] = {
      {true, true, true, "C:\\alert.wav", true, true},
      {true, false, true, "", false, false},
      {false, true, true, "   ", false, false},  // a blank name names no file
      {false, true, false, "C:\\alert.wav", false, false},
  };
  for (const ActionCase& c : cases) {
    CMonitorSettings settings;
    AlertsControls controls = AlertsControlsFor(settings, c.mailConfigured);
    controls.mail = c.mailChecked;
    controls.audio = c.audioChecked;
    controls.audioFile = c.file;
    StoreAlertsControls(controls, c.mailConfigured, &settings);
    EXPECT_EQ(settings.mailEnabled, c.mailStored) << c.file;
    EXPECT_EQ(settings.audioEnabled, c.audioStored) << c.file;
    EXPECT_EQ(settings.audioFileName, c.file);  // kept as typed
    // Shown again, the boxes follow what was stored.
    AlertsControls again = AlertsControlsFor(settings, c.mailConfigured);
    EXPECT_EQ(again.mail, c.mailStored);
    EXPECT_EQ(again.audio, c.audioStored);
  }
}

struct ShownCase {
  bool mailEnabled, mailConfigured;
  bool audioEnabled;
  const char* file;
  bool mailShown, audioShown;
};

// A stored "on" shows unticked once what it needs is gone.
TEST(AlertsRules, BoxesShowOnlyWhatCanWork) {
  const ShownCase cases[] = {
      {true, true, true, "C:\\alert.wav", true, true},
      {true, false, true, "", false, false},  // no mail settings, no file
      {true, false, true, "C:\\alert.wav", false, true},
      {true, true, true, " \t", true, false},
      {false, true, false, "C:\\alert.wav", false, false},
  };
  for (const ShownCase& c : cases) {
    CMonitorSettings settings;
    settings.mailEnabled = c.mailEnabled;
    settings.audioEnabled = c.audioEnabled;
    settings.audioFileName = c.file;
    AlertsControls shown = AlertsControlsFor(settings, c.mailConfigured);
    EXPECT_EQ(shown.mail, c.mailShown) << c.mailConfigured << " " << c.file;
    EXPECT_EQ(shown.audio, c.audioShown) << c.mailConfigured << " " << c.file;
  }
}

TEST(AlertsRules, ControlsRoundTripTheRecord) {
  CMonitorSettings settings;
  settings.slaveTest = false;
  settings.singleLimit = 42;
  settings.eventLogEnabled = false;
  settings.eventLogSummaryOnly = false;
  settings.mailEnabled = true;
  settings.mailHighPriority = false;
  settings.appletPopup = true;
  settings.audioEnabled = true;
  settings.audioFileName = "C:\\Windows\\Media\\ding.wav";
  settings.audioAckRequired = false;
  settings.audioRepeatInterval = 60000;
  CMonitorSettings stored;
  StoreAlertsControls(AlertsControlsFor(settings, true), true, &stored);
  EXPECT_EQ(stored, settings);
}

TEST(AlertsRules, Enablement) {
  EXPECT_EQ(AlertsEnablementFor(true, false, false), (AlertsEnablement{true, false, false}));
  EXPECT_EQ(AlertsEnablementFor(false, true, false), (AlertsEnablement{false, true, false}));
  EXPECT_EQ(AlertsEnablementFor(false, false, true), (AlertsEnablement{false, false, true}));
}

}  // namespace
