// CEditTimeSource: the time source editor (template 2001). It shows one time-source line's
// fields in controls, corrects what is out of range, writes the line back on OK, and tests
// the source as entered.
#pragma once
#include <windows.h>

#include <string>

#include "sampling/time_source.h"
#include "ui/basic_dialog.h"

class CEditTimeSource : public CBasicDialog {
 public:
  // Nothing of its own.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // initParam: the line (std::string*), empty for a new source. Fills every control.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The controls' rules; OK stores the line, Test tests it as entered.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;

  // The source as parsed, or after OK as entered.
  const TimeSourceSpec& Record() const { return record_; }

 private:
  void ShowRecord();
  void ShowNumbers();
  void FillProtocols();
  void FillAuthentication();
  void ApplyNameCase(bool domain);
  void UpdateButtons();
  void UpdateDelayEnabled();
  void ShowPort(uint16_t port, TimeProtocol protocol);
  void SwitchType();
  void Gather();
  uint32_t GatherNumber(int id, uint32_t (*clamp)(uint32_t));
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  TimeSourceSpec record_;
  std::string* line_ = nullptr;
};

// Runs the process's one time source editor modally over owner on line, which OK rewrites;
// 1 when the user accepted, 2 on Cancel.
INT_PTR RunTimeSourceEditor(HWND owner, std::string* line);
// The process's one time source editor (its Record is what the user accepted last).
CEditTimeSource& TimeSourceEditor();
