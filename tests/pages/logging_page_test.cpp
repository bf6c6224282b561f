// The Logging page in the real sheet under Wine, each case ending in the registry after Apply,
// and the log viewer as the sheet run owns it: opened from the Status and Logs pages, its
// preferences and recent files kept across two runs of the applet.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "applet/launch.h"
#include "logview/logview_resource.h"
#include "logview/recent_files.h"
#include "logview/viewer_preferences.h"
#include "monitor/settings.h"
#include "pages/logging_page.h"
#include "pages/pages_resource.h"
#include "platform/registry.h"
#include "support/gui_driver.h"
#include "support/registry_sandbox.h"
#include "support/temp_folder.h"
#include "ui/basic_prop_page.h"
#include "ui/page_contract.h"

namespace {

const char kParams[] = "Software\\Tallowin\\Orvane Monitor\\Parameters";
const char kTextKey[] = "Software\\Tallowin\\Orvane Monitor\\Logs and Alerts\\Text";
const char kEventKey[] = "Software\\Tallowin\\Orvane Monitor\\Logs and Alerts\\Event Viewer";
const int kApplyButton = 0x3021;
const int kLogsPage = 4;

HWND g_sheet = nullptr;
HWND Page() { return PropSheet_GetCurrentPageHwnd(g_sheet); }
HWND Item(int id) { return GetDlgItem(Page(), id); }
bool Enabled(int id) { return IsWindowEnabled(Item(id)); }
bool Checked(int id) { return IsDlgButtonChecked(Page(), id) == BST_CHECKED; }
void Command(int id, UINT code) {
  SendMessageA(Page(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
}
void Choose(int id, int index) {
  SendMessageA(Item(id), CB_SETCURSEL, index, 0);
  Command(id, CBN_SELCHANGE);
}
std::string Selected(int id) { return WindowText(Item(id)); }
uint32_t Stored(const char* key, const char* name) {
  DWORD type = 0;
  std::string data;
  uint32_t value = 0xDEADBEEF;
  if (GetRawValue(key, name, &type, &data) && type == REG_DWORD && data.size() == 4) memcpy(&value, data.data(), 4);
  return value;
}

CStepDriver::Step Do(std::function<void()> action) {
  return [action] {
    action();
    return true;
  };
}
CStepDriver::Step Press(int button) {
  return Do([button] { PropSheet_PressButton(g_sheet, button); });
}
CStepDriver::Step WaitUntil(std::function<bool()> condition) { return condition; }

class LoggingPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsChanged = 0;
    folder = EmptyTempFolder("logging-page");
    serviceLog = folder + "orvanem.log";
    std::ofstream(serviceLog, std::ios::binary) << "Mon Jan 01 2024 12:00:00 Info:    service started\r\n";
    SetStringValue(kParams, "Service Log Filename", serviceLog.c_str());
  }
  // Runs the sheet on the Logs page with steps, then cancels it.
  void Run(std::vector<CStepDriver::Step> steps) {
    steps.insert(steps.begin(), [] {
      g_sheet = FindThreadDialog(nullptr);
      if (!g_sheet || !Page()) return false;
      PropSheet_SetCurSel(g_sheet, nullptr, kLogsPage);
      return true;
    });
    steps.push_back(Press(PSBTN_CANCEL));
    CStepDriver driver(std::move(steps));
    RunAppletSheet();
    EXPECT_TRUE(driver.Finished());
  }
  // Marks a change elsewhere on the page (the text level) so that Apply saves the record.
  static CStepDriver::Step ChangeAndApply() {
    return Do([] {
      Choose(IDC_LOGGING_TEXT_LEVEL, 4);
      PropSheet_Apply(g_sheet);
    });
  }

  CSheetTurn turn;
  CRegistrySandbox sandbox;
  CUserRegistrySandbox user;
  std::string folder, serviceLog;
};

TEST_F(LoggingPageTest, ListsAndStoredValuesShowOnThePage) {
  SetDwordValue(kTextKey, "Log Level", 2);
  SetDwordValue(kTextKey, "Max Size", 4096);
  SetDwordValue(kTextKey, "Max Archives", 12);
  SetDwordValue(kTextKey, "Roll Type", 2);
  SetDwordValue(kEventKey, "Log Level", 1);
  std::vector<std::string> levels, periods;
  Run({Do([&] {
    for (int i = 0; i < 6; ++i) {
      char text[64] = "";
      SendMessageA(Item(IDC_LOGGING_EVENT_LEVEL), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      levels.push_back(text);
      EXPECT_EQ(SendMessageA(Item(IDC_LOGGING_TEXT_LEVEL), CB_GETITEMDATA, i, 0), i);
    }
    for (int i = 0; i < 4; ++i) {
      char text[64] = "";
      SendMessageA(Item(IDC_LOGGING_ROLL), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      periods.push_back(text);
    }
    EXPECT_EQ(Selected(IDC_LOGGING_TEXT_LEVEL), "Warnings");
    EXPECT_EQ(Selected(IDC_LOGGING_EVENT_LEVEL), "Errors");
    EXPECT_EQ(Selected(IDC_LOGGING_ROLL), "Weekly on Sunday");
    EXPECT_EQ(WindowText(Item(IDC_LOGGING_MAX_SIZE)), "4096");
    EXPECT_EQ(WindowText(Item(IDC_LOGGING_ARCHIVES)), "12");
    EXPECT_TRUE(Checked(IDC_LOGGING_KEEP));
    EXPECT_TRUE(Enabled(IDC_LOGGING_ARCHIVES));
    EXPECT_EQ(SendMessageA(Item(IDC_LOGGING_MAX_SIZE), EM_GETLIMITTEXT, 0, 0), 5);
    int low = 0, high = 0;
    SendMessageA(Item(IDC_LOGGING_ARCHIVES_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 366);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(g_sheet, kApplyButton)));  // showing is no change
  })});
  EXPECT_EQ(levels, (std::vector<std::string>{"Disabled", "Errors", "Warnings", "Information", "Trace", "Debug"}));
  EXPECT_EQ(periods,
            (std::vector<std::string>{"Never", "Daily at midnight", "Weekly on Sunday", "Monthly on the 1st"}));
}

TEST_F(LoggingPageTest, NeverGreysTheRetentionControlsButKeepsTheirValues) {
  SetDwordValue(kTextKey, "Roll Type", 2);
  SetDwordValue(kTextKey, "Max Archives", 20);
  Run({Do([] {
         Choose(IDC_LOGGING_ROLL, 0);
         for (int id : {IDC_LOGGING_DELETE_OLD, IDC_LOGGING_KEEP, IDC_LOGGING_ARCHIVES, IDC_LOGGING_ARCHIVES_SPIN})
           EXPECT_FALSE(Enabled(id)) << id;
         EXPECT_TRUE(Checked(IDC_LOGGING_KEEP));
         EXPECT_EQ(WindowText(Item(IDC_LOGGING_ARCHIVES)), "20");
         EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_sheet, kApplyButton)));
         PropSheet_Apply(g_sheet);
       })});
  EXPECT_EQ(Stored(kTextKey, "Roll Type"), 0u);
  EXPECT_EQ(Stored(kTextKey, "Max Archives"), 20u);
}

