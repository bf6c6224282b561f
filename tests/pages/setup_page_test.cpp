// The Setup page in the real sheet under Wine, with the e-mail setup and network discovery
// dialogs it opens; every case ends in the registry after Apply, read back with the registry
// functions.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mailsetup/mailsetup_resource.h"
#include "pages/pages_resource.h"
#include "support/sheet_page_run.h"
#include "platform/registry.h"
#include "support/dialog_steps.h"
#include "support/registry_sandbox.h"
#include "timesources/timesources_resource.h"

namespace {

const int kSetupPage = 2;
const char kParameters[] = "";
const char kSummaries[] = "\\Summaries";
const char kSmtp[] = "\\Logs and Alerts\\SMTP";

// Mail settings with a server, a sender and one recipient.
void StoreCompleteMail() {
  WriteRegistryString(kSmtp, "Server", "smtp.example.com");
  WriteRegistryString(kSmtp, "From", "Monitor <monitor@example.com>");
  WriteRegistryList(kSmtp, "To", {"Ops <ops@example.com>"});
}

class SetupPageTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteRegistryString(kSmtp, "Server", ""); }
  CSheetTurn turn;
  CRegistrySandbox sandbox;
};

TEST_F(SetupPageTest, SummariesWithoutMailOpenTheEmailSetupAndCancelLeavesThemOff) {
  bool changedAfterCancel = true, checkedAfterCancel = true;
  RunSheetOnPage(kSetupPage, {[](HWND page) {
                                EXPECT_FALSE(Checked(page, IDC_SETUP_SUMMARIES));
                                EXPECT_FALSE(Enabled(page, IDC_SETUP_SCHEDULE));
                                SendDlgItemMessageA(page, IDC_SETUP_SUMMARIES, BM_CLICK, 0, 0);
                                return true;
                              },
                              PressWhenShown("Email Setup", IDCANCEL),
                              [&](HWND page) {
                                checkedAfterCancel = Checked(page, IDC_SETUP_SUMMARIES);
                                changedAfterCancel = SettingsChanged != 0 || ApplyEnabled(page);
                                return true;
                              }});
  EXPECT_FALSE(checkedAfterCancel);
  EXPECT_FALSE(changedAfterCancel);
}

// The e-mail setup completed with OK turns the summaries on; Apply stores both.
TEST_F(SetupPageTest, SummariesAfterTheEmailSetupEndsWithOk) {
  RunSheetOnPage(kSetupPage, {[](HWND page) {
                                SendDlgItemMessageA(page, IDC_SETUP_SUMMARIES, BM_CLICK, 0, 0);
                                return true;
                              },
                              [](HWND) {
                                HWND mail = FindThreadDialog("Email Setup");
                                if (!mail) return false;
                                SetText(mail, IDC_SMTP_SERVER, "smtp.example.com");
                                TabCtrl_SetCurFocus(GetDlgItem(mail, IDC_SMTP_TABS), 1);
                                PostClick(mail, IDC_SMTP_ADD);
                                return true;
                              },
                              PressWhenShown("Email Address", IDOK,
                                             [](HWND address) { SetText(address, IDC_ADDRESS_EMAIL, "ops@example.com"); }),
                              PressWhenShown("Email Setup", IDOK),
                              [](HWND page) {
                                if (FindThreadDialog("Email Setup")) return false;
                                EXPECT_TRUE(Checked(page, IDC_SETUP_SUMMARIES));
                                EXPECT_TRUE(Enabled(page, IDC_SETUP_LEVEL_ERRORS));
                                EXPECT_TRUE(ApplyEnabled(page));
                                return true;
                              },
                              PressApply()});
  EXPECT_TRUE(ReadRegistryBool(kSummaries, "Enabled", false));
  EXPECT_EQ(ReadRegistryString(kSmtp, "Server", ""), "smtp.example.com");
  std::vector<std::string> to;
  ReadRegistryList(kSmtp, "To", &to);
  EXPECT_EQ(to, std::vector<std::string>{"ops <ops@example.com>"});
}

