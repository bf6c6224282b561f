// The Alerts page in the real sheet under Wine: the tray component is a loopback stand-in and
// the file dialog a recording seam; every case ends in the registry after Apply, read back
// with the registry functions.
#include <windows.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <string>

#include "pages/alerts_page.h"
#include "pages/pages_resource.h"
#include "support/sheet_page_run.h"
#include "platform/registry.h"
#include "support/dialog_steps.h"
#include "support/registry_sandbox.h"
#include "support/tray_stand_in.h"
#include "ui/basic_dialog.h"

namespace {

const int kAlertsPage = 3;
const char kParameters[] = "";
const char kAudio[] = "\\Logs and Alerts\\Audio";
const char kChosenSound[] = "C:\\windows\\Media\\chimes.wav";
const std::string kTrustedAnswer("\0\0\0\0", 4);
const std::string kRefusal("\x05\0\0\0", 4);

// What the page asked of the file dialog.
struct FileRequest {
  int calls = 0;
  HWND owner = nullptr;
  std::string filter, initialFolder, title, startName;
  DWORD flags = 0, filterIndex = 0, bufferSize = 0;
};
FileRequest g_request;

BOOL WINAPI PickSound(OPENFILENAMEA* request) {
  ++g_request.calls;
  g_request.owner = request->hwndOwner;
  g_request.filter.assign(request->lpstrFilter, 27);  // up to the double terminator
  g_request.initialFolder = request->lpstrInitialDir;
  g_request.title = request->lpstrTitle;
  g_request.startName = request->lpstrFile;
  g_request.flags = request->Flags;
  g_request.filterIndex = request->nFilterIndex;
  g_request.bufferSize = request->nMaxFile;
  lstrcpynA(request->lpstrFile, kChosenSound, request->nMaxFile);
  return TRUE;
}

void UsePickSound(HWND page) { static_cast<CAlerts*>(AttachedDialog(page))->UseFileDialog(PickSound); }

class AlertsPageTest : public ::testing::Test {
 protected:
  void SetUp() override { g_request = FileRequest(); }
  CSheetTurn turn;
  CRegistrySandbox sandbox;
};

TEST_F(AlertsPageTest, LimitsAndRepeatAreClampedAndShownAgain) {
  WriteRegistryDword(kAudio, "Repeat Interval (milliseconds)", 3500);  // not whole seconds
  std::string repeatShownAgain;
  bool changedByShowing = true;
  RunSheetOnPage(kAlertsPage, {[&](HWND page) {
                                 changedByShowing = SettingsChanged != 0;
                                 EXPECT_EQ(Text(page, IDC_ALERTS_REPEAT_SECONDS), "3");
                                 SetText(page, IDC_ALERTS_SLAVE_LIMIT, "0");
                                 SetText(page, IDC_ALERTS_TOTAL_LIMIT, "2000000");
                                 SetText(page, IDC_ALERTS_REPEAT_SECONDS, "20000");
                                 EXPECT_TRUE(ApplyEnabled(page));
                                 return true;
                               },
                               PressApply(), ShowAgain(kAlertsPage),
                               [&](HWND page) {
                                 repeatShownAgain = Text(page, IDC_ALERTS_REPEAT_SECONDS);
                                 return true;
                               }});
  EXPECT_FALSE(changedByShowing);
  EXPECT_EQ(ReadRegistryDword(kParameters, "Slave Limit", 0), 1u);
  EXPECT_EQ(ReadRegistryDword(kParameters, "Single Limit", 0), 1000u);
  EXPECT_EQ(ReadRegistryDword(kParameters, "Total Limit", 0), 1000000u);
  EXPECT_EQ(ReadRegistryDword(kAudio, "Repeat Interval (milliseconds)", 0), 14400000u);
  EXPECT_EQ(repeatShownAgain, "14400");
}

TEST_F(AlertsPageTest, ClearingTheFileNameTurnsTheSoundOff) {
  WriteRegistryBool(kAudio, "Enabled", true);
  WriteRegistryString(kAudio, "Filename", kChosenSound);
  bool checkedAgain = true, optionsEnabledAgain = true;
  RunSheetOnPage(kAlertsPage, {[](HWND page) {
                                 EXPECT_TRUE(Checked(page, IDC_ALERTS_AUDIO));
                                 EXPECT_TRUE(Enabled(page, IDC_ALERTS_BROWSE));
                                 SetText(page, IDC_ALERTS_AUDIO_FILE, "");
                                 return true;
                               },
                               PressApply(), ShowAgain(kAlertsPage),
                               [&](HWND page) {
                                 checkedAgain = Checked(page, IDC_ALERTS_AUDIO);
                                 optionsEnabledAgain = Enabled(page, IDC_ALERTS_AUDIO_FILE);
                                 return true;
                               }});
  EXPECT_FALSE(ReadRegistryBool(kAudio, "Enabled", true));
  EXPECT_EQ(ReadRegistryString(kAudio, "Filename", "default"), "");
  EXPECT_FALSE(checkedAgain);
  EXPECT_FALSE(optionsEnabledAgain);
}

// With the tray component answering, "Play a sound" without a file opens the file dialog at once.
TEST_F(AlertsPageTest, SoundWithoutAFileOpensTheFileDialogInTheMediaFolder) {
  CTrayStandIn tray(kTrustedAnswer);
  tray.Register();
  HWND alerts = nullptr;
  RunSheetOnPage(kAlertsPage, {[&](HWND page) {
                                 alerts = page;
                                 UsePickSound(page);
                                 EXPECT_FALSE(Enabled(page, IDC_ALERTS_BROWSE));
                                 SendDlgItemMessageA(page, IDC_ALERTS_AUDIO, BM_CLICK, 0, 0);  // posts Browse
                                 return true;
                               },
                               [](HWND page) { return Text(page, IDC_ALERTS_AUDIO_FILE) == kChosenSound; },
                               PressApply()});
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(tray.Heard(), "noop");
  EXPECT_EQ(g_request.calls, 1);
  EXPECT_EQ(g_request.owner, alerts);
  EXPECT_EQ(g_request.filter, std::string("Sound Files (*.wav)\0*.wav\0\0", 27));
  EXPECT_EQ(g_request.filterIndex, 1u);
  EXPECT_EQ(g_request.initialFolder, std::string(windows) + "\\Media\\");
  EXPECT_EQ(g_request.title, "Select alert sound");
  EXPECT_EQ(g_request.startName, "");
  EXPECT_EQ(g_request.bufferSize, static_cast<DWORD>(MAX_PATH));
  EXPECT_EQ(g_request.flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                                                 OFN_NONETWORKBUTTON | OFN_DONTADDTORECENT | OFN_FORCESHOWHIDDEN));
  EXPECT_TRUE(ReadRegistryBool(kAudio, "Enabled", false));
  EXPECT_EQ(ReadRegistryString(kAudio, "Filename", ""), kChosenSound);
}

