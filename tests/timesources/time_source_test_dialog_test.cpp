// The test dialog against the loopback chronyd and OV2 test server that scripts/test starts:
// Close stays disabled while it samples, the report lists every sample, failures end in
// "Error", and Escape during a run ends the dialog only once its worker has stopped, run
// after run.
#include <winsock2.h>

#include "timesources/time_source_test_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "monitor/settings.h"
#include "support/dialog_steps.h"
#include "support/late_listener.h"
#include "support/ntp_peer.h"
#include "support/registry_sandbox.h"
#include "timesources/edit_time_source.h"
#include "timesources/reference_editor.h"
#include "timesources/timesources_resource.h"
#include "ui/dialog_fonts.h"

namespace {

const char kParameters[] = "Software\\Tallowin\\Orvane Monitor\\Parameters";

// What a finished test dialog showed.
struct Finished {
  std::string title, group, status, report;
  bool progressVisible = true;
  HFONT font = nullptr;
  int ticksSampling = 0;       // driver ticks that saw the worker running
  int closeEnabledSampling = 0;  // ... with Close enabled
};

class TestDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = NtpPeerPort();
    if (port_.empty()) GTEST_SKIP() << kNoNtpPeer;
    // A loaded machine must not turn a slow loopback answer into a timeout.
    SetDwordValue(kParameters, "UDP Recv Timeout (milliseconds)", 2000);
    CreateDialogFonts(GetDesktopWindow());
  }
  void TearDown() override { DeleteDialogFonts(); }

  std::string Server() const { return "server 127.0.0.1 port " + port_ + " protocol ntp"; }

  // A step that watches a test dialog until its run has ended, records it, and closes it.
  static CStepDriver::Step Watch(Finished* seen) {
    return [seen] {
      CTestTimeSource& test = TimeSourceTestDialog();
      HWND dialog = test.Window();
      if (!dialog || test.Closed() || !IsWindowVisible(dialog)) return false;
      if (test.Sampling()) {
        ++seen->ticksSampling;
        seen->closeEnabledSampling += Enabled(dialog, IDOK);
        return false;
      }
      seen->title = WindowText(dialog);
      seen->group = Text(dialog, IDC_TEST_GROUP);
      seen->status = Text(dialog, IDC_TEST_STATUS);
      seen->report = Text(dialog, IDC_TEST_REPORT);
      seen->progressVisible = IsWindowVisible(GetDlgItem(dialog, IDC_TEST_PROGRESS));
      seen->font = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_TEST_REPORT, WM_GETFONT, 0, 0));
      EXPECT_TRUE(Enabled(dialog, IDOK));
      PostClick(dialog, IDOK);
      return true;
    };
  }

  static Finished RunTest(const std::string& line) {
    Finished seen;
    CStepDriver driver({Watch(&seen)});
    EXPECT_EQ(RunTimeSourceTest(nullptr, line), IDOK);
    EXPECT_TRUE(driver.Finished());
    return seen;
  }

  CRegistrySandbox sandbox_;
  std::string port_;
};

TEST_F(TestDialogTest, ReportListsEverySampleOfChronyd) {
  Finished seen = RunTest(Server() + " samples 4 delay 64");
  EXPECT_GT(seen.ticksSampling, 0);
  EXPECT_EQ(seen.closeEnabledSampling, 0);
  EXPECT_EQ(seen.title, "127.0.0.1, port " + port_);
  EXPECT_EQ(seen.group, "Test Results");
  EXPECT_EQ(seen.status, "Success");
  EXPECT_FALSE(seen.progressVisible);
  EXPECT_EQ(seen.font, MonospaceDialogFont());
  std::string head = "Server 127.0.0.1 protocol NTP port " + port_ + " samples 4 delay 64\r\n"
                     "Test Successful. 4 time samples obtained\r\n\r\nTest 1 of 4\r\n  Delta ";
  EXPECT_EQ(seen.report.substr(0, head.size()), head) << seen.report;
  for (const char* part : {"Test 4 of 4\r\n", "protocol NTP\r\n  Address 127.0.0.1\r\n",
                           "  NTP version 3, stratum 8, leap 0, ref "})
    EXPECT_NE(seen.report.find(part), std::string::npos) << part << " in\n" << seen.report;
  EXPECT_EQ(seen.report.find("Test 5 of"), std::string::npos);
}

