// The time source editor driven as a user would: defaults, greying, the name's case, ports by
// protocol, corrected numbers, the keyring's keys, and what OK writes into the caller's line.
#include "timesources/edit_time_source.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sampling/fake_domain.h"
#include "sampling/keyring.h"
#include "support/dialog_steps.h"
#include "support/registry_sandbox.h"
#include "timesources/timesources_resource.h"

namespace {

const char kKeys[] = "Software\\Tallowin\\Orvane Monitor\\Keyring\\Keys";

class TimeSourceEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetStringValue(kKeys, "1", "md5secret");
    SetStringValue(kKeys, "2", "00112233445566778899AABBCCDDEEFF01234567");
    SetStringValue(kKeys, "3", std::string(64, 'a').c_str());  // SHA256: not for these protocols
    LoadKeyring("");
  }
  void TearDown() override { InstallKeyring(Keyring()); }

  // Runs the editor on line; step sees its window and closes it.
  static INT_PTR Run(std::string* line, const std::function<void(HWND)>& step) {
    CStepDriver driver({[&] {
      HWND editor = FindThreadDialog(nullptr);
      if (!editor) return false;
      step(editor);
      return true;
    }});
    INT_PTR result = RunTimeSourceEditor(nullptr, line);
    EXPECT_TRUE(driver.Finished());
    return result;
  }

  CRegistrySandbox sandbox_;
  CFakeNetlogon netlogon_;  // "key windows" fetches this computer's RID
};

