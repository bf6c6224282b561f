// The Status page in the real sheet under Wine: the service's events are created here as the
// service would, and its "Check Results" values written into the sandboxed registry.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "applet/launch.h"
#include "monitor/summary_record.h"
#include "pages/pages_resource.h"
#include "pages/status_page.h"
#include "platform/registry.h"
#include "sampling/network.h"
#include "sampling/system_clock.h"
#include "service/fleet.h"
#include "service/service_run.h"
#include "support/dialog_steps.h"
#include "support/registry_sandbox.h"
#include "support/sheet_page_run.h"
#include "support/temp_folder.h"
#include "ui/applet_resources.h"
#include "ui/basic_prop_page.h"
#include "ui/online_help.h"
#include "ui/page_contract.h"
#include "ui/ui_resource.h"

namespace {

const char kParams[] = "Software\\Tallowin\\Orvane Monitor\\Parameters";
const uint32_t kCheckTime = 1700000000;
const uint32_t kAlertTime = 1690000000;

HWND g_sheet = nullptr;
HWND Page() { return PropSheet_GetCurrentPageHwnd(g_sheet); }
int CurrentIndex() { return PropSheet_HwndToIndex(g_sheet, Page()); }
CStatus* StatusPage() { return static_cast<CStatus*>(AttachedDialog(PropSheet_IndexToHwnd(g_sheet, 0))); }
HICON ItemIcon(int id) { return reinterpret_cast<HICON>(SendDlgItemMessageA(Page(), id, STM_GETICON, 0, 0)); }
bool Clickable(int id) { return GetWindowLongPtrA(GetDlgItem(Page(), id), GWL_STYLE) & SS_NOTIFY; }
// The check state whose icon is shown; 0 for the unknown icon or none.
uint32_t IconState(HICON icon) {
  for (uint32_t state : {1u, 2u, 3u})
    if (icon == AppletResources().StateIcon(state)) return state;
  return 0;
}
void Tick() { SendMessageA(Page(), WM_TIMER, 1, 0); }

void WriteResults(const char* name, uint32_t time, uint32_t status) {
  SummaryRecord record;
  record.time = time;
  record.status = status;
  SummaryBytes bytes = EncodeSummary(record);
  SetRawValue(kParams, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// A message box of this thread other than the sheet: the applet's own or the system's.
struct Box {
  HWND window = nullptr;
  std::string title, text;
};
Box FindBox() {
  Box box;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) {
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (window == g_sheet || strcmp(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        reinterpret_cast<Box*>(param)->window = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&box));
  if (!box.window) return box;
  box.title = WindowText(GetDlgItem(box.window, IDC_MSGBOX_TITLE));
  box.text = WindowText(GetDlgItem(box.window, GetDlgItem(box.window, IDC_MSGBOX_TEXT) ? IDC_MSGBOX_TEXT : 0xFFFF));
  return box;
}

// A step that waits for a message box, records it and answers it with button.
CStepDriver::Step Answer(Box* seen, int button) {
  return [seen, button] {
    *seen = FindBox();
    if (!seen->window) return false;
    PostMessageA(seen->window, WM_COMMAND, button, 0);
    return true;
  };
}

// An event of the service, created as the service creates it.
class CServiceEvent {
 public:
  explicit CServiceEvent(const char* name)
      : event_(CreateEventA(nullptr, TRUE, FALSE, (std::string("Global\\") + name).c_str())) {}
  ~CServiceEvent() { CloseHandle(event_); }
  void Set() { SetEvent(event_); }
  void Reset() { ResetEvent(event_); }
  // Whether the event is set; resets it for the next look.
  bool Take() {
    bool set = WaitForSingleObject(event_, 0) == WAIT_OBJECT_0;
    ResetEvent(event_);
    return set;
  }

 private:
  HANDLE event_;
};

// The notepad launcher that records instead of starting Notepad.
std::unique_ptr<CNotepad> RecordingNotepad(std::vector<std::string>* opened) {
  return std::make_unique<CNotepad>([opened](SHELLEXECUTEINFOA* info) {
    opened->push_back(info->lpParameters);
    return TRUE;
  });
}

class StatusPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsChanged = 0;
    folder = EmptyTempFolder("status");
    SetStringValue(kParams, "Data Folder", folder.c_str());
  }
  void TearDown() override {
    DeleteFileA((folder + std::to_string(kCheckTime) + ".dat").c_str());
    RemoveDirectoryA(folder.c_str());
  }
  void Run(std::vector<CStepDriver::Step> steps) {
    std::vector<PageStep> driven = {[](HWND page) {
      g_sheet = GetParent(page);
      return true;
    }};
    for (CStepDriver::Step& step : steps) driven.push_back([step](HWND) { return step(); });
    RunSheetOnPage(0, std::move(driven));
  }
  CSheetTurn turn;
  CRegistrySandbox sandbox;
  std::string folder;
};

TEST_F(StatusPageTest, ShowsBothResultsWithTheirIconsAndItsOwnLines) {
  WriteResults("Check Results", kCheckTime, 3);
  std::string old(kOldSummarySize, '\0');
  uint32_t oldStatus = 1;
  memcpy(&old[16], &oldStatus, 4);
  memcpy(&old[20], &kAlertTime, 4);
  SetRawValue(kParams, "Check Results (alert)", REG_BINARY, old.data(), static_cast<DWORD>(old.size()));
  Run({[] {
    EXPECT_EQ(Text(Page(), IDC_STATUS_CHECK_TIME), FormatUnixTime(kCheckTime));
    EXPECT_EQ(Text(Page(), IDC_STATUS_ALERT_TIME), FormatUnixTime(kAlertTime));
    EXPECT_EQ(ItemIcon(IDC_STATUS_CHECK_ICON), AppletResources().StateIcon(3));
    EXPECT_EQ(ItemIcon(IDC_STATUS_ALERT_ICON), AppletResources().StateIcon(1));
    EXPECT_NE(AppletResources().StateIcon(3), AppletResources().StateIcon(1));
    std::string product = std::string("Orvane Monitor ") + kVersionString + " (x64)\r\n";
    EXPECT_EQ(Text(Page(), IDC_STATUS_PRODUCT).rfind(product, 0), 0u);
    EXPECT_EQ(Text(Page(), IDC_STATUS_HELP_LINK), kHelpHostName);
    EXPECT_EQ(GetClassLongPtrA(GetDlgItem(Page(), IDC_STATUS_CHECK_TIME), GCLP_HCURSOR),
              reinterpret_cast<LONG_PTR>(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649))));
    EXPECT_FALSE(Visible(Page(), IDC_STATUS_ACKNOWLEDGE));
    return true;
  },
       // With no service the page's own timer disables "Rescan Now".
       [] { return !Enabled(Page(), IDC_STATUS_RESCAN); }});
}

