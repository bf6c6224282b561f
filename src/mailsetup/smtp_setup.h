// CSMTPSetup: the "Email Setup" dialog (template 131). It edits the mail part of the settings
// record on six tabs (sender, the three recipient lists, server, queue) and sends a test
// message through the applet's own SMTP client.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "mail/mailbox.h"
#include "mail/mail_setup_rules.h"
#include "mailsetup/recipient_list.h"
#include "ui/basic_dialog.h"

struct CMonitorSettings;

class CSMTPSetup : public CBasicDialog {
 public:
  // How the dialog lets the user pick the queue folder, opens and creates it; tests replace them.
  using FolderPicker = PIDLIST_ABSOLUTE(WINAPI*)(BROWSEINFOA* request);
  using FolderOpener = BOOL(WINAPI*)(SHELLEXECUTEINFOA* request);
  using FolderCreator = int(WINAPI*)(HWND window, LPCSTR path, const SECURITY_ATTRIBUTES* security);

  // The tab pages, in tab order.
  enum Tab { kFromTab, kToTab, kCcTab, kBccTab, kServerTab, kQueueTab };

  // Labels in the tab body's colour.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // initParam: the settings record (CMonitorSettings*). Fills the six tabs, shows "From".
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // Recipient and queue buttons, security, the fields the buttons follow, OK, Cancel, the test.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // Tab changes, and the list's header clicks, keys, double clicks and selection.
  INT_PTR OnNotify(UINT_PTR controlId, NMHDR* header) override;

  // Picks, opens and creates folders with these from now on (null: the shell's).
  void UseShell(FolderPicker picker, FolderOpener opener, FolderCreator creator = nullptr);
  // The tab shown.
  Tab ShownTab() const { return shown_; }

 private:
  void SetUpControls();
  void ShowSettings();
  void ShowTab(Tab tab);
  void PlaceLabel(int label, const char* text, int field);
  bool RecipientTab() const { return shown_ >= kToTab && shown_ <= kBccTab; }
  void CollectRecipients();
  void UpdateButtons();
  void AddRecipient();
  void EditRecipients();
  void SecurityChosen();
  void BrowseQueue();
  void OpenQueue();
  TestMailFields TestFields() const;
  void SendTestEmail();
  bool QueueFolderAccepted();
  void Accept();
  INT_PTR ListNotify(NMHDR* header);

  HWND tabs_ = nullptr;
  COLORREF bodyColor_ = 0;  // the tab body's colour, which the labels take
  bool ready_ = false;
  std::vector<Mailbox> recipients_[3];  // To, CC, BCC as edited
  CMonitorSettings* settings_ = nullptr;
  CRecipientList list_;
  Tab shown_ = kFromTab;
  FolderPicker picker_ = SHBrowseForFolderA;
  FolderOpener opener_ = ShellExecuteExA;
  FolderCreator creator_ = SHCreateDirectoryExA;
};

// Runs the one e-mail setup dialog over settings with owner; 1 after OK (settings changed).
INT_PTR RunSmtpSetup(HWND owner, CMonitorSettings* settings);
// The dialog RunSmtpSetup runs, reused on every run.
CSMTPSetup& SmtpSetupDialog();
// Whether a folder lies on a fixed drive (its first three characters name the drive's root).
bool IsOnFixedDrive(const std::string& folder);
