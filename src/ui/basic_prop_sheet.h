// CBasicPropSheet: the applet's property sheet, built from pages in the order added.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <deque>
#include <string>
#include <vector>

class CBasicPropPage;

class CBasicPropSheet {
 public:
  // Appends page on template templateId with title (none when empty); resets its initParam.
  void AddPage(int templateId, CBasicPropPage* page, const char* title);
  // The icons the sheet shows (the applet icon at small and large size).
  void SetIcons(HICON smallIcon, HICON largeIcon);
  // Runs the sheet modally; returns PropertySheetA's result (1 when changes were saved), -1 without pages.
  INT_PTR Run();
  // The number of pages added.
  size_t PageCount() const { return pages_.size(); }

 private:
  std::vector<PROPSHEETPAGEA> pages_;
  std::deque<std::string> titles_;
  HICON smallIcon_ = nullptr;
  HICON largeIcon_ = nullptr;
};

// The sheet callback: sets the icons once initialised, clears the context-help style before creation.
int CALLBACK BasicSheetCallback(HWND sheet, UINT message, LPARAM lParam);
