// The property sheet with its five pages: order, the caller window, Cancel, OK and defaults.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "applet/applet.h"
#include "applet/instance_limit.h"
#include "applet/launch.h"
#include "applet/launch_state.h"
#include "pages/pages_resource.h"
#include "support/gui_driver.h"
#include "support/registry_sandbox.h"
#include "ui/basic_prop_page.h"
#include "ui/online_help.h"
#include "ui/page_colors.h"
#include "ui/page_contract.h"
#include "ui/ui_resource.h"

namespace {

const int kApplyButton = 0x3021;

std::vector<std::string> g_opened;
void RecordUrl(HWND, const char* url) { g_opened.push_back(url); }

// The caller's window: records each time it is enabled and how many pages were still open.
std::vector<LONG> g_enabledWithOpenPages;
LRESULT CALLBACK CallerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ENABLE && wParam) g_enabledWithOpenPages.push_back(static_cast<LONG>(OpenPageCount));
  return DefWindowProcA(window, msg, wParam, lParam);
}

HWND Sheet() { return FindThreadDialog(nullptr); }
HWND CurrentPage() { return PropSheet_GetCurrentPageHwnd(Sheet()); }
int CurrentIndex() { return PropSheet_HwndToIndex(Sheet(), CurrentPage()); }

std::string TabText(HWND tabs, int index) {
  char text[64] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

// Sends the sheet's accelerator notification for one key message to the current page.
void SendKey(UINT message, WPARAM key) {
  MSG msg = {CurrentPage(), message, key, 0, 0, {}};
  PSHNOTIFY notify = {};
  notify.hdr.hwndFrom = Sheet();
  notify.hdr.code = PSN_TRANSLATEACCELERATOR;
  notify.lParam = reinterpret_cast<LPARAM>(&msg);
  SendMessageA(CurrentPage(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

CStepDriver::Step Press(int button) {
  return [button] {
    PropSheet_PressButton(Sheet(), button);
    return true;
  };
}

class SheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsChanged = 0;
    g_opened.clear();
    g_enabledWithOpenPages.clear();
    previousOpener = SetUrlOpener(RecordUrl);
  }
  void TearDown() override {
    SetUrlOpener(previousOpener);
    CallerWindowRecorded = false;
    CallerWindow = nullptr;
  }
  void Run(std::vector<CStepDriver::Step> steps) {
    steps.insert(steps.begin(), [] { return Sheet() != nullptr && CurrentPage() != nullptr; });
    CStepDriver driver(std::move(steps));
    RunAppletSheet();
    EXPECT_TRUE(driver.Finished());
  }
  CSheetTurn turn;
  CRegistrySandbox sandbox;
  UrlOpener previousOpener = nullptr;
};

}  // namespace

TEST_F(SheetTest, OpensWithFivePagesInOrder) {
  std::string caption;
  std::vector<std::string> titles;
  Run({[&] {
         caption = WindowText(Sheet());
         HWND tabs = PropSheet_GetTabControl(Sheet());
         for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) titles.push_back(TabText(tabs, i));
         EXPECT_EQ(CurrentIndex(), 0);
         EXPECT_EQ(WindowText(GetDlgItem(Sheet(), IDOK)), "&OK");
         EXPECT_FALSE(IsWindowVisible(GetDlgItem(CurrentPage(), IDC_STATUS_ACKNOWLEDGE)));
         return true;
       },
       Press(PSBTN_CANCEL)});
  EXPECT_NE(caption.find("Orvane Monitor"), std::string::npos) << caption;
  EXPECT_EQ(titles, (std::vector<std::string>{"Status", "History", "Setup", "Alerts", "Logs"}));
}

