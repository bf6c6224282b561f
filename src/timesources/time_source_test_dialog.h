// CTestTimeSource: the test dialog (template 216). It samples one time source on a worker
// thread while a marquee moves, then shows the report of every sample. The worker writes only
// into its own run record; the dialog's thread shows what it wrote.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "ui/basic_dialog.h"

class CTestRun;

class CTestTimeSource : public CBasicDialog {
 public:
  // Stops and waits for a worker that still runs.
  ~CTestTimeSource() override;

  // The wait cursor over the dialog while sampling.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // initParam: the time-source line (const std::string*). Starts the worker and the 100 ms timer.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // Steps the marquee while the worker runs; shows the report once it has ended.
  INT_PTR OnTimer(UINT_PTR timerId, LPARAM lParam) override;
  // Close and Escape end the dialog; during a run they stop it and end once it has stopped.
  // The report's caret stays hidden while it has the focus during a run.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // A dialog destroyed under a running worker stops it and waits for it.
  INT_PTR OnDestroy(WPARAM wParam, LPARAM lParam) override;

  // Whether a worker runs.
  bool Sampling() const { return worker_ != nullptr; }

  // How the report's caret is hidden and shown; tests watch the calls (null: the system's).
  using CaretCall = BOOL(WINAPI*)(HWND window);
  void UseCaretCalls(CaretCall hide, CaretCall show) {
    hideCaret_ = hide ? hide : HideCaret;
    showCaret_ = show ? show : ShowCaret;
  }

 private:
  void StartWorker();
  void ShowTitle();
  void ShowReport();
  void WaitForWorker();
  INT_PTR ReportFocus(UINT notifyCode);

  std::shared_ptr<CTestRun> run_;
  HANDLE worker_ = nullptr;
  UINT_PTR timer_ = 0;
  INT_PTR pendingEnd_ = 0;  // the button that asked to end during a run
  bool titleShown_ = false;
  bool caretHidden_ = false;  // the report's caret, hidden while a run goes on
  CaretCall hideCaret_ = HideCaret;
  CaretCall showCaret_ = ShowCaret;
};

// Runs the process's one test dialog modally over owner on a time-source line; returns the
// id of the button that ended it.
INT_PTR RunTimeSourceTest(HWND owner, const std::string& line);
// The process's one test dialog.
CTestTimeSource& TimeSourceTestDialog();