struct TrayCase {
  int box;
  int answer;  // to "Confirm Choice"
  bool checked;
};

// Without the tray component's answer the user decides; the Event Viewer box never asks.
TEST_F(AlertsPageTest, TrayFeaturesAskWhenTheTrayDoesNotAnswer) {
  const TrayCase cases[] = {{IDC_ALERTS_POPUP, IDNO, false}, {IDC_ALERTS_POPUP, IDYES, true}};
  for (const TrayCase& c : cases) {
    CTrayStandIn tray(kRefusal);
    tray.Register();
    std::string question;
    RunSheetOnPage(kAlertsPage, {[&](HWND page) {
                                   SendDlgItemMessageA(page, IDC_ALERTS_EVENT_LOG, BM_CLICK, 0, 0);  // off
                                   SendDlgItemMessageA(page, c.box, BM_CLICK, 0, 0);
                                   return true;
                                 },
                                 AnswerBox("Orvane Monitor", c.answer, &question),
                                 [&](HWND page) {
                                   if (FindThreadDialog("Orvane Monitor")) return false;
                                   EXPECT_EQ(Checked(page, c.box), c.checked);
                                   EXPECT_FALSE(Checked(page, IDC_ALERTS_EVENT_LOG));
                                   EXPECT_FALSE(Enabled(page, IDC_ALERTS_EVENT_SUMMARY));
                                   SendDlgItemMessageA(page, IDC_ALERTS_EVENT_LOG, BM_CLICK, 0, 0);
                                   EXPECT_TRUE(Enabled(page, IDC_ALERTS_EVENT_SUMMARY));
                                   EXPECT_EQ(FindThreadDialog("Orvane Monitor"), nullptr);
                                   return true;
                                 },
                                 PressApply()});
    EXPECT_EQ(question.rfind("In order to play sounds or display the control panel applet, the Orvane", 0), 0u)
        << question;
    EXPECT_EQ(ReadRegistryBool("\\Logs and Alerts\\Other", "CPL Popup", !c.checked), c.checked);
    EXPECT_TRUE(ReadRegistryBool("\\Logs and Alerts\\Event Viewer", "Enabled", false));
  }
}

TEST_F(AlertsPageTest, MailAlertsWithoutMailOpenTheEmailSetupAndCancelLeavesThemOff) {
  WriteRegistryString("\\Logs and Alerts\\SMTP", "Server", "");
  bool checked = true, changed = true;
  RunSheetOnPage(kAlertsPage, {[](HWND page) {
                                 SendDlgItemMessageA(page, IDC_ALERTS_MAIL, BM_CLICK, 0, 0);
                                 return true;
                               },
                               PressWhenShown("Email Setup", IDCANCEL),
                               [&](HWND page) {
                                 checked = Checked(page, IDC_ALERTS_MAIL);
                                 changed = ApplyEnabled(page);
                                 return true;
                               }});
  EXPECT_FALSE(checked);
  EXPECT_FALSE(changed);
}

}  // namespace