TEST_F(SheetTest, CancelAfterThreePagesEnablesTheCallerOnTheLastReset) {
  WNDCLASSA cls = {};
  cls.lpfnWndProc = CallerProc;
  cls.lpszClassName = "SheetTestCaller";
  RegisterClassA(&cls);
  HWND caller = CreateWindowExA(0, cls.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CallerWindowRecorded = true;
  CallerWindow = caller;
  CallerWindowDisabled = false;
  LONG openBeforeCancel = -1;
  Run({[&] {
         EXPECT_FALSE(IsWindowEnabled(caller));
         PropSheet_SetCurSel(Sheet(), nullptr, 1);
         PropSheet_SetCurSel(Sheet(), nullptr, 2);
         openBeforeCancel = static_cast<LONG>(OpenPageCount);
         return true;
       },
       Press(PSBTN_CANCEL)});
  EXPECT_EQ(openBeforeCancel, 3);
  EXPECT_EQ(g_enabledWithOpenPages, std::vector<LONG>{0});
  EXPECT_TRUE(IsWindowEnabled(caller));
  EXPECT_FALSE(CallerWindowRecorded);
  DestroyWindow(caller);
}

// A program that embeds the applet passes its own window with the private message.
TEST_F(SheetTest, TheCallerWindowMessageRecordsTheCallerAndRunsTheSheet) {
  HWND caller = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND recorded = nullptr;
  bool enabledWhileUp = true;
  CStepDriver driver({[] { return Sheet() != nullptr && CurrentPage() != nullptr; },
                      [&] {
                        recorded = CallerWindow;
                        enabledWhileUp = IsWindowEnabled(caller);
                        return true;
                      },
                      Press(PSBTN_CANCEL)});
  EXPECT_EQ(CPlApplet(caller, kCallerWindowMessage, 0, 0), 0);
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(recorded, caller);
  EXPECT_FALSE(enabledWhileUp);
  EXPECT_TRUE(IsWindowEnabled(caller));
  EXPECT_FALSE(CallerWindowRecorded);
  DestroyWindow(caller);
}

// The service log's name comes from the installation; an empty one means the system directory's.
TEST_F(SheetTest, ServiceLogFileNameDefaultsWhenEmpty) {
  const std::string parameters = "Software\\Tallowin\\Orvane Monitor\\Parameters";
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, MAX_PATH);
  const struct {
    const char* stored;
    std::string expected;
  } cases[] = {{"", std::string(system) + "\\orvanem.log"}, {"D:\\Logs\\monitor.log", "D:\\Logs\\monitor.log"}};
  for (const auto& c : cases) {
    SetStringValue(parameters.c_str(), "Service Log Filename", c.stored);
    Run({Press(PSBTN_CANCEL)});
    EXPECT_EQ(AppletLaunchState().serviceLogFileName, c.expected) << c.stored;
  }
}

TEST_F(SheetTest, OkClosesTheSheetAndEnablesTheCaller) {
  HWND caller = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  CallerWindowRecorded = true;
  CallerWindow = caller;
  Run({[&] {
         EXPECT_FALSE(IsWindowEnabled(caller));
         return true;
       },
       Press(PSBTN_OK)});
  EXPECT_TRUE(IsWindowEnabled(caller));
  DestroyWindow(caller);
}

TEST_F(SheetTest, HelpKeyOpensThePagesTopicWithoutChangingPages) {
  Run({[&] {
         PropSheet_SetCurSel(Sheet(), nullptr, 2);
         SendKey(WM_KEYDOWN, VK_F1);
         SendKey(WM_KEYUP, VK_F1);
         SendKey(WM_CHAR, 0x70);  // 'p' typed into a field
         SendKey(WM_CHAR, 0x2F);  // '/'
         EXPECT_EQ(CurrentIndex(), 2);
         PropSheet_SetCurSel(Sheet(), nullptr, 4);
         SendKey(WM_KEYDOWN, VK_HELP);
         return true;
       },
       Press(PSBTN_CANCEL)});
  EXPECT_EQ(g_opened, (std::vector<std::string>{BuildHelpTopicUrl("setup"), BuildHelpTopicUrl("logs")}));
  EXPECT_EQ(BuildHelpTopicUrl("setup"),
            "https://help.tallowin.example/online-help?product=ovmon&subject=setup&version=5.2.b.20240101");
}