TEST_F(TimeSourceEditorTest, AddingShowsTheDefaultsAndGreysOkUntilAStorableNameIsTyped) {
  std::string line;
  INT_PTR result = Run(&line, [](HWND editor) {
    EXPECT_EQ(WindowText(editor), "Add Time Source");
    EXPECT_EQ(Entries(editor, IDC_SOURCE_PROTOCOL), (std::vector<std::string>{"OV2-UDP", "OV2-TCP", "OV2-HTTP", "NTP"}));
    EXPECT_EQ(Text(editor, IDC_SOURCE_PROTOCOL), "NTP");
    EXPECT_EQ(Text(editor, IDC_SOURCE_PORT), "123");
    EXPECT_FALSE(Enabled(editor, IDC_SOURCE_PORT));
    EXPECT_EQ(Text(editor, IDC_SOURCE_SAMPLES), "1");
    EXPECT_EQ(Text(editor, IDC_SOURCE_DELAY), "256");
    EXPECT_FALSE(Enabled(editor, IDC_SOURCE_DELAY));
    EXPECT_FALSE(Enabled(editor, IDC_SOURCE_DELAY_SPIN));
    EXPECT_TRUE(Checked(editor, IDC_SOURCE_ENABLED));
    EXPECT_TRUE(Checked(editor, IDC_SOURCE_SERVER));
    EXPECT_EQ(Entries(editor, IDC_SOURCE_AUTH),
              (std::vector<std::string>{"None", "Windows Authentication", "Symmetric key 1", "Symmetric key 2"}));
    EXPECT_EQ(Text(editor, IDC_SOURCE_AUTH), "None");
    for (const char* name : {"", " \t ", "two words"}) {
      SetDlgItemTextA(editor, IDC_SOURCE_NAME, name);
      EXPECT_FALSE(Enabled(editor, IDOK)) << name;
      EXPECT_FALSE(Enabled(editor, IDC_SOURCE_TEST)) << name;
    }
    SetDlgItemTextA(editor, IDC_SOURCE_NAME, "");
    Type(editor, IDC_SOURCE_NAME, "NTP.Example.COM");
    EXPECT_EQ(Text(editor, IDC_SOURCE_NAME), "ntp.example.com");
    EXPECT_TRUE(Enabled(editor, IDOK));
    EXPECT_TRUE(Enabled(editor, IDC_SOURCE_TEST));
    Type(editor, IDC_SOURCE_COMMENT, "rack \"4\" key 9");
    Click(editor, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  // A quote typed into the comment cannot end it early and smuggle in keywords.
  EXPECT_EQ(line, "server ntp.example.com protocol NTP comment \"rack '4' key 9\"");
  EXPECT_EQ(TimeSourceEditor().Record().authType, 0u);
}

TEST_F(TimeSourceEditorTest, DomainNamesShowInUpperCaseWithTheCommentLocked) {
  std::string line = "server Lab.Example.com protocol ntp comment \"rack 4\"";
  const std::string original = line;
  INT_PTR result = Run(&line, [](HWND editor) {
    EXPECT_EQ(WindowText(editor), "Edit Time Source");
    EXPECT_EQ(Text(editor, IDC_SOURCE_NAME), "lab.example.com");
    SendDlgItemMessageA(editor, IDC_SOURCE_DOMAIN, BM_CLICK, 0, 0);
    EXPECT_EQ(Text(editor, IDC_SOURCE_NAME), "LAB.EXAMPLE.COM");
    EXPECT_TRUE(HasStyle(editor, IDC_SOURCE_NAME, ES_UPPERCASE));
    EXPECT_FALSE(HasStyle(editor, IDC_SOURCE_NAME, ES_LOWERCASE));
    EXPECT_TRUE(HasStyle(editor, IDC_SOURCE_COMMENT, ES_READONLY));
    EXPECT_EQ(Text(editor, IDC_SOURCE_COMMENT), "rack 4");
    Type(editor, IDC_SOURCE_NAME, "x");
    EXPECT_EQ(Text(editor, IDC_SOURCE_NAME), "LAB.EXAMPLE.COMX");
    SendDlgItemMessageA(editor, IDC_SOURCE_SERVER, BM_CLICK, 0, 0);
    EXPECT_EQ(Text(editor, IDC_SOURCE_NAME), "lab.example.comx");
    EXPECT_FALSE(HasStyle(editor, IDC_SOURCE_COMMENT, ES_READONLY));
    EXPECT_EQ(Text(editor, IDC_SOURCE_COMMENT), "");
    Click(editor, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(line, original);
  result = Run(&line, [](HWND editor) {
    SendDlgItemMessageA(editor, IDC_SOURCE_DOMAIN, BM_CLICK, 0, 0);
    SendDlgItemMessageA(editor, IDC_SOURCE_ENABLED, BM_CLICK, 0, 0);
    Click(editor, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(line, "disabled domain LAB.EXAMPLE.COM protocol NTP");
}

TEST_F(TimeSourceEditorTest, ProtocolChoiceSetsThePortAndOnlyHttpLetsItBeTyped) {
  std::string line = "server h protocol ntp";
  std::vector<std::pair<std::string, bool>> ports;
  std::string corrected;
  Run(&line, [&](HWND editor) {
    for (const char* protocol : {"OV2-HTTP", "OV2-TCP", "OV2-UDP", "NTP", "OV2-HTTP"}) {
      Choose(editor, IDC_SOURCE_PROTOCOL, protocol);
      ports.emplace_back(Text(editor, IDC_SOURCE_PORT), Enabled(editor, IDC_SOURCE_PORT));
    }
    SetDlgItemTextA(editor, IDC_SOURCE_PORT, "99999");
    Click(editor, IDOK);
    corrected = Text(editor, IDC_SOURCE_PORT);
  });
  EXPECT_EQ(ports, (std::vector<std::pair<std::string, bool>>{
                       {"80", true}, {"9909", false}, {"9909", false}, {"123", false}, {"80", true}}));
  EXPECT_EQ(corrected, "65535");
  EXPECT_EQ(line, "server h protocol OV2-HTTP port 65535");
}

struct AuthPairCase {
  const char* protocol;
  const char* authentication;
  bool okEnabled;  // the note saying why shows exactly when OK is grey
};

// An OV2-HTTP reply carries nothing to check a Windows-authenticated exchange with: the
// editor says so and keeps OK grey for that pair; Enter on the grey OK stores nothing.
TEST_F(TimeSourceEditorTest, WindowsAuthenticationOverHttpIsRefusedWithANote) {
  const AuthPairCase cases[] = {
      {"OV2-HTTP", "Windows Authentication", false}, {"NTP", "Windows Authentication", true},
      {"OV2-HTTP", "None", true},                     {"OV2-HTTP", "Symmetric key 1", true},
      {"OV2-TCP", "Windows Authentication", true},
  };
  std::string line = "server h protocol http key windows";
  bool okAtOpen = true, noteAtOpen = false;
  std::string note;
  INT_PTR result = Run(&line, [&](HWND editor) {
    okAtOpen = Enabled(editor, IDOK);
    noteAtOpen = Visible(editor, IDC_SOURCE_AUTH_NOTE);
    note = Text(editor, IDC_SOURCE_AUTH_NOTE);
    SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // Enter
    for (const AuthPairCase& c : cases) {
      Choose(editor, IDC_SOURCE_PROTOCOL, c.protocol);
      Choose(editor, IDC_SOURCE_AUTH, c.authentication);
      EXPECT_EQ(Enabled(editor, IDOK), c.okEnabled) << c.protocol << " " << c.authentication;
      EXPECT_EQ(Visible(editor, IDC_SOURCE_AUTH_NOTE), !c.okEnabled) << c.protocol << " " << c.authentication;
      EXPECT_TRUE(Enabled(editor, IDC_SOURCE_TEST));
    }
    Click(editor, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(okAtOpen);
  EXPECT_TRUE(noteAtOpen);
  EXPECT_EQ(note, "OV2-HTTP cannot use Windows Authentication.");
  EXPECT_EQ(line, "server h protocol http key windows");
}

TEST_F(TimeSourceEditorTest, SamplesAndDelayAreCorrectedIntoTheirRanges) {
  std::string line = "server h protocol ntp";
  std::vector<std::string> shown;
  std::vector<bool> delayEnabled;
  Run(&line, [&](HWND editor) {
    for (const char* typed : {"40", "0", "3"}) {
      SetDlgItemTextA(editor, IDC_SOURCE_SAMPLES, typed);
      Notify(editor, IDC_SOURCE_SAMPLES, EN_KILLFOCUS);
      shown.push_back(Text(editor, IDC_SOURCE_SAMPLES));
      delayEnabled.push_back(Enabled(editor, IDC_SOURCE_DELAY) && Enabled(editor, IDC_SOURCE_DELAY_SPIN));
    }
    SetDlgItemTextA(editor, IDC_SOURCE_DELAY, "5");
    Click(editor, IDOK);
    shown.push_back(Text(editor, IDC_SOURCE_DELAY));
  });
  EXPECT_EQ(shown, (std::vector<std::string>{"32", "1", "3", "16"}));
  EXPECT_EQ(delayEnabled, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(line, "server h protocol NTP samples 3 delay 16");
}

TEST_F(TimeSourceEditorTest, AuthenticationListOffersTheKeyringsKeys) {
  struct Case {
    const char* line;
    const char* shown;
    const char* stored;
  } cases[] = {
      {"server a protocol ntp key 9", "None", "server a protocol NTP"},
      {"server a protocol ntp key 2", "Symmetric key 2", "server a protocol NTP key 2"},
      {"server a protocol ntp key 3", "None", "server a protocol NTP"},
      {"server a protocol ntp key windows", "Windows Authentication", "server a protocol NTP key windows"},
  };
  for (const Case& c : cases) {
    std::string line = c.line, shown;
    Run(&line, [&](HWND editor) {
      shown = Text(editor, IDC_SOURCE_AUTH);
      Click(editor, IDOK);
    });
    EXPECT_EQ(shown, c.shown) << c.line;
    EXPECT_EQ(line, c.stored) << c.line;
  }
  std::string line = "server a protocol ntp";
  Run(&line, [](HWND editor) {
    Choose(editor, IDC_SOURCE_AUTH, "Symmetric key 1");
    Click(editor, IDOK);
  });
  EXPECT_EQ(line, "server a protocol NTP key 1");
  EXPECT_EQ(TimeSourceEditor().Record().authType, 2u);
}

TEST_F(TimeSourceEditorTest, FieldsTheEditorDoesNotShowPassThrough) {
  std::string line = "disabled server h protocol http noredirect port 8080 samples 2 delay 100 comment \"lab  x\"";
  bool enabledShown = true;
  Run(&line, [&](HWND editor) {
    enabledShown = Checked(editor, IDC_SOURCE_ENABLED);
    EXPECT_EQ(Text(editor, IDC_SOURCE_PORT), "8080");
    EXPECT_TRUE(Enabled(editor, IDC_SOURCE_DELAY));
    Click(editor, IDOK);
  });
  EXPECT_FALSE(enabledShown);
  EXPECT_EQ(line, "disabled server h protocol OV2-HTTP port 8080 samples 2 delay 100 noredirect comment \"lab x\"");
}

}  // namespace
