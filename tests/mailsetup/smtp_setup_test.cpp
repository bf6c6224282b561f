// The e-mail setup and address dialogs driven under Wine over a settings record in memory;
// Send Test Email goes to the loopback SMTP server (the MIME check of what it received runs
// after, in test_mail_check.py).
#include "mailsetup/smtp_setup.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "mail/mail_component.h"
#include "mailsetup/mailsetup_resource.h"
#include "monitor/settings.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "support/dialog_steps.h"
#include "support/list_view.h"
#include "support/registry_sandbox.h"
#include "support/temp_folder.h"
#include "support/test_io.h"
#include "ui/activation_context.h"
#include "ui/ui_resource.h"

namespace {

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_SMTP_RECIPIENTS); }
void ShowTab(HWND dialog, CSMTPSetup::Tab tab) { TabCtrl_SetCurFocus(GetDlgItem(dialog, IDC_SMTP_TABS), tab); }
int HeaderArrow(HWND dialog, int column) {
  HDITEMA item = {};
  item.mask = HDI_FORMAT;
  Header_GetItem(ListView_GetHeader(List(dialog)), column, &item);
  return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}
void ClickHeader(HWND dialog, int column) {
  NMLISTVIEW click = {};
  click.hdr.hwndFrom = List(dialog);
  click.hdr.idFrom = IDC_SMTP_RECIPIENTS;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageA(dialog, WM_NOTIFY, IDC_SMTP_RECIPIENTS, reinterpret_cast<LPARAM>(&click));
}
// A double click on a cell, as the list reports it.
void DoubleClickCell(HWND dialog, int row, int column) {
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = List(dialog);
  click.hdr.idFrom = IDC_SMTP_RECIPIENTS;
  click.hdr.code = NM_DBLCLK;
  click.iItem = row;
  click.iSubItem = column;
  SendMessageA(dialog, WM_NOTIFY, IDC_SMTP_RECIPIENTS, reinterpret_cast<LPARAM>(&click));
}

class SmtpSetupTest : public ::testing::Test {
 protected:
  SmtpSetupTest() {
    static const INITCOMMONCONTROLSEX controls = {sizeof controls, 0x0FFF};
    InitCommonControlsEx(&controls);
    settings.mailServer = "smtp.example.com";
    settings.mailSenderAddress = "monitor@example.com";
    settings.mailSenderName = "Monitor";
    settings.mailQueueFolder = queue;
  }
  // Runs the dialog over the record; each step gets the dialog window (null once it has
  // closed). Returns its result.
  INT_PTR Run(std::vector<std::function<bool(HWND)>> steps) {
    std::vector<CStepDriver::Step> driven = {[] { return FindThreadDialog("Email Setup") != nullptr; }};
    for (auto& step : steps) driven.push_back([step] { return step(FindThreadDialog("Email Setup")); });
    CStepDriver driver(std::move(driven));
    INT_PTR result = RunSmtpSetup(nullptr, &settings);
    EXPECT_TRUE(driver.Finished());
    return result;
  }
  CRegistrySandbox sandbox;
  CActivationScope activation{AppletModule()};
  std::string queue = EmptyTempFolder("smtp-queue");
  CMonitorSettings settings;
};

