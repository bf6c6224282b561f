// CAlerts: the Alerts page of the sheet (template 2002). It sets when the Monitor raises an
// alert (the three variance tests and their limits) and what it does then: the Event Viewer
// log, an e-mail, the applet popping up, a sound repeated until acknowledged.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include "pages/alerts_rules.h"
#include "pages/settings_page.h"

class CAlerts : public CSettingsPage {
 public:
  // How the page asks for a sound file; tests replace it to see the request.
  using FileDialog = BOOL(WINAPI*)(OPENFILENAMEA* request);

  // The pages' shared colours.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The boxes and edits mark the page changed; mail and the tray features ask first; Browse.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // Activation shows the record, leaving stores it; the page contract for the rest; help
  // topic "alerts".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;

  // Asks for sound files with dialog from now on (null: the system's file dialog).
  void UseFileDialog(FileDialog dialog) { fileDialog_ = dialog ? dialog : GetOpenFileNameA; }

 private:
  void ShowControls(const AlertsControls& controls);
  AlertsControls ReadControls() const;
  void Refresh();
  void Typed(int id, UINT code);
  void MailClicked();
  void TrayFeatureClicked(int id);
  bool TrayFeatureConfirmed();
  void Browse();
  bool MailConfigured() const;

  FileDialog fileDialog_ = GetOpenFileNameA;
  bool showing_ = false;  // the page fills its controls: their changes are not the user's
};