// Summaries stored as enabled without complete mail show unchecked and are stored as off.
TEST_F(SetupPageTest, ListsRetentionAndIncompleteMailEndInTheRegistry) {
  WriteRegistryDword(kParameters, "Check Frequency (minutes)", 7);  // in no list entry
  WriteRegistryBool(kSummaries, "Enabled", true);
  WriteRegistryDword(kSummaries, "Level", 0);
  WriteRegistryDword(kSummaries, "Frequency", 9);
  std::string daysShownAgain;
  RunSheetOnPage(kSetupPage, {[](HWND page) {
                                EXPECT_EQ(Chosen(page, IDC_SETUP_FREQUENCY), "");
                                EXPECT_EQ(Chosen(page, IDC_SETUP_SCHEDULE), "Monday, Wednesday, Friday");
                                EXPECT_FALSE(Checked(page, IDC_SETUP_SUMMARIES));
                                // Greyed while summaries are off, but keeping their values.
                                EXPECT_FALSE(Enabled(page, IDC_SETUP_LEVEL_NONE));
                                EXPECT_TRUE(Checked(page, IDC_SETUP_LEVEL_NONE));
                                EXPECT_EQ(Text(page, IDC_SETUP_DAYS), "30");
                                EXPECT_EQ(SettingsChanged, 0);  // showing the record changes nothing
                                SetText(page, IDC_SETUP_DAYS, "30");
                                EXPECT_FALSE(ApplyEnabled(page));
                                SetText(page, IDC_SETUP_DAYS, "5000");
                                SetText(page, IDC_SETUP_RECORDS, "0");
                                EXPECT_TRUE(ApplyEnabled(page));
                                return true;
                              },
                              PressApply(), ShowAgain(kSetupPage),
                              [&](HWND page) {
                                daysShownAgain = Text(page, IDC_SETUP_DAYS);
                                return true;
                              }});
  EXPECT_EQ(ReadRegistryDword(kSummaries, "Retention (days)", 0), 1825u);
  EXPECT_EQ(ReadRegistryDword(kSummaries, "Retention (records)", 0), 1u);
  EXPECT_EQ(ReadRegistryDword(kParameters, "Check Frequency (minutes)", 0), 7u);
  EXPECT_EQ(ReadRegistryDword(kSummaries, "Frequency", 0), 9u);
  EXPECT_FALSE(ReadRegistryBool(kSummaries, "Enabled", true));
  EXPECT_EQ(ReadRegistryDword(kSummaries, "Level", 9), 0u);
  EXPECT_EQ(daysShownAgain, "1825");
}

TEST_F(SetupPageTest, ChoicesAndManagersSettingsEndInTheRegistry) {
  StoreCompleteMail();
  RunSheetOnPage(kSetupPage, {[](HWND page) {
                                EXPECT_TRUE(Checked(page, IDC_SETUP_CUSTOMIZE));
                                EXPECT_TRUE(Enabled(page, IDC_SETUP_DISCOVERY));
                                SendDlgItemMessageA(page, IDC_SETUP_MANAGER, BM_CLICK, 0, 0);
                                EXPECT_FALSE(Enabled(page, IDC_SETUP_DISCOVERY));
                                Choose(page, IDC_SETUP_FREQUENCY, "Every Two Hours");
                                SendDlgItemMessageA(page, IDC_SETUP_SUMMARIES, BM_CLICK, 0, 0);
                                EXPECT_TRUE(Enabled(page, IDC_SETUP_SCHEDULE));
                                Choose(page, IDC_SETUP_SCHEDULE, "Tuesday, Thursday");
                                SendDlgItemMessageA(page, IDC_SETUP_LEVEL_ERRORS, BM_CLICK, 0, 0);
                                SendDlgItemMessageA(page, IDC_SETUP_SORT_ADDRESS, BM_CLICK, 0, 0);
                                SendDlgItemMessageA(page, IDC_SETUP_DNS, BM_CLICK, 0, 0);
                                return true;
                              },
                              PressApply()});
  EXPECT_TRUE(ReadRegistryBool("\\\\Software\\Tallowin\\Orvane Monitor\\Parameters", "Use Manager Settings", false));
  EXPECT_EQ(ReadRegistryDword(kParameters, "Check Frequency (minutes)", 0), 120u);
  EXPECT_TRUE(ReadRegistryBool(kSummaries, "Enabled", false));
  EXPECT_EQ(ReadRegistryDword(kSummaries, "Frequency", 0), 10u);
  EXPECT_EQ(ReadRegistryDword(kSummaries, "Level", 0), 1u);
  EXPECT_FALSE(ReadRegistryBool(kSummaries, "Sort by Variance", true));
  EXPECT_TRUE(ReadRegistryBool(kParameters, "DNS Lookups Enabled", false));
}

