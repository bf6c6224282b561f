// What the Status page shows of the service, its last check and its last alert.
#include "pages/status_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string FakeTime(uint32_t seconds) { return "T" + std::to_string(seconds); }

SummaryRecord Record(uint32_t time, uint32_t status) {
  SummaryRecord record;
  record.time = time;
  record.status = status;
  return record;
}

TEST(StatusAnimation, CyclesThroughTheThreeStates) {
  struct Case {
    uint32_t state, next;
  } cases[] = {{3, 2}, {2, 1}, {1, 3}, {0, 1}, {4, 1}, {0xFFFFFFFF, 1}};
  for (const Case& c : cases) EXPECT_EQ(NextAnimationState(c.state), c.next) << c.state;
}

class StatusDisplayTest : public ::testing::Test {
 protected:
  void Poll(ServiceState state, bool ringing = false) { display.Poll(state, ringing, check, alert); }
  const StatusView& View() const { return display.View(); }
  std::vector<std::string> Texts() const { return {View().check.text, View().alert.text}; }
  std::vector<uint32_t> Icons() const { return {View().check.iconState, View().alert.iconState}; }

  CStatusDisplay display{FakeTime};
  SummaryRecord check = Record(1700000000, 3);
  SummaryRecord alert = Record(1690000000, 1);
};

TEST_F(StatusDisplayTest, StartsWithTheTemplateAndShowsTheRecordsWhenActive) {
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Last check...", "Last check..."}));
  EXPECT_EQ(Icons(), (std::vector<uint32_t>{0, 0}));
  EXPECT_EQ(display.ShownCheckTime(), kNothingShown);
  display.Show(check, Record(0, 0));
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T1700000000", "History unavailable"}));
  EXPECT_EQ(Icons(), (std::vector<uint32_t>{3, 0}));
  EXPECT_EQ(display.ShownCheckTime(), 1700000000u);
  EXPECT_EQ(display.ShownAlertTime(), 0u);
  EXPECT_TRUE(View().linksClickable);
}

TEST_F(StatusDisplayTest, ACheckShowsScanningCyclesTheIconsAndEndsWithTheNewResults) {
  display.Show(check, alert);
  Poll(ServiceState::kIdle);
  std::vector<std::vector<uint32_t>> icons;
  for (int tick = 0; tick < 4; ++tick) {
    Poll(ServiceState::kScanning);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Scanning now; please wait", "Scanning now; please wait"}));
    EXPECT_FALSE(View().linksClickable);
    EXPECT_FALSE(View().rescanEnabled);
    icons.push_back(Icons());
  }
  EXPECT_EQ(icons, (std::vector<std::vector<uint32_t>>{{2, 2}, {1, 1}, {3, 3}, {2, 2}}));
  check = Record(1700000600, 1);
  alert = check;
  Poll(ServiceState::kIdle);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T1700000600", "T1700000600"}));
  EXPECT_EQ(Icons(), (std::vector<uint32_t>{1, 1}));
  EXPECT_TRUE(View().linksClickable);
  EXPECT_TRUE(View().rescanEnabled);
}

// An unknown check shows the unknown icon with a note saying what it could not measure; the note
// goes while a check runs and never stands under a passed check.
TEST_F(StatusDisplayTest, AnUnknownCheckSaysWhatItCouldNotMeasure) {
  check = Record(1700000600, kCheckUnknown);
  check.counts[0] = 5;
  check.unansweredMachines = 2;
  alert = check;
  display.Show(check, alert);
  EXPECT_EQ(Icons(), (std::vector<uint32_t>{0, 0}));
  EXPECT_EQ(View().check.note, "2 of 7 machines did not answer");
  EXPECT_EQ(View().alert.note, "2 of 7 machines did not answer");
  Poll(ServiceState::kScanning);
  EXPECT_EQ(View().check.note, "");
  check = Record(1700000900, kCheckQuiet);
  Poll(ServiceState::kIdle);
  EXPECT_EQ(View().check.note, "");
  EXPECT_EQ(View().alert.note, "2 of 7 machines did not answer");
}

// A check that stored nothing new (or a record whose time is the "nothing shown" mark) must
// still replace the scanning text with the stored results.
TEST_F(StatusDisplayTest, UnchangedOrExtremeTimesAreShownAgainAfterACheck) {
  for (uint32_t time : {1700000000u, 0xFFFFFFFFu, 0u}) {
    check = Record(time, 3);
    display.Show(check, alert);
    Poll(ServiceState::kScanning);
    Poll(ServiceState::kIdle);
    EXPECT_EQ(View().check.text, time ? FakeTime(time) : "History unavailable") << time;
    EXPECT_EQ(View().check.iconState, 3u) << time;
    EXPECT_EQ(View().alert.text, "T1690000000") << time;
  }
}

TEST_F(StatusDisplayTest, IdlePollsShowOnlyRecordsThatChanged) {
  display.Show(check, alert);
  Poll(ServiceState::kIdle);
  alert = Record(1700000300, 1);
  Poll(ServiceState::kIdle);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T1700000000", "T1700000300"}));
  EXPECT_EQ(display.ShownAlertTime(), 1700000300u);
}

TEST_F(StatusDisplayTest, AStoppedServiceOnlyDisablesRescanUntilItRunsAgain) {
  display.Show(check, alert);
  Poll(ServiceState::kStopped);
  EXPECT_FALSE(View().rescanEnabled);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T1700000000", "T1690000000"}));
  EXPECT_TRUE(View().linksClickable);
  check = Record(1700000900, 2);
  Poll(ServiceState::kIdle);
  EXPECT_TRUE(View().rescanEnabled);
  EXPECT_EQ(View().check.text, "T1700000900");
  EXPECT_EQ(View().check.iconState, 2u);
}

TEST_F(StatusDisplayTest, AServiceThatStopsDuringACheckLeavesTheStoredResults) {
  display.Show(check, alert);
  Poll(ServiceState::kScanning);
  Poll(ServiceState::kStopped);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"T1700000000", "T1690000000"}));
  EXPECT_EQ(Icons(), (std::vector<uint32_t>{3, 1}));
  EXPECT_TRUE(View().linksClickable);
  EXPECT_FALSE(View().rescanEnabled);
}

TEST_F(StatusDisplayTest, AServiceSeenFirstDuringACheckShowsTheCheck) {
  display.Show(check, alert);
  Poll(ServiceState::kStopped);
  Poll(ServiceState::kScanning);
  EXPECT_EQ(View().check.text, "Scanning now; please wait");
  EXPECT_FALSE(View().linksClickable);
}

TEST_F(StatusDisplayTest, AcknowledgeStaysOfferedUntilClicked) {
  display.Show(check, alert);
  Poll(ServiceState::kIdle);
  EXPECT_FALSE(View().acknowledgeVisible);
  Poll(ServiceState::kStopped, true);
  EXPECT_TRUE(View().acknowledgeVisible);
  Poll(ServiceState::kIdle, false);
  EXPECT_TRUE(View().acknowledgeVisible);
  display.Acknowledge();
  EXPECT_FALSE(View().acknowledgeVisible);
  Poll(ServiceState::kScanning, true);
  EXPECT_TRUE(View().acknowledgeVisible);
}

}  // namespace
