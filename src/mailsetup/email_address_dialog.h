// CEmailAddy: the "Email Address" dialog (template 141) that adds or edits one recipient of the
// e-mail setup: a name and an address, each with a cue banner.
#pragma once
#include <windows.h>

#include "mail/mailbox.h"
#include "ui/basic_dialog.h"

class CEmailAddy : public CBasicDialog {
 public:
  // No other message is handled.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // initParam: the entry (Mailbox*). Limits, texts, cue banners, centred on the parent.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // OK checks the address and stores the entry; Cancel leaves it.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;

 private:
  void Accept();

  Mailbox* entry_ = nullptr;
};

// Runs the address dialog over entry with owner; 1 after OK (entry changed).
INT_PTR RunEmailAddress(HWND owner, Mailbox* entry);
