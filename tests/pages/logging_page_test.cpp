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
#include "support/sheet_page_run.h"
#include "platform/registry.h"
#include "support/dialog_steps.h"
#include "support/registry_sandbox.h"
#include "support/temp_folder.h"
#include "ui/basic_prop_page.h"
#include "ui/page_contract.h"

namespace {

const char kParams[] = "Software\\Tallowin\\Orvane Monitor\\Parameters";
const char kTextKey[] = "Software\\Tallowin\\Orvane Monitor\\Logs and Alerts\\Text";
const char kEventKey[] = "Software\\Tallowin\\Orvane Monitor\\Logs and Alerts\\Event Viewer";
const int kLogsPage = 4;

uint32_t Stored(const char* key, const char* name) {
  DWORD type = 0;
  std::string data;
  uint32_t value = 0xDEADBEEF;
  if (GetRawValue(key, name, &type, &data) && type == REG_DWORD && data.size() == 4) memcpy(&value, data.data(), 4);
  return value;
}

class LoggingPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = EmptyTempFolder("logging-page");
    serviceLog = folder + "orvanem.log";
    std::ofstream(serviceLog, std::ios::binary) << "Mon Jan 01 2024 12:00:00 Info:    service started\r\n";
    SetStringValue(kParams, "Service Log Filename", serviceLog.c_str());
  }
  // Runs the sheet on the Logs page with steps, then cancels it.
  static void Run(std::vector<PageStep> steps) { RunSheetOnPage(kLogsPage, std::move(steps)); }
  // Marks a change elsewhere on the page (the text level) so that Apply saves the record.
  static PageStep ChangeAndApply() {
    return Do([](HWND page) {
      Choose(page, IDC_LOGGING_TEXT_LEVEL, "Trace");
      PropSheet_Apply(GetParent(page));
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
  Run({Do([&](HWND page) {
    levels = Entries(page, IDC_LOGGING_EVENT_LEVEL);
    periods = Entries(page, IDC_LOGGING_ROLL);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(SendDlgItemMessageA(page, IDC_LOGGING_TEXT_LEVEL, CB_GETITEMDATA, i, 0), i);
    EXPECT_EQ(Chosen(page, IDC_LOGGING_TEXT_LEVEL), "Warnings");
    EXPECT_EQ(Chosen(page, IDC_LOGGING_EVENT_LEVEL), "Errors");
    EXPECT_EQ(Chosen(page, IDC_LOGGING_ROLL), "Weekly on Sunday");
    EXPECT_EQ(Text(page, IDC_LOGGING_MAX_SIZE), "4096");
    EXPECT_EQ(Text(page, IDC_LOGGING_ARCHIVES), "12");
    EXPECT_TRUE(Checked(page, IDC_LOGGING_KEEP));
    EXPECT_TRUE(Enabled(page, IDC_LOGGING_ARCHIVES));
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_LOGGING_MAX_SIZE, EM_GETLIMITTEXT, 0, 0), 5);
    int low = 0, high = 0;
    SendDlgItemMessageA(page, IDC_LOGGING_ARCHIVES_SPIN, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                        reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 366);
    EXPECT_FALSE(ApplyEnabled(page));  // showing is no change
  })});
  EXPECT_EQ(levels, (std::vector<std::string>{"Disabled", "Errors", "Warnings", "Information", "Trace", "Debug"}));
  EXPECT_EQ(periods,
            (std::vector<std::string>{"Never", "Daily at midnight", "Weekly on Sunday", "Monthly on the 1st"}));
}

TEST_F(LoggingPageTest, NeverGreysTheRetentionControlsButKeepsTheirValues) {
  SetDwordValue(kTextKey, "Roll Type", 2);
  SetDwordValue(kTextKey, "Max Archives", 20);
  Run({Do([](HWND page) {
         Choose(page, IDC_LOGGING_ROLL, "Never");
         for (int id : {IDC_LOGGING_DELETE_OLD, IDC_LOGGING_KEEP, IDC_LOGGING_ARCHIVES, IDC_LOGGING_ARCHIVES_SPIN})
           EXPECT_FALSE(Enabled(page, id)) << id;
         EXPECT_TRUE(Checked(page, IDC_LOGGING_KEEP));
         EXPECT_EQ(Text(page, IDC_LOGGING_ARCHIVES), "20");
         EXPECT_TRUE(ApplyEnabled(page));
       }),
       PressApply()});
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
    Run({Do([&](HWND page) {
           EXPECT_EQ(Chosen(page, IDC_LOGGING_ROLL), c.period);
           EXPECT_EQ(Checked(page, IDC_LOGGING_DELETE_OLD), c.deleteOld);
           EXPECT_EQ(Checked(page, IDC_LOGGING_KEEP), !c.deleteOld);
           EXPECT_EQ(Enabled(page, IDC_LOGGING_ARCHIVES), !c.deleteOld);
         }),
         ChangeAndApply()});
    EXPECT_EQ(Stored(kTextKey, "Roll Type"), c.storedBack) << c.stored;
  }
}

