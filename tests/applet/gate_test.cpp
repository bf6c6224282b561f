// The administrator gate's decisions with injected system facts, and the real system under Wine.
#include <gtest/gtest.h>

#include <string>

#include "applet/elevation.h"
#include "applet/launch.h"
#include "applet/launch_state.h"
#include "platform/describe_error.h"
#include "platform/os_info.h"
#include "support/gui_driver.h"
#include "support/registry_sandbox.h"
#include "ui/page_contract.h"
#include "ui/ui_resource.h"

namespace {

const char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// The system as a test wants it to answer.
class CFakeSystem : public CSystemAccess {
 public:
  bool linkedAdmin = true, currentAdmin = true, serviceManager = true;
  DWORD shellResult = 0;
  int shellCalls = 0;
  std::string verb, file, parameters;
  int show = -1;

  bool LinkedTokenIsAdministrator() override { return linkedAdmin; }
  bool CurrentTokenIsAdministrator() override { return currentAdmin; }
  bool CanOpenServiceManager() override { return serviceManager; }
  DWORD ShellExecute(SHELLEXECUTEINFOA* info) override {
    ++shellCalls;
    verb = info->lpVerb ? info->lpVerb : "";
    file = info->lpFile ? info->lpFile : "";
    parameters = info->lpParameters ? info->lpParameters : "";
    show = info->nShow;
    return shellResult;
  }
};

struct Message {
  bool shown = false;
  std::string caption, title, text;
};

// Runs the launch path, recording and dismissing the message box it shows, if any.
LONG Launch(CFakeSystem& system, Message* message) {
  CStepDriver driver({[&] {
    HWND box = FindThreadDialog("Orvane Monitor");
    if (!box) return false;
    message->shown = true;
    message->caption = WindowText(box);
    message->title = WindowText(GetDlgItem(box, IDC_MSGBOX_TITLE));
    message->text = WindowText(GetDlgItem(box, IDC_MSGBOX_TEXT));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return true;
  }});
  return LaunchApplet(system);
}

std::string Describe(DWORD code) {
  char text[129];
  DescribeError(code, text, sizeof text);
  return text;
}

class GateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppletLaunchState().startedWithParameters = false;
    CallerWindowRecorded = false;
    CallerWindow = nullptr;
  }
  void TearDown() override { SetUp(); }
  CRegistrySandbox sandbox;
  CFakeSystem system;
};

}  // namespace

TEST_F(GateTest, PassesOnlyForAnElevatedAdministratorWithServiceManagerAccess) {
  struct Case {
    bool linked, current, manager, passes;
  } cases[] = {
      {true, true, true, true},
      {false, false, true, false},  // not a member at all
      {true, false, true, false},   // a member running without elevation
      {true, true, false, false},   // service manager refused
  };
  for (const Case& c : cases) {
    system.linkedAdmin = c.linked;
    system.currentAdmin = c.current;
    system.serviceManager = c.manager;
    EXPECT_EQ(AdministratorGatePasses(system), c.passes) << c.linked << c.current << c.manager;
  }
}

TEST_F(GateTest, RealSystemUnderWineIsAnElevatedAdministrator) {
  EXPECT_TRUE(AdministratorGatePasses(RealSystemAccess()));
}

TEST_F(GateTest, NonElevatedMemberIsRelaunchedThroughControlPanel) {
  system.currentAdmin = false;
  SetDwordValue(kPolicyKey, "EnableLUA", 1);
  Message message;
  EXPECT_EQ(Launch(system, &message), 0);
  EXPECT_FALSE(message.shown);
  ASSERT_EQ(system.shellCalls, 1);
  EXPECT_EQ(system.verb, "runas");
  char directory[MAX_PATH];
  GetSystemDirectoryA(directory, MAX_PATH);
  EXPECT_EQ(system.file, std::string(directory) + "\\control.exe");
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  EXPECT_EQ(system.parameters, std::string(module) + ",@1,monitor");
  EXPECT_EQ(system.show, SW_SHOW);
}

TEST_F(GateTest, RelaunchVerbFollowsTheUacPolicy) {
  RefreshOsInfo();
  bool vista = CurrentOsInfo().majorVersion >= 6;
  struct Case {
    const char* setup;
    const char* verb;
  } cases[] = {
      {"no policy key", vista ? "runas" : "open"},
      {"EnableLUA 0", "runas"},
      {"key without EnableLUA", "open"},
  };
  for (const Case& c : cases) {
    CRegistrySandbox fresh;
    std::string setup = c.setup;
    if (setup == "EnableLUA 0") SetDwordValue(kPolicyKey, "EnableLUA", 0);
    if (setup == "key without EnableLUA") SetDwordValue(kPolicyKey, "Other", 1);
    CFakeSystem relaunch;
    relaunch.currentAdmin = false;
    Message message;
    EXPECT_EQ(Launch(relaunch, &message), 0) << c.setup;
    EXPECT_EQ(relaunch.verb, c.verb) << c.setup;
  }
}

TEST_F(GateTest, UacStateReadsConsentBehaviour) {
  SetDwordValue(kPolicyKey, "EnableLUA", 0);
  SetDwordValue(kPolicyKey, "ConsentPromptBehaviorAdmin", 2);
  SetDwordValue(kPolicyKey, "ConsentPromptBehaviorUser", 1);
  UacState uac = QueryUacState();
  EXPECT_TRUE(uac.elevationPossible);
  EXPECT_TRUE(uac.elevationPossibleOrUnreadable);
  EXPECT_EQ(uac.policyValue, 0u);
  EXPECT_EQ(uac.consentAdmin, 2u);
  EXPECT_EQ(uac.consentUser, 1u);
}

TEST_F(GateTest, DeclinedConsentEndsQuietly) {
  system.currentAdmin = false;
  system.shellResult = ERROR_CANCELLED;
  Message message;
  EXPECT_EQ(Launch(system, &message), 0);
  EXPECT_FALSE(message.shown);
  EXPECT_EQ(system.shellCalls, 1);
}

TEST_F(GateTest, FailedRelaunchIsReportedWithItsCode) {
  system.serviceManager = false;
  system.shellResult = ERROR_FILE_NOT_FOUND;
  Message message;
  EXPECT_EQ(Launch(system, &message), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(message.shown);
  EXPECT_EQ(message.text, "Cannot launch Control Panel applet.");
  EXPECT_EQ(message.title, Describe(ERROR_FILE_NOT_FOUND));
}

TEST_F(GateTest, RelaunchedOrEmbeddedLaunchIsRefusedWithError5) {
  for (int embedded = 0; embedded < 2; ++embedded) {
    SetUp();
    if (embedded)
      CallerWindowRecorded = true;
    else
      AppletLaunchState().startedWithParameters = true;
    CFakeSystem refused;
    refused.linkedAdmin = false;
    Message message;
    EXPECT_EQ(Launch(refused, &message), 5);
    EXPECT_EQ(refused.shellCalls, 0);
    EXPECT_TRUE(message.shown);
    EXPECT_EQ(message.caption, "Orvane Monitor");
    EXPECT_EQ(message.text, "You must be logged on as an administrator in order to run this program.");
    EXPECT_EQ(message.title, Describe(5));
  }
}
