// CStatus: the first page of the sheet (template 142). It prepares the sheet window when the
// applet starts, saves the settings on Apply and starts a check on request.
#pragma once
#include "applet/basic_prop_page.h"

class CStatus : public CBasicPropPage {
 public:
  // The pages' shared colours.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open, disables the caller, creates the fonts, places and labels the sheet.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // "Rescan Now" and the help link.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // Apply saves and signals the service; the page contract for the rest; help topic "status".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;

 private:
  void PrepareSheet();
  void ShowProductLine();
  void Rescan();
  void Apply(const PSHNOTIFY* notify);
};