TEST_F(LoggingPageTest, RollTypeBitsShowTheirPeriodAndAreStoredBackAsOne) {
  const uint32_t kDelete = 1u << 28;
  struct Case {
    uint32_t stored;
    const char* period;
    bool deleteOld;
    uint32_t storedBack;
  } cases[] = {
      {4 | kDelete, "Monthly on the 1st", true, 4 | kDelete},
      {1 | 4, "Daily at midnight", false, 1},
      {1 | 4 | kDelete | 0x100, "Daily at midnight", true, 1 | kDelete},
  };
  for (const Case& c : cases) {
    SetDwordValue(kTextKey, "Roll Type", c.stored);
    Run({Do([&] {
           EXPECT_EQ(Selected(IDC_LOGGING_ROLL), c.period);
           EXPECT_EQ(Checked(IDC_LOGGING_DELETE_OLD), c.deleteOld);
           EXPECT_EQ(Checked(IDC_LOGGING_KEEP), !c.deleteOld);
           EXPECT_EQ(Enabled(IDC_LOGGING_ARCHIVES), !c.deleteOld);
         }),
         ChangeAndApply()});
    EXPECT_EQ(Stored(kTextKey, "Roll Type"), c.storedBack) << c.stored;
  }
}

TEST_F(LoggingPageTest, AnEventViewerLevelOfNineShowsDisabledAndIsStoredAsZero) {
  SetDwordValue(kEventKey, "Log Level", 9);
  Run({Do([] { EXPECT_EQ(Selected(IDC_LOGGING_EVENT_LEVEL), "Disabled"); }), ChangeAndApply()});
  EXPECT_EQ(Stored(kEventKey, "Log Level"), 0u);
  EXPECT_EQ(Stored(kTextKey, "Log Level"), 4u);
}