TEST_F(SmtpSetupTest, PortZeroShowsTwentyFiveAndSecuritySetsThePort) {
  settings.mailPort = 0;
  settings.mailTo = {{"ops@example.com", "Ops"}};
  bool modifiedAfterSameChoice = false;
  INT_PTR result = Run({[&](HWND d) {
    EXPECT_EQ(Text(d, IDC_SMTP_PORT), "25");
    EXPECT_EQ(Chosen(d, IDC_SMTP_SECURITY), "No encryption");
    EXPECT_EQ(Text(d, IDC_SMTP_LABEL_FIRST), "Sender's &Name:");
    EXPECT_TRUE(Visible(d, IDC_SMTP_SENDER_NAME));
    EXPECT_FALSE(Visible(d, IDC_SMTP_SERVER));
    ShowTab(d, CSMTPSetup::kServerTab);
    EXPECT_EQ(Text(d, IDC_SMTP_LABEL_FIRST), "SMTP &Server:");
    EXPECT_EQ(Text(d, IDC_SMTP_LABEL_THIRD), "Auth &Password:");
    EXPECT_TRUE(Visible(d, IDC_SMTP_SERVER));
    EXPECT_FALSE(Visible(d, IDC_SMTP_SENDER_NAME));
    Choose(d, IDC_SMTP_SECURITY, "SSL/TLS");
    EXPECT_EQ(Text(d, IDC_SMTP_PORT), "465");
    SendDlgItemMessageA(d, IDC_SMTP_PORT, EM_SETMODIFY, TRUE, 0);
    Choose(d, IDC_SMTP_SECURITY, "SSL/TLS");
    modifiedAfterSameChoice = SendDlgItemMessageA(d, IDC_SMTP_PORT, EM_GETMODIFY, 0, 0) != 0;
    Choose(d, IDC_SMTP_SECURITY, "STARTTLS required");
    EXPECT_EQ(Text(d, IDC_SMTP_PORT), "587");
    Choose(d, IDC_SMTP_SECURITY, "SSL/TLS");
    PostClick(d, IDOK);
    return true;
  }});
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(modifiedAfterSameChoice);  // the field was left alone
  EXPECT_EQ(settings.mailPort, 465);
  EXPECT_EQ(settings.mailSecurity, 3u);
}