TEST_F(SheetTest, MarkChangedEnablesApplyAndApplySaves) {
  bool applyBefore = true, applyAfter = false;
  Run({[&] {
         PropSheet_SetCurSel(Sheet(), nullptr, 3);
         applyBefore = IsWindowEnabled(GetDlgItem(Sheet(), kApplyButton));
         static_cast<CBasicPropPage*>(AttachedDialog(CurrentPage()))->MarkChanged();
         applyAfter = IsWindowEnabled(GetDlgItem(Sheet(), kApplyButton));
         EXPECT_EQ(SettingsChanged, 1);
         return true;
       },
       Press(PSBTN_APPLYNOW),
       [&] {
         EXPECT_EQ(SettingsChanged, 0);
         EXPECT_EQ(WindowText(GetDlgItem(Sheet(), IDCANCEL)), "&Close");
         return true;
       },
       Press(PSBTN_CANCEL)});
  EXPECT_FALSE(applyBefore);
  EXPECT_TRUE(applyAfter);
  DWORD type = 0;
  std::string data;
  EXPECT_TRUE(GetRawValue("Software\\Tallowin\\Orvane Monitor\\Parameters", "Check Frequency (minutes)", &type, &data));
  EXPECT_TRUE(GetRawValue("Software\\Tallowin\\Orvane Monitor\\Parameters", "hwnd", &type, &data));
}

TEST_F(SheetTest, SecondRunWhileOneIsUpShowsNothing) {
  int dialogsBefore = 0, dialogsAfter = 0;
  auto countDialogs = [] {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) {
          char name[16] = "";
          GetClassNameA(window, name, sizeof name);
          if (IsWindowVisible(window) && !strcmp(name, "#32770")) ++*reinterpret_cast<int*>(param);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
  };
  Run({[&] {
         dialogsBefore = countDialogs();
         RunAppletSheet();
         dialogsAfter = countDialogs();
         return true;
       },
       Press(PSBTN_CANCEL)});
  EXPECT_EQ(dialogsBefore, 1);
  EXPECT_EQ(dialogsAfter, 1);
}

// A second open finds the running sheet to bring it forward, and only while it is up.
TEST_F(SheetTest, TheRunningSheetIsFoundByASecondOpen) {
  HWND found = nullptr, sheet = nullptr;
  Run({[&] {
         sheet = Sheet();
         found = FindRunningApplet();
         return true;
       },
       Press(PSBTN_CANCEL)});
  EXPECT_EQ(found, sheet);
  EXPECT_EQ(FindRunningApplet(), nullptr);
}

// An object of another kind holding the rule's name keeps the sheet from running: the user is told.
TEST_F(SheetTest, AMutexThatCannotBeMadeIsReported) {
  HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, "Global\\instance-limit-ovmon-cpl-active");
  ASSERT_NE(squatter, nullptr);
  std::string text, title;
  CStepDriver driver({[&] {
    HWND box = FindThreadDialog("Orvane Monitor");
    if (!box) return false;
    text = WindowText(GetDlgItem(box, IDC_MSGBOX_TEXT));
    title = WindowText(GetDlgItem(box, IDC_MSGBOX_TITLE));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return true;
  }});
  RunAppletSheet();
  CloseHandle(squatter);
  EXPECT_TRUE(driver.Finished());
  EXPECT_EQ(text, "Cannot launch Control Panel applet.");
  EXPECT_NE(title, "");
}

TEST_F(SheetTest, LinkColourOnlyForStatics) {
  COLORREF statusLink = 0, alertsCheckBox = 0;
  Run({[&] {
         HDC dc = CreateCompatibleDC(nullptr);
         SendMessageA(CurrentPage(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                      reinterpret_cast<LPARAM>(GetDlgItem(CurrentPage(), IDC_STATUS_CHECK_TIME)));
         statusLink = GetTextColor(dc);
         PropSheet_SetCurSel(Sheet(), nullptr, 3);
         SendMessageA(CurrentPage(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                      reinterpret_cast<LPARAM>(GetDlgItem(CurrentPage(), IDC_ALERTS_POPUP)));
         alertsCheckBox = GetTextColor(dc);
         DeleteDC(dc);
         return true;
       },
       Press(PSBTN_CANCEL)});
  EXPECT_EQ(statusLink, LinkColor());
  EXPECT_EQ(alertsCheckBox, RGB(0, 0, 0));
}

TEST_F(SheetTest, LaunchWithThePassingGateRunsTheSheet) {
  bool sawSheet = false;
  CStepDriver driver({[&] {
                        sawSheet = Sheet() != nullptr;
                        return sawSheet;
                      },
                      Press(PSBTN_CANCEL)});
  EXPECT_EQ(LaunchApplet(RealSystemAccess()), 0);
  EXPECT_TRUE(sawSheet);
}