struct TypedCase {
  const char* maxSize;
  const char* archives;
  uint32_t storedSize, storedArchives;
};

// A count too large for 32 bits is clamped like any other, not read as 0.
TEST_F(LoggingPageTest, TypedNumbersAreClampedToTheirRanges) {
  const TypedCase cases[] = {
      {"99999", "0", 65535, 1},
      {"0", "4294967295", 0, 366},
      {"7", "4294967296", 7, 366},
      {"12", "99999999999999999999", 12, 366},
  };
  for (const TypedCase& c : cases) {
    SetDwordValue(kTextKey, "Roll Type", 1);
    Run({Do([&c] {
      SetWindowTextA(Item(IDC_LOGGING_MAX_SIZE), c.maxSize);
      SetWindowTextA(Item(IDC_LOGGING_ARCHIVES), c.archives);
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_sheet, kApplyButton)));
      PropSheet_Apply(g_sheet);
    })});
    EXPECT_EQ(Stored(kTextKey, "Max Size"), c.storedSize) << c.archives;
    EXPECT_EQ(Stored(kTextKey, "Max Archives"), c.storedArchives) << c.archives;
  }
}

TEST_F(LoggingPageTest, ReleasingTheArchiveArrowMarksTheChangeEvenWithoutOne) {
  SetDwordValue(kTextKey, "Roll Type", 1);
  SetDwordValue(kTextKey, "Max Archives", 7);
  Run({Do([] {
         SendMessageA(Page(), WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0),
                      reinterpret_cast<LPARAM>(Item(IDC_LOGGING_ARCHIVES_SPIN)));
         EXPECT_EQ(SettingsChanged, 1);
         EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_sheet, kApplyButton)));
         PropSheet_Apply(g_sheet);
       })});
  EXPECT_EQ(Stored(kTextKey, "Max Archives"), 7u);
  EXPECT_EQ(Stored(kTextKey, "Max Size"), 0u);  // the whole record was saved
}

TEST_F(LoggingPageTest, TheEventViewerStartsThroughTheSheetsLauncherOwnedByThePage) {
  std::vector<std::string> started;
  HWND page = nullptr, owner = nullptr;
  Run({Do([&] {
    page = Page();
    static_cast<CLogging*>(AttachedDialog(page))->SetProgramLauncher([&](HWND by, const char* file) {
      owner = by;
      started.push_back(file);
    });
    Command(IDC_LOGGING_EVENT_VIEWER, BN_CLICKED);
  })});
  EXPECT_EQ(started, std::vector<std::string>{"eventvwr.exe"});
  EXPECT_EQ(owner, page);
}

// The viewer window, titled with the path it shows.
HWND ViewerShowing(const std::string& path) {
  HWND window = FindWindowA(nullptr, path.c_str());
  return window && IsWindowVisible(window) ? window : nullptr;
}

