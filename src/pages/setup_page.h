// CSetup: the Setup page of the sheet (template 2003).
#pragma once
#include "pages/settings_page.h"

class CSetup : public CSettingsPage {
 public:
  // The pages' shared colours.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The page contract's notifications; help topic "setup".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;
};