TEST_F(SmtpSetupTest, RowEmptiedInPlaceIsDroppedAndSortingTwiceReverses) {
  settings.mailTo = {{"ops@example.com", "Ops"}, {"alex@example.com", "Zed"}, {"night@example.com", "Night"}};
  std::vector<Mailbox> workingAfterTabChange;
  INT_PTR result = Run({[&](HWND d) {
    ShowTab(d, CSMTPSetup::kToTab);
    EXPECT_TRUE(Visible(d, IDC_SMTP_RECIPIENTS));
    EXPECT_TRUE(Enabled(d, IDC_SMTP_EDIT));  // the first row is selected
    ClickHeader(d, 1);                       // by address, ascending
    EXPECT_EQ(ListCell(List(d), 0, 1), "alex@example.com");
    EXPECT_EQ(HeaderArrow(d, 1), HDF_SORTUP);
    EXPECT_EQ(HeaderArrow(d, 0), 0);
    ClickHeader(d, 1);  // again: descending
    EXPECT_EQ(ListCell(List(d), 0, 1), "ops@example.com");
    EXPECT_EQ(ListCell(List(d), 2, 1), "alex@example.com");
    EXPECT_EQ(HeaderArrow(d, 1), HDF_SORTDOWN);
    DoubleClickCell(d, 1, 1);  // night@example.com
    HWND editor = CRecipientList::CellEditor();
    EXPECT_NE(editor, nullptr);
    SetWindowTextA(editor, "");
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(CRecipientList::CellEditor(), nullptr);
    DoubleClickCell(d, 0, 0);  // Ops: Escape drops the edit
    SetWindowTextA(CRecipientList::CellEditor(), "Changed");
    SendMessageA(CRecipientList::CellEditor(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(ListCell(List(d), 0, 0), "Ops");
    ShowTab(d, CSMTPSetup::kCcTab);
    ShowTab(d, CSMTPSetup::kToTab);
    EXPECT_EQ(ListView_GetItemCount(List(d)), 2);
    PostClick(d, IDOK);
    return true;
  }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(settings.mailTo, (std::vector<Mailbox>{{"ops@example.com", "Ops"}, {"alex@example.com", "Zed"}}));
  // The sort belongs to the applet: back to ascending by name for the other tests.
  Run({[](HWND d) {
    ShowTab(d, CSMTPSetup::kToTab);
    ClickHeader(d, 0);
    PostClick(d, IDCANCEL);
    return true;
  }});
}

// An in-place edit ends on the row it was opened on before the rows move under it: a header
// click (which takes no focus on Windows, so the editor stays open) and a change of tab.
struct MovedRowsCase {
  const char* what;
  std::function<void(HWND)> move;
  std::vector<Mailbox> to, cc;
};

TEST_F(SmtpSetupTest, InPlaceEditEndsOnItsOwnRowBeforeTheRowsMove) {
  const Mailbox ann{"a@x", "Ann"}, zed{"z@x", "Zed"}, carol{"c@x", "Carol"}, edited{"ann@y", "Ann"};
  const MovedRowsCase cases[] = {
      {"header click", [](HWND d) { ClickHeader(d, 0); }, {zed, edited}, {carol}},
      {"tab change", [](HWND d) { ShowTab(d, CSMTPSetup::kCcTab); }, {edited, zed}, {carol}},
  };
  for (const MovedRowsCase& c : cases) {
    settings.mailTo = {ann, zed};
    settings.mailCc = {carol};
    std::string before;
    INT_PTR result = Run({[&](HWND d) {
      ShowTab(d, CSMTPSetup::kToTab);
      if (ListCell(List(d), 0, 0) != "Ann") ClickHeader(d, 0);  // the last case left the names descending
      before = ListCell(List(d), 0, 0);
      DoubleClickCell(d, 0, 1);
      SetWindowTextA(CRecipientList::CellEditor(), "ann@y");
      c.move(d);
      if (HWND editor = CRecipientList::CellEditor()) SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
      PostClick(d, IDOK);
      return true;
    }});
    EXPECT_EQ(result, IDOK) << c.what;
    EXPECT_EQ(before, "Ann") << c.what;
    EXPECT_EQ(settings.mailTo, c.to) << c.what;
    EXPECT_EQ(settings.mailCc, c.cc) << c.what;
  }
  // The sort belongs to the applet: back to ascending by name for the other tests.
  Run({[](HWND d) {
    ShowTab(d, CSMTPSetup::kToTab);
    ClickHeader(d, 0);
    PostClick(d, IDCANCEL);
    return true;
  }});
}

TEST_F(SmtpSetupTest, AddressDialogNameRuleAndRefusal) {
  std::string refusal;
  INT_PTR result = Run({[](HWND d) {
                          ShowTab(d, CSMTPSetup::kCcTab);
                          EXPECT_FALSE(Enabled(d, IDC_SMTP_EDIT));
                          PostClick(d, IDC_SMTP_ADD);
                          return true;
                        },
                        [](HWND) {
                          HWND address = FindThreadDialog("Email Address");
                          if (!address) return false;
                          SetText(address, IDC_ADDRESS_EMAIL, "bob.example.com");
                          PostClick(address, IDOK);
                          return true;
                        },
                        [&](HWND) {
                          HWND box = FindThreadDialog("Email Address Editor");
                          if (!box) return false;
                          refusal = Text(box, IDC_MSGBOX_TEXT);
                          PostClick(box, IDOK);
                          return true;
                        },
                        [](HWND) {
                          HWND address = FindThreadDialog("Email Address");
                          if (!address || FindThreadDialog("Email Address Editor")) return false;
                          SetText(address, IDC_ADDRESS_EMAIL, "  bob@example.com ");
                          PostClick(address, IDOK);
                          return true;
                        },
                        [](HWND d) {
                          if (FindThreadDialog("Email Address")) return false;
                          EXPECT_EQ(ListCell(List(d), 0, 0), "bob");
                          EXPECT_EQ(ListCell(List(d), 0, 1), "bob@example.com");
                          PostClick(d, IDOK);
                          return true;
                        }});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(refusal, "You must enter a properly-formed email address");
  EXPECT_EQ(settings.mailCc, (std::vector<Mailbox>{{"bob@example.com", "bob"}}));
}

TEST_F(SmtpSetupTest, OkWithoutRecipientsKeepsTheDialog) {
  std::string message;
  INT_PTR result = Run({[](HWND d) {
                          EXPECT_FALSE(Enabled(d, IDC_SMTP_SEND_TEST));
                          PostClick(d, IDOK);
                          return true;
                        },
                        AnswerBox("Orvane Monitor", IDOK, &message),
                        [](HWND d) {
                          if (FindThreadDialog("Orvane Monitor")) return false;
                          PostClick(d, IDCANCEL);  // still open
                          return true;
                        }});
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(message.rfind("Email setup is not complete.\r\n\r\nYou must provide the sender's email address", 0), 0u);
}

struct QueueCase {
  const char* typed;   // "<queue>" stands for the test's own folder
  const char* answer;  // box captioned "Orvane Monitor" answered with IDYES / IDOK, or none
  int button;
  INT_PTR result;
};

TEST_F(SmtpSetupTest, QueueFolderGetsADriveAndIsCreatedOnRequest) {
  settings.mailTo = {{"ops@example.com", "Ops"}};
  std::string relative = "ovmon-queue-" + std::to_string(GetCurrentProcessId()) + "\\spool";
  const QueueCase cases[] = {
      {"Q:\\nowhere\\", "The drive you specify must be a local, permanently attached drive.", IDOK, IDCANCEL},
      {relative.c_str(), "The queue folder you specified does not exist. Would you like to create it now?", IDYES,
       IDOK},
  };
  for (const QueueCase& c : cases) {
    std::string asked;
    std::vector<std::function<bool(HWND)>> steps = {[&](HWND d) {
                                                      SetText(d, IDC_SMTP_QUEUE, c.typed);
                                                      PostClick(d, IDOK);
                                                      return true;
                                                    },
                                                    AnswerBox("Orvane Monitor", c.button, &asked)};
    if (c.result == IDCANCEL)  // the dialog stayed open
      steps.push_back([](HWND d) {
        if (FindThreadDialog("Orvane Monitor")) return false;
        PostClick(d, IDCANCEL);
        return true;
      });
    INT_PTR result = Run(steps);
    EXPECT_EQ(asked, c.answer);
    EXPECT_EQ(result, c.result) << c.typed;
  }
  std::string created = "C:\\" + relative;
  EXPECT_EQ(settings.mailQueueFolder, created);
  DWORD attributes = GetFileAttributesA(created.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
  RemoveDirectoryA(created.c_str());
  RemoveDirectoryA(created.substr(0, created.rfind('\\')).c_str());
}

// What the loopback server received is checked by test_mail_check.py: each expectation file
// names the lines that the parsed text and HTML parts must both hold.
void WriteExpectation(const std::string& token, const std::vector<std::string>& lines) {
  std::string folder = "Z:" + Env("OVMON_PEERS") + "/smtp/setup/";
  for (char& c : folder)
    if (c == '/') c = '\\';
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  WriteFileText(folder + token + ".expect", text);
}

struct SendCase {
  const char* password;
  bool delivered;
};

TEST_F(SmtpSetupTest, SendTestEmailThroughTheLoopbackServer) {
  ASSERT_FALSE(Env("OVMON_PEERS").empty()) << "run through scripts/test: the SMTP server is not up";
  WriteRegistryString(kMailComponentKey, "FQDN", "client.test");
  std::string token = "setup" + std::to_string(GetCurrentProcessId());
  settings.mailServer = "localhost";
  settings.mailPort = static_cast<uint16_t>(std::atoi(Env("OVMON_SMTP_PORT").c_str()));
  settings.mailSecurity = 2;
  settings.mailUserName = "alice";
  settings.mailFormat = 1;
  settings.mailTo = {{token + "-to@example.com", "Ops"}};
  settings.mailCc = {{token + "-cc@example.com", ""}};
  settings.mailBcc = {{token + "-bcc@example.com", "Audit"}};
  const SendCase cases[] = {{"s3cret", true}, {"wrong-Pa55", false}};
  for (const SendCase& c : cases) {
    settings.mailPassword = c.password;
    std::string report;
    Run({[](HWND d) {
           EXPECT_TRUE(Enabled(d, IDC_SMTP_SEND_TEST));
           PostClick(d, IDC_SMTP_SEND_TEST);
           return true;
         },
         AnswerBox("Orvane Monitor", IDOK, &report),
         [](HWND d) {
           if (FindThreadDialog("Orvane Monitor")) return false;
           PostClick(d, IDCANCEL);
           return true;
         }});
    if (c.delivered) {
      EXPECT_EQ(report, "Mail sent successfully.");
    } else {
      EXPECT_EQ(report.rfind("The email could not be delivered.", 0), 0u) << report;
      EXPECT_NE(report.find("the last SMTP result code was 535."), std::string::npos) << report;
      EXPECT_NE(report.find("A log of the SMTP conversation follows:"), std::string::npos) << report;
      EXPECT_EQ(report.find(c.password), std::string::npos) << report;
    }
  }
  WriteExpectation(token, {token + "-to@example.com", token + "-cc@example.com", token + "-bcc@example.com",
                           "It was sent from monitor@example.com using localhost on port " + Env("OVMON_SMTP_PORT"),
                           "Authentication: alice", "Formats: Multipart, plain text followed by HTML"});
}

// What the dialog asked of the shell for the queue folder.
struct ShellRequests {
  std::string pickerTitle, pickerStart, opened, verb;
  UINT pickerFlags = 0;
};
ShellRequests g_shell;

PIDLIST_ABSOLUTE WINAPI PickWindowsFolder(BROWSEINFOA* request) {
  g_shell.pickerTitle = request->lpszTitle;
  g_shell.pickerStart = reinterpret_cast<const char*>(request->lParam);
  g_shell.pickerFlags = request->ulFlags;
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  return ILCreateFromPathA(windows);
}

BOOL WINAPI RecordOpen(SHELLEXECUTEINFOA* request) {
  g_shell.opened = request->lpFile;
  g_shell.verb = request->lpVerb;
  return TRUE;
}

TEST_F(SmtpSetupTest, QueueFolderIsPickedWithATrailingBackslashAndOpened) {
  SmtpSetupDialog().UseShell(PickWindowsFolder, RecordOpen);
  std::string picked;
  Run({[&](HWND d) {
    ShowTab(d, CSMTPSetup::kQueueTab);
    EXPECT_EQ(Text(d, IDC_SMTP_LABEL_FIRST), "Queue &Folder:");
    EXPECT_EQ(Text(d, IDC_SMTP_LABEL_SECOND), "SMTP Trace:");
    Click(d, IDC_SMTP_BROWSE);
    picked = Text(d, IDC_SMTP_QUEUE);
    Click(d, IDC_SMTP_OPEN);
    PostClick(d, IDCANCEL);
    return true;
  }});
  SmtpSetupDialog().UseShell(nullptr, nullptr);
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(picked, std::string(windows) + "\\");
  EXPECT_EQ(g_shell.pickerStart, queue);
  EXPECT_EQ(g_shell.pickerTitle.rfind("Select a folder on one of your fixed local drives.", 0), 0u);
  EXPECT_EQ(g_shell.pickerFlags, static_cast<UINT>(BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE));
  EXPECT_EQ(g_shell.opened, picked);
  EXPECT_EQ(g_shell.verb, "open");
  EXPECT_EQ(settings.mailQueueFolder, queue);  // Cancel stores nothing
}

// The window the folder was to be created with (Windows' shell shows a box of its own over
// a window it is given); the folder is not created.
HWND g_creatorWindow = reinterpret_cast<HWND>(1);
int WINAPI RecordFailedCreate(HWND window, LPCSTR, const SECURITY_ATTRIBUTES*) {
  g_creatorWindow = window;
  return ERROR_BAD_PATHNAME;
}

TEST_F(SmtpSetupTest, AFolderThatCannotBeCreatedIsReportedByTheDialogAlone) {
  settings.mailTo = {{"ops@example.com", "Ops"}};
  SmtpSetupDialog().UseShell(nullptr, nullptr, RecordFailedCreate);
  std::string asked, failure;
  INT_PTR result = Run({[](HWND d) {
                          SetText(d, IDC_SMTP_QUEUE, "C:\\ovmon-never-created\\spool\\");
                          PostClick(d, IDOK);
                          return true;
                        },
                        AnswerBox("Orvane Monitor", IDYES, &asked),
                        [&](HWND) {
                          HWND box = FindThreadDialog("Orvane Monitor");
                          if (!box || Text(box, IDC_MSGBOX_TEXT) == asked) return false;
                          failure = Text(box, IDC_MSGBOX_TEXT);
                          PostClick(box, IDOK);
                          return true;
                        },
                        [](HWND d) {
                          if (FindThreadDialog("Orvane Monitor")) return false;
                          PostClick(d, IDCANCEL);  // still open
                          return true;
                        }});
  SmtpSetupDialog().UseShell(nullptr, nullptr);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(failure, "Unable to create folder. Please check your typing.");
  EXPECT_EQ(g_creatorWindow, nullptr);
}

TEST(QueueFolderDrive, OnlyFixedDrivesAreAccepted) {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_TRUE(IsOnFixedDrive(windows));
  EXPECT_FALSE(IsOnFixedDrive("Q:\\spool"));
  EXPECT_FALSE(IsOnFixedDrive("C:"));
}

}  // namespace