// The page's body and its labels paint in one colour, whatever the theme would draw.
TEST_F(SetupPageTest, BodyAndLabelsShareOneColour) {
  COLORREF body = 0;
  LOGBRUSH label = {};
  RunSheetOnPage(kSetupPage, {[&](HWND page) {
    HDC screen = GetDC(page);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    SendMessageA(page, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    body = GetPixel(memory, 4, 4);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(memory),
                                                       reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SETUP_DNS))));
    GetObjectA(brush, sizeof label, &label);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(page, screen);
    return true;
  }});
  EXPECT_EQ(body, RGB(240, 240, 240));
  EXPECT_EQ(label.lbColor, RGB(240, 240, 240));
}

TEST_F(SetupPageTest, ReferenceClockOpensTheReferenceEditor) {
  std::string caption;
  bool changedAfterCancel = true;
  RunSheetOnPage(kSetupPage, {[](HWND page) {
                                PostClick(page, IDC_SETUP_REFERENCE);
                                return true;
                              },
                              PressWhenShown("Reference Time Sources", IDCANCEL,
                                             [&](HWND editor) { caption = WindowText(editor); }),
                              [&](HWND page) {
                                if (FindThreadDialog("Reference Time Sources")) return false;
                                changedAfterCancel = ApplyEnabled(page);
                                return true;
                              }});
  EXPECT_EQ(caption, "Reference Time Sources");
  EXPECT_FALSE(changedAfterCancel);
}

// "Settings...": a preset, a bracketed IPv6 address and a custom list typed loosely.
TEST_F(SetupPageTest, NetworkDiscoverySettingsEndInTheRegistry) {
  bool changedAfterCancel = true;
  RunSheetOnPage(kSetupPage, {[](HWND page) {
                                PostClick(page, IDC_SETUP_DISCOVERY);
                                return true;
                              },
                              PressWhenShown("Network Discovery", IDCANCEL,
                                             [](HWND d) { SetText(d, IDC_DISCOVERY_SEND, "77"); }),
                              [&](HWND page) {
                                if (FindThreadDialog("Network Discovery")) return false;
                                changedAfterCancel = ApplyEnabled(page);
                                PostClick(page, IDC_SETUP_DISCOVERY);
                                return true;
                              },
                              PressWhenShown("Network Discovery", IDOK,
                                             [](HWND d) {
                                               Choose(d, IDC_DISCOVERY_PRESETS, "Dial-up");
                                               EXPECT_TRUE(Enabled(d, IDC_DISCOVERY_APPLY));
                                               Click(d, IDC_DISCOVERY_APPLY);
                                               EXPECT_EQ(Text(d, IDC_DISCOVERY_SEND), "500");
                                               EXPECT_EQ(Text(d, IDC_DISCOVERY_RECEIVE), "3000");
                                               EXPECT_EQ(Chosen(d, IDC_DISCOVERY_PRESETS), "[Choose]");
                                               EXPECT_FALSE(Enabled(d, IDC_DISCOVERY_APPLY));
                                               SetText(d, IDC_DISCOVERY_V6M_OV2, "[FF05::77]");
                                               SendDlgItemMessageA(d, IDC_DISCOVERY_BC_CUSTOM, BM_CLICK, 0, 0);
                                               SetText(d, IDC_DISCOVERY_BC_LIST, "\r\n  10.20.255.255 \r\n\r\n\t10.30.255.255\r\n");
                                             }),
                              [](HWND page) {
                                if (FindThreadDialog("Network Discovery")) return false;
                                EXPECT_TRUE(ApplyEnabled(page));
                                return true;
                              },
                              PressApply()});
  EXPECT_FALSE(changedAfterCancel);
  const char* key = "\\\\Software\\Tallowin\\Orvane Monitor\\Parameters";
  EXPECT_EQ(ReadRegistryDword(key, "UDP Send Timeout (milliseconds)", 0), 500u);
  EXPECT_EQ(ReadRegistryDword(key, "UDP Recv Timeout (milliseconds)", 0), 3000u);
  EXPECT_EQ(ReadRegistryString(key, "IPv6 Multicast Address OV2", ""), "FF05::9909");
  EXPECT_TRUE(ReadRegistryBool(key, "IPv4 Broadcast Use Custom List", false));
  std::vector<std::string> custom;
  ReadRegistryList(key, "IPv4 Broadcast Custom List", &custom);
  EXPECT_EQ(custom, (std::vector<std::string>{"10.20.255.255", "10.30.255.255"}));
}

}  // namespace
