// CLogging: the Logging page of the sheet (template 2005).
#pragma once
#include "pages/settings_page.h"

class CLogging : public CSettingsPage {
 public:
  // The pages' shared colours.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The page contract's notifications; help topic "logs".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;
};