TEST_F(StatusPageTest, MissingOrMalformedResultsShowHistoryUnavailable) {
  SetRawValue(kParams, "Check Results", REG_BINARY, "\x01\x02\x03\x04\x05", 5);
  Run({[] {
    EXPECT_EQ(Text(Page(), IDC_STATUS_CHECK_TIME), "History unavailable");
    EXPECT_EQ(Text(Page(), IDC_STATUS_ALERT_TIME), "History unavailable");
    EXPECT_EQ(ItemIcon(IDC_STATUS_CHECK_ICON), AppletResources().StateIcon(0));
    return true;
  }});
}

TEST_F(StatusPageTest, ACheckInProgressShowsScanningKeepsThePageAndEndsWithTheNewTimes) {
  WriteResults("Check Results", kCheckTime, 3);
  WriteResults("Check Results (alert)", kAlertTime, 1);
  CServiceEvent working("ovmon-working-signal");
  working.Set();
  std::vector<uint32_t> states;
  Box refusal;
  Run({[&] {
         for (int tick = 0; tick < 4; ++tick) {
           Tick();
           states.push_back(IconState(ItemIcon(IDC_STATUS_CHECK_ICON)));
           EXPECT_EQ(ItemIcon(IDC_STATUS_ALERT_ICON), ItemIcon(IDC_STATUS_CHECK_ICON));
         }
         EXPECT_EQ(Text(Page(), IDC_STATUS_CHECK_TIME), "Scanning now; please wait");
         EXPECT_EQ(Text(Page(), IDC_STATUS_ALERT_TIME), "Scanning now; please wait");
         for (int id : {IDC_STATUS_CHECK_TIME, IDC_STATUS_ALERT_TIME, IDC_STATUS_CHECK_ICON, IDC_STATUS_ALERT_ICON})
           EXPECT_FALSE(Clickable(id)) << id;
         EXPECT_FALSE(Enabled(Page(), IDC_STATUS_RESCAN));
         PropSheet_SetCurSel(g_sheet, nullptr, 1);
         return true;
       },
       Answer(&refusal, IDOK),
       [&] {
         EXPECT_EQ(CurrentIndex(), 0);
         WriteResults("Check Results", kCheckTime + 600, 1);
         WriteResults("Check Results (alert)", kCheckTime + 600, 1);
         working.Reset();
         Tick();
         EXPECT_EQ(Text(Page(), IDC_STATUS_CHECK_TIME), FormatUnixTime(kCheckTime + 600));
         EXPECT_EQ(Text(Page(), IDC_STATUS_ALERT_TIME), FormatUnixTime(kCheckTime + 600));
         EXPECT_EQ(ItemIcon(IDC_STATUS_CHECK_ICON), AppletResources().StateIcon(1));
         for (int id : {IDC_STATUS_CHECK_TIME, IDC_STATUS_ALERT_TIME, IDC_STATUS_CHECK_ICON, IDC_STATUS_ALERT_ICON})
           EXPECT_TRUE(Clickable(id)) << id;
         EXPECT_TRUE(Enabled(Page(), IDC_STATUS_RESCAN));
         PropSheet_SetCurSel(g_sheet, nullptr, 1);
         EXPECT_EQ(CurrentIndex(), 1);
         return true;
       }});
  // The page's own timer may have advanced the cycle before the first step: any start will do.
  ASSERT_EQ(states.size(), 4u);
  EXPECT_NE(states[0], 0u);
  for (size_t i = 1; i < states.size(); ++i) EXPECT_EQ(states[i], NextAnimationState(states[i - 1])) << i;
  EXPECT_EQ(refusal.title, "Scan Still Active");
  EXPECT_EQ(refusal.text, "Please wait for the current scan to finish.");
}