TEST_F(TestDialogTest, ReportShowsTheOv2ServersSerialAndRole) {
  const char* port = std::getenv("OVMON_OV2_UDP_PORT");  // the OV2 test server scripts/test starts
  if (!port || !*port) GTEST_SKIP() << "no OV2 test server (scripts/test starts one)";
  for (const char* protocol : {"ov2", "ov2-tcp"}) {
    Finished seen = RunTest(std::string("server 127.0.0.1 port ") + port + " protocol " + protocol + " samples 2 delay 16");
    EXPECT_EQ(seen.status, "Success") << protocol << "\n" << seen.report;
    EXPECT_NE(seen.report.find("Test Successful. 2 time samples obtained"), std::string::npos) << seen.report;
    EXPECT_NE(seen.report.find("  Serial 00C0-FFEE, role Master Server\r\n"), std::string::npos) << seen.report;
  }
}

TEST_F(TestDialogTest, FailuresEndInError) {
  SOCKET held = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);  // a port nobody answers on
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  bind(held, reinterpret_cast<sockaddr*>(&address), length);
  getsockname(held, reinterpret_cast<sockaddr*>(&address), &length);
  std::string closedPort = std::to_string(ntohs(address.sin_port));
  closesocket(held);
  SetDwordValue(kParameters, "UDP Recv Timeout (milliseconds)", 300);
  struct Case {
    std::string line, title, report;
  } cases[] = {
      {"server 127.0.0.1 protocol ntp port " + closedPort, "127.0.0.1, port " + closedPort,
       "Server 127.0.0.1 protocol NTP port " + closedPort + "\r\nTest failed; error 100"},
      {"server 127.0.0.1 protocol ntp key 9", "127.0.0.1, port 123",
       "Server 127.0.0.1 protocol NTP key 9\r\nTest failed; error 1169: Key 9 is not in the keyring."},
      {"protocol ntp", "Missing server name, port 123",
       "Server  protocol NTP\r\nTest failed; error 87: Server name not specified."},
  };
  for (const Case& c : cases) {
    Finished seen = RunTest(c.line);
    EXPECT_EQ(seen.status, "Error") << c.line;
    EXPECT_EQ(seen.title, c.title) << c.line;
    EXPECT_EQ(seen.report.substr(0, c.report.size()), c.report) << c.line;
  }
}

TEST_F(TestDialogTest, EscapeDuringARunStopsItBeforeTheDialogEndsRunAfterRun) {
  // Escape at once, during the first exchange, and during pauses: each time the dialog ends
  // only after its worker has, and the next run starts on its own.
  for (int ticksBeforeEscape : {0, 1, 5, 12, 40, 110}) {
    int ticks = 0;
    bool ranWhenEscaped = false;
    CStepDriver driver({[&] {
      HWND dialog = FindThreadDialog(nullptr);
      if (!dialog || ticks++ < ticksBeforeEscape) return false;
      ranWhenEscaped = TimeSourceTestDialog().Sampling();
      PostMessageA(GetDlgItem(dialog, IDC_TEST_REPORT), WM_KEYDOWN, VK_ESCAPE, 0);
      return true;
    }});
    EXPECT_EQ(RunTimeSourceTest(nullptr, Server() + " samples 32 delay 1024"), IDCANCEL) << ticksBeforeEscape;
    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(ranWhenEscaped) << ticksBeforeEscape;
    EXPECT_FALSE(TimeSourceTestDialog().Sampling()) << "the worker ended before the dialog";
  }
  Finished seen = RunTest(Server() + " samples 2 delay 16");
  EXPECT_EQ(seen.status, "Success");
  EXPECT_NE(seen.report.find("Test Successful. 2 time samples obtained"), std::string::npos) << seen.report;
}

// A stream source whose host never answers the connection request, with the longest receive
// timeout there is: Escape ends the waiting connection and the dialog with it, the worker first.
TEST_F(TestDialogTest, EscapeEndsTheConnectionToABlackHoledSource) {
  CLateListener blackHole(INFINITE);
  SetDwordValue(kParameters, "UDP Recv Timeout (milliseconds)", 15000);
  bool ranWhenEscaped = false;
  CStepDriver driver({[&] {
    HWND dialog = FindThreadDialog(nullptr);
    if (!dialog) return false;
    ranWhenEscaped = TimeSourceTestDialog().Sampling();
    PostMessageA(GetDlgItem(dialog, IDC_TEST_REPORT), WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
  }});
  std::string line = "server 127.0.0.1 port " + std::to_string(blackHole.Port()) + " protocol ov2-tcp samples 32";
  EXPECT_EQ(RunTimeSourceTest(nullptr, line), IDCANCEL);
  EXPECT_TRUE(driver.Finished());
  EXPECT_TRUE(ranWhenEscaped);
  EXPECT_FALSE(TimeSourceTestDialog().Sampling()) << "the worker ended before the dialog";
}

// The report's caret calls that took effect (the window owned the caret), in order: +1 for a
// hide, -1 for a show, and 0 each time the report takes the focus (and makes a new, visible
// caret). Wine's thread information calls a hidden caret blinking, so the calls themselves are
// watched.
std::vector<int> g_caretCalls;
WNDPROC g_reportProc = nullptr;
BOOL WINAPI WatchHide(HWND window) {
  BOOL done = HideCaret(window);
  if (done) g_caretCalls.push_back(+1);
  return done;
}
BOOL WINAPI WatchShow(HWND window) {
  BOOL done = ShowCaret(window);
  if (done) g_caretCalls.push_back(-1);
  return done;
}
LRESULT CALLBACK WatchFocus(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SETFOCUS) g_caretCalls.push_back(0);
  return CallWindowProcA(g_reportProc, window, msg, wParam, lParam);
}
// How many hides stand since the report last took the focus (the first time: since it opened).
int HiddenSinceFocus(const std::vector<int>& calls) {
  int hidden = 0;
  for (int call : calls) hidden = call == 0 ? 0 : hidden + call;
  return hidden;
}

