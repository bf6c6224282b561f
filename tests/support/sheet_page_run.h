// Runs the applet's real sheet on one page and drives it: each step gets the page window;
// the sheet is cancelled after the last step. Apply saves through the Status page as a user's
// Apply does.
#pragma once
#include <windows.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "applet/launch.h"
#include "support/gui_driver.h"
#include "ui/page_contract.h"

using PageStep = std::function<bool(HWND page)>;

// The sheet's Apply button.
constexpr int kApplyButton = 0x3021;

// Shows the page at index, runs the steps on it, then cancels the sheet.
inline void RunSheetOnPage(int index, std::vector<PageStep> steps) {
  SettingsChanged = 0;
  HWND sheet = nullptr;
  std::vector<CStepDriver::Step> driven;
  driven.push_back([&sheet, index] {
    sheet = FindThreadDialog(nullptr);
    if (!sheet || !PropSheet_GetCurrentPageHwnd(sheet)) return false;
    // The steps begin once the page is the current one: a switch the sheet did not make is tried
    // again; the page shown first is not left and shown again.
    auto shown = [&sheet] { return PropSheet_HwndToIndex(sheet, PropSheet_GetCurrentPageHwnd(sheet)); };
    if (shown() != index) PropSheet_SetCurSel(sheet, nullptr, index);
    return shown() == index;
  });
  for (PageStep& step : steps)
    driven.push_back([&sheet, step] { return step(PropSheet_GetCurrentPageHwnd(sheet)); });
  driven.push_back([&sheet] {
    PropSheet_PressButton(sheet, PSBTN_CANCEL);
    return true;
  });
  CStepDriver driver(std::move(driven));
  RunAppletSheet();
  EXPECT_TRUE(driver.Finished());
}

// A step that presses the sheet's Apply (the current page is left and the record saved).
inline PageStep PressApply() {
  return [](HWND page) {
    PropSheet_Apply(GetParent(page));
    return true;
  };
}
// A step that leaves the page for the Status page and comes back, so that the page shows the record again.
inline PageStep ShowAgain(int index) {
  return [index](HWND page) {
    HWND sheet = GetParent(page);
    PropSheet_SetCurSel(sheet, nullptr, 0);
    PropSheet_SetCurSel(sheet, nullptr, index);
    return true;
  };
}
// Whether the sheet's Apply button is enabled.
inline bool ApplyEnabled(HWND page) { return IsWindowEnabled(GetDlgItem(GetParent(page), kApplyButton)) != FALSE; }
