// CSetup: the Setup page of the sheet (template 2003). It sets how often the Monitor checks the
// network, the e-mail summaries and their detail, where the network settings come from, name
// lookups and how many histories are kept; its buttons open the e-mail setup, the network
// discovery settings and the reference editor.
#pragma once
#include "pages/settings_page.h"
#include "pages/setup_rules.h"

class CSetup : public CSettingsPage {
 public:
  // The pages' shared colours.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open and fills the two schedule lists.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The boxes, lists and edits mark the page changed; the buttons open their dialogs.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // Activation shows the record, leaving stores it; the page contract for the rest; help
  // topic "setup".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;

 private:
  void FillList(int id, const ListChoice (&choices)[11]);
  void ShowControls(const SetupControls& controls);
  SetupControls ReadControls() const;
  void Refresh();
  void SummariesClicked();
  void RetentionTyped(int id, uint32_t recorded);
  void RunEmailSetup();
  void RunDiscoverySettings();
  void OpenReferenceEditor();
  bool MailConfigured() const;
};