TEST_F(LoggingPageTest, TheStatusLinkAndTheViewButtonOpenOneViewerOnTheServiceLog) {
  HWND fromStatus = nullptr, fromLogs = nullptr;
  Run({Do([] {
         PropSheet_SetCurSel(g_sheet, nullptr, 0);
         Command(IDC_STATUS_LOG_FILE, STN_CLICKED);
       }),
       WaitUntil([&] { return (fromStatus = ViewerShowing(serviceLog)) != nullptr; }),
       Do([&] {
         SendMessageA(fromStatus, WM_CLOSE, 0, 0);
         EXPECT_FALSE(IsWindowVisible(fromStatus));
         PropSheet_SetCurSel(g_sheet, nullptr, kLogsPage);
         Command(IDC_LOGGING_VIEW_LOG, BN_CLICKED);
       }),
       WaitUntil([&] { return (fromLogs = ViewerShowing(serviceLog)) != nullptr; })});
  EXPECT_EQ(fromLogs, fromStatus);
  EXPECT_FALSE(IsWindow(fromStatus));  // the sheet's end ended it
}

// Picks path in the viewer's open-file dialog.
CStepDriver::Step PickInOpenDialog(const std::string& path) {
  return [path] {
    HWND dialog = FindWindowA(nullptr, "Select Log File");
    if (!dialog || !IsWindowVisible(dialog)) return false;
    SetDlgItemTextA(dialog, 0x47C, path.c_str());  // the file name box
    SetDlgItemTextA(dialog, 0x480, path.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return true;
  };
}

TEST_F(LoggingPageTest, ViewerPreferencesAndRecentFilesSurviveReopeningTheApplet) {
  std::string archive = folder + "orvanem.2024-01-31.log";
  std::ofstream(archive, std::ios::binary) << "Mon Jan 01 2024 12:00:00 WARNING: archived\r\n";
  HWND viewer = nullptr;
  Run({Do([] { Command(IDC_LOGGING_VIEW_LOG, BN_CLICKED); }),
       WaitUntil([&] { return (viewer = ViewerShowing(serviceLog)) != nullptr; }),
       Do([&] {
         SendMessageA(viewer, WM_COMMAND, IDM_LOG_SHOW_DATE, 0);
         SendMessageA(viewer, WM_COMMAND, IDM_LOG_AUTO_REFRESH, 0);
         PostMessageA(viewer, WM_COMMAND, IDM_LOG_OPEN_FILE, 0);
       }),
       PickInOpenDialog(archive), WaitUntil([&] { return ViewerShowing(archive) != nullptr; })});
  CRegistryKey key(HKEY_CURRENT_USER, kPreferenceKeyPath, CRegistryKey::Access::kRead);
  EXPECT_FALSE(key.ReadBool("LogView ShowDate", true));
  EXPECT_FALSE(key.ReadBool("LogView AutoRefresh", true));
  EXPECT_TRUE(key.ReadBool("LogView ShowTime", false));
  CMRU stored;
  stored.Load();
  EXPECT_EQ(stored.Entries(), std::vector<std::string>{archive});

  UINT dateState = 0, autoState = 0;
  Run({Do([] { Command(IDC_LOGGING_VIEW_LOG, BN_CLICKED); }),
       WaitUntil([&] { return (viewer = ViewerShowing(serviceLog)) != nullptr; }), Do([&] {
         dateState = GetMenuState(GetMenu(viewer), IDM_LOG_SHOW_DATE, MF_BYCOMMAND);
         autoState = GetMenuState(GetMenu(viewer), IDM_LOG_AUTO_REFRESH, MF_BYCOMMAND);
         EXPECT_TRUE(IsWindowVisible(GetDlgItem(viewer, IDC_LOG_NOTICE)));  // auto-refresh is off
       })});
  EXPECT_EQ(dateState & MF_CHECKED, 0u);
  EXPECT_EQ(autoState & MF_CHECKED, 0u);
  CMRU again;
  again.Load();
  EXPECT_EQ(again.Entries(), std::vector<std::string>{archive});
}

}  // namespace
