// CAlerts: the Alerts page of the sheet (template 2002).
#pragma once
#include "pages/settings_page.h"

class CAlerts : public CSettingsPage {
 public:
  // The pages' shared colours.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The page contract's notifications; help topic "alerts".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;
};