struct RescanCase {
  bool serviceRunning;
  int answer;  // to "Settings Changed"; 0 when there are no unsaved changes
  bool triggered, saved, failureReported;
  int changedAfter;
};

TEST_F(StatusPageTest, RescanAsksAboutUnsavedChangesThenSignalsTheService) {
  const RescanCase cases[] = {
      {true, 0, true, false, false, 0},   {true, IDCANCEL, false, false, false, 1},
      {true, IDNO, true, false, false, 1}, {true, IDYES, true, true, false, 0},
      {false, 0, false, false, true, 0},
  };
  for (const RescanCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "running " << c.serviceRunning << " answer " << c.answer);
    std::unique_ptr<CServiceEvent> working, trigger, settings;
    if (c.serviceRunning) {
      working = std::make_unique<CServiceEvent>("ovmon-working-signal");
      trigger = std::make_unique<CServiceEvent>("ovmon-trigger-event");
      settings = std::make_unique<CServiceEvent>("ovmon-cpl-event");
    }
    DeleteRegistryValue("", "Check Frequency (minutes)");
    Box question, failure;
    int changedAfter = -1;
    bool triggered = false, saved = false, settingsSignalled = false;
    std::vector<CStepDriver::Step> steps = {[&] {
      if (c.answer) StatusPage()->MarkChanged();
      Click(Page(), IDC_STATUS_RESCAN);
      changedAfter = SettingsChanged;
      triggered = trigger && trigger->Take();
      settingsSignalled = settings && settings->Take();
      DWORD type;
      std::string data;
      saved = GetRawValue(kParams, "Check Frequency (minutes)", &type, &data);
      return true;
    }};
    if (c.answer) steps.push_back(Answer(&question, c.answer));
    if (c.failureReported) steps.push_back(Answer(&failure, IDOK));
    Run(steps);
    EXPECT_EQ(triggered, c.triggered);
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(settingsSignalled, c.saved);
    EXPECT_EQ(changedAfter, c.changedAfter);
    if (c.answer) {
      EXPECT_EQ(question.title, "Settings Changed");
      EXPECT_EQ(question.text, "Do you want to save your changes first?");
    }
    if (c.failureReported) {
      EXPECT_EQ(failure.title, "Communications Failure");
      EXPECT_EQ(failure.text, "Could not signal service.");
    }
    SettingsChanged = 0;
  }
}

TEST_F(StatusPageTest, ApplyingTwiceSavesOnce) {
  CServiceEvent settings("ovmon-cpl-event");
  bool savedFirst = false, savedAgain = true, signalledFirst = false, signalledAgain = true;
  auto saved = [] {
    DWORD type;
    std::string data;
    return GetRawValue(kParams, "Check Frequency (minutes)", &type, &data);
  };
  Run({[&] {
    StatusPage()->MarkChanged();
    PropSheet_Apply(g_sheet);
    savedFirst = saved();
    signalledFirst = settings.Take();
    DeleteRegistryValue("", "Check Frequency (minutes)");
    PropSheet_Apply(g_sheet);
    savedAgain = saved();
    signalledAgain = settings.Take();
    EXPECT_EQ(WindowText(GetDlgItem(g_sheet, IDCANCEL)), "&Close");
    return true;
  }});
  EXPECT_TRUE(savedFirst);
  EXPECT_TRUE(signalledFirst);
  EXPECT_FALSE(savedAgain);
  EXPECT_FALSE(signalledAgain);
}