// The report takes the focus when the dialog opens; its caret is hidden while the run goes on
// and shown again once the report is in. A window of another test program may take the focus
// for a moment: the caret is judged whenever the report has it.
TEST_F(TestDialogTest, TheReportShowsItsCaretOnlyOnceTheRunHasEnded) {
  g_caretCalls.clear();
  TimeSourceTestDialog().UseCaretCalls(WatchHide, WatchShow);
  std::vector<int> whileSampling, atEnd;
  bool focusedSampling = false, focusedAtEnd = false;
  auto report = [] { return GetDlgItem(FindThreadDialog(nullptr), IDC_TEST_REPORT); };
  CStepDriver driver({[&] {
                        if (!FindThreadDialog(nullptr) || !TimeSourceTestDialog().Sampling()) return false;
                        focusedSampling = GetFocus() == report();
                        whileSampling = g_caretCalls;
                        g_reportProc = reinterpret_cast<WNDPROC>(
                            SetWindowLongPtrA(report(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchFocus)));
                        return true;
                      },
                      [&] {
                        if (TimeSourceTestDialog().Sampling()) return false;
                        focusedAtEnd = GetFocus() == report();
                        atEnd = g_caretCalls;
                        PostClick(FindThreadDialog(nullptr), IDOK);
                        return true;
                      }});
  EXPECT_EQ(RunTimeSourceTest(nullptr, Server() + " samples 3 delay 16"), IDOK);
  TimeSourceTestDialog().UseCaretCalls(nullptr, nullptr);
  EXPECT_TRUE(driver.Finished());
  EXPECT_TRUE(focusedSampling || focusedAtEnd) << "the report never had the focus";
  if (focusedSampling) {
    EXPECT_EQ(HiddenSinceFocus(whileSampling), 1) << "hidden while sampling";
  }
  if (focusedAtEnd) {
    EXPECT_EQ(HiddenSinceFocus(atEnd), 0) << "shown once the report is in";
  }
}

TEST_F(TestDialogTest, EditorAndReferenceEditorTestTheirSource) {
  // The editor tests what its controls hold and leaves the caller's line alone.
  std::string line = Server() + " samples 2 delay 16";
  const std::string original = line;
  Finished fromEditor;
  CStepDriver editorDriver({[] {
                              HWND editor = FindThreadDialog("Edit Time Source");
                              if (!editor) return false;
                              SetDlgItemTextA(editor, IDC_SOURCE_SAMPLES, "3");
                              PostClick(editor, IDC_SOURCE_TEST);
                              return true;
                            },
                            Watch(&fromEditor), PressWhenShown("Edit Time Source", IDCANCEL)});
  EXPECT_EQ(RunTimeSourceEditor(nullptr, &line), IDCANCEL);
  EXPECT_TRUE(editorDriver.Finished());
  EXPECT_EQ(line, original);
  EXPECT_EQ(fromEditor.status, "Success");
  EXPECT_NE(fromEditor.report.find("3 time samples obtained"), std::string::npos) << fromEditor.report;

  CMonitorSettings settings;
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server 192.0.2.1 protocol ntp", Server()};
  Finished fromList;
  CStepDriver listDriver({[] {
                            HWND editor = FindThreadDialog("Reference Time Sources");
                            if (!editor) return false;
                            HWND list = GetDlgItem(editor, IDC_REFERENCE_LIST);
                            ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                            PostClick(editor, IDC_REFERENCE_TEST);
                            return true;
                          },
                          Watch(&fromList), PressWhenShown("Reference Time Sources", IDCANCEL)});
  EXPECT_EQ(RunReferenceEditor(nullptr, &settings), IDCANCEL);
  EXPECT_TRUE(listDriver.Finished());
  EXPECT_EQ(fromList.status, "Success");
  EXPECT_EQ(fromList.title, "127.0.0.1, port " + port_);
}

}  // namespace