TEST_F(LoggingPageTest, AnEventViewerLevelOfNineShowsDisabledAndIsStoredAsZero) {
  SetDwordValue(kEventKey, "Log Level", 9);
  Run({Do([](HWND page) { EXPECT_EQ(Chosen(page, IDC_LOGGING_EVENT_LEVEL), "Disabled"); }), ChangeAndApply()});
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
    Run({Do([&c](HWND page) {
           SetText(page, IDC_LOGGING_MAX_SIZE, c.maxSize);
           SetText(page, IDC_LOGGING_ARCHIVES, c.archives);
           EXPECT_TRUE(ApplyEnabled(page));
         }),
         PressApply()});
    EXPECT_EQ(Stored(kTextKey, "Max Size"), c.storedSize) << c.archives;
    EXPECT_EQ(Stored(kTextKey, "Max Archives"), c.storedArchives) << c.archives;
  }
}

TEST_F(LoggingPageTest, ReleasingTheArchiveArrowMarksTheChangeEvenWithoutOne) {
  SetDwordValue(kTextKey, "Roll Type", 1);
  SetDwordValue(kTextKey, "Max Archives", 7);
  Run({Do([](HWND page) {
         SendMessageA(page, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0),
                      reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_LOGGING_ARCHIVES_SPIN)));
         EXPECT_EQ(SettingsChanged, 1);
         EXPECT_TRUE(ApplyEnabled(page));
       }),
       PressApply()});
  EXPECT_EQ(Stored(kTextKey, "Max Archives"), 7u);
  EXPECT_EQ(Stored(kTextKey, "Max Size"), 0u);  // the whole record was saved
}

TEST_F(LoggingPageTest, TheEventViewerStartsThroughTheSheetsLauncherOwnedByThePage) {
  std::vector<std::string> started;
  HWND page = nullptr, owner = nullptr;
  Run({Do([&](HWND shown) {
    page = shown;
    static_cast<CLogging*>(AttachedDialog(page))->SetProgramLauncher([&](HWND by, const char* file) {
      owner = by;
      started.push_back(file);
    });
    Click(page, IDC_LOGGING_EVENT_VIEWER);
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
  Run({Do([](HWND page) {
         HWND sheet = GetParent(page);
         PropSheet_SetCurSel(sheet, nullptr, 0);
         Notify(PropSheet_GetCurrentPageHwnd(sheet), IDC_STATUS_LOG_FILE, STN_CLICKED);
       }),
       WaitUntil([&] { return (fromStatus = ViewerShowing(serviceLog)) != nullptr; }),
       Do([&](HWND status) {
         SendMessageA(fromStatus, WM_CLOSE, 0, 0);
         EXPECT_FALSE(IsWindowVisible(fromStatus));
         HWND sheet = GetParent(status);
         PropSheet_SetCurSel(sheet, nullptr, kLogsPage);
         Click(PropSheet_GetCurrentPageHwnd(sheet), IDC_LOGGING_VIEW_LOG);
       }),
       WaitUntil([&] { return (fromLogs = ViewerShowing(serviceLog)) != nullptr; })});
  EXPECT_EQ(fromLogs, fromStatus);
  EXPECT_FALSE(IsWindow(fromStatus));  // the sheet's end ended it
}

// Picks path in the viewer's open-file dialog.
PageStep PickInOpenDialog(const std::string& path) {
  return [path](HWND) {
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
  Run({Do([](HWND page) { Click(page, IDC_LOGGING_VIEW_LOG); }),
       WaitUntil([&] { return (viewer = ViewerShowing(serviceLog)) != nullptr; }),
       Do([&](HWND) {
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
  Run({Do([](HWND page) { Click(page, IDC_LOGGING_VIEW_LOG); }),
       WaitUntil([&] { return (viewer = ViewerShowing(serviceLog)) != nullptr; }), Do([&](HWND) {
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