TEST_F(StatusPageTest, TimeLinksAndIconsOpenTheShownRecordsDetailFile) {
  WriteResults("Check Results", kCheckTime, 3);
  WriteResults("Check Results (alert)", kAlertTime, 1);
  std::string detail = folder + std::to_string(kCheckTime) + ".dat";
  HANDLE file = CreateFileA(detail.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  std::vector<std::string> opened;
  Box missing;
  Run({[&] {
         StatusPage()->UseNotepad(RecordingNotepad(&opened));
         Click(Page(), IDC_STATUS_CHECK_TIME);
         Click(Page(), IDC_STATUS_CHECK_ICON);
         Notify(Page(), IDC_STATUS_CHECK_TIME, STN_DBLCLK);
         Click(Page(), IDC_STATUS_ALERT_ICON);
         return true;
       },
       [&] {
         missing = FindBox();
         if (!missing.window) return false;
         missing.title = WindowText(missing.window);
         PostMessageA(missing.window, WM_COMMAND, IDOK, 0);
         StatusPage()->UseNotepad(std::make_unique<CNotepad>());  // the page outlives opened
         return true;
       }});
  EXPECT_EQ(opened, (std::vector<std::string>{detail, detail}));
  EXPECT_EQ(missing.title, "Orvane Monitor");
  EXPECT_EQ(missing.text, "No detailed data file exists for this summary record.");
}

TEST_F(StatusPageTest, AcknowledgeAppearsWhileTheAlertSoundsAndSilencesIt) {
  CServiceEvent ringing("ovmon-audio-alert-ringing");
  CServiceEvent acknowledged("ovmon-audio-alert-ack");
  acknowledged.Reset();
  bool shownBefore = true, shownRinging = false, shownAfter = true, stillRinging = true, ackSet = false;
  Run({[&] {
    Tick();
    shownBefore = Visible(Page(), IDC_STATUS_ACKNOWLEDGE);
    ringing.Set();
    Tick();
    shownRinging = Visible(Page(), IDC_STATUS_ACKNOWLEDGE);
    Click(Page(), IDC_STATUS_ACKNOWLEDGE);
    shownAfter = Visible(Page(), IDC_STATUS_ACKNOWLEDGE);
    stillRinging = ringing.Take();
    ackSet = acknowledged.Take();
    return true;
  }});
  EXPECT_FALSE(shownBefore);
  EXPECT_TRUE(shownRinging);
  EXPECT_FALSE(shownAfter);
  EXPECT_FALSE(stillRinging);
  EXPECT_TRUE(ackSet);
}

TEST_F(StatusPageTest, ShowsTheServicesChecksAndRescanRunsOne) {
  if (!FleetRunning()) GTEST_SKIP() << "no OV2 fleet (scripts/test starts one)";
  ASSERT_EQ(NetStartup(), 0u);
  ConfigureFleetCheck(folder, EmptyTempFolder("status-log") + "orvanem.log");
  CServiceRun service;
  ASSERT_TRUE(service.NextCheck());
  auto stored = [] {
    std::string value;
    ReadRegistryBinary("", "Check Results", &value);
    return SummaryFromValue(value);
  };
  SummaryRecord first = stored();
  ASSERT_EQ(first.status, 1u) << "the fleet's far client crosses the default single limit";
  Run({[&] {
         EXPECT_EQ(Text(Page(), IDC_STATUS_CHECK_TIME), FormatUnixTime(first.time));
         EXPECT_EQ(Text(Page(), IDC_STATUS_ALERT_TIME), FormatUnixTime(first.time));
         EXPECT_EQ(ItemIcon(IDC_STATUS_CHECK_ICON), AppletResources().StateIcon(1));
         Tick();
         EXPECT_TRUE(Enabled(Page(), IDC_STATUS_RESCAN)) << "the service runs";
         Click(Page(), IDC_STATUS_RESCAN);
         return true;
       },
       [&] {
         EXPECT_TRUE(service.NextCheck());
         Tick();
         SummaryRecord second = stored();
         EXPECT_GT(second.time, first.time);
         EXPECT_EQ(Text(Page(), IDC_STATUS_CHECK_TIME), FormatUnixTime(second.time));
         return true;
       }});
  // The page cleans its data folder; the service's detail files go first.
  for (uint32_t time : {first.time, stored().time}) DeleteFileA((folder + std::to_string(time) + ".dat").c_str());
  for (uint32_t time : {first.time, stored().time}) DeleteFileA((folder + std::to_string(time) + ".bin").c_str());
}

}  // namespace
