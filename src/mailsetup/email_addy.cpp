// CEmailAddy: the "Email Address" dialog's fields, checks and result.
#include "mailsetup/email_addy.h"

#include <commctrl.h>

#include "mail/mail_setup_rules.h"
#include "mailsetup/mailsetup_resource.h"
#include "platform/module.h"
#include "ui/control_utils.h"
#include "ui/msg_box.h"

namespace {

void SetCueBanner(HWND dialog, int id, const wchar_t* text) {
  SendDlgItemMessageW(dialog, id, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(text));
}

}  // namespace

INT_PTR CEmailAddy::OnMessage(UINT, WPARAM, LPARAM) { return 0; }

INT_PTR CEmailAddy::OnInitDialog(HWND, LPARAM initParam) {
  entry_ = reinterpret_cast<Mailbox*>(initParam);
  SendDlgItemMessageA(window_, IDC_ADDRESS_NAME, EM_LIMITTEXT, 127, 0);
  SendDlgItemMessageA(window_, IDC_ADDRESS_EMAIL, EM_LIMITTEXT, 127, 0);
  SetDlgItemTextA(window_, IDC_ADDRESS_NAME, entry_->name.c_str());
  SetDlgItemTextA(window_, IDC_ADDRESS_EMAIL, entry_->address.c_str());
  SetCueBanner(window_, IDC_ADDRESS_EMAIL, L" monitor@example.com (required)");
  SetCueBanner(window_, IDC_ADDRESS_NAME, L" Friendly name (optional)");
  CenterOnParent(window_);
  return 1;
}

void CEmailAddy::Accept() {
  if (!AcceptAddress(GetItemString(window_, IDC_ADDRESS_NAME), GetItemString(window_, IDC_ADDRESS_EMAIL), entry_)) {
    MsgBox(window_, "You must enter a properly-formed email address", "Email Address Editor", MB_ICONEXCLAMATION,
           nullptr);
    SetFocus(GetDlgItem(window_, IDC_ADDRESS_EMAIL));
    return;
  }
  End(IDOK);
}

INT_PTR CEmailAddy::OnCommand(UINT id, UINT, HWND) {
  if (id == IDOK) Accept();
  if (id == IDCANCEL) End(IDCANCEL);
  return 1;
}

INT_PTR RunEmailAddress(HWND owner, Mailbox* entry) {
  CEmailAddy dialog;
  dialog.SetInitParam(reinterpret_cast<LPARAM>(entry));
  return dialog.RunModal(AppletModule(), IDD_EMAIL_ADDRESS, owner);
}
