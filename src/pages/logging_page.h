// CLogging: the Logging page of the sheet (template 2005). It sets how much the service writes
// to its text log and to the Event Viewer, how the text log rolls over and how many old logs
// remain, and opens the applet's log viewer and the system's Event Viewer.
#pragma once
#include <windows.h>

#include <functional>

#include "pages/logging_values.h"
#include "pages/settings_page.h"

class CLogViewer;

// Starts a system program (no parameters, shown) with owner as its owner window, elevated
// where the system allows it; the sheet's owner provides it.
using ProgramLauncher = std::function<void(HWND owner, const char* file)>;

class CLogging : public CSettingsPage {
 public:
  // The pages' colours; releasing the archive up-down marks the page changed.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open; fills the lists, limits "Max Size", sets the archive range.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // Changes mark the page changed; the two "View..." buttons.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // Activation shows the settings, leaving stores them; the page contract; help topic "logs".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;

  // The log viewer that "View..." opens (none: the button does nothing).
  void SetLogViewer(CLogViewer* viewer) { viewer_ = viewer; }
  // The launcher that starts the Event Viewer (none: the button does nothing).
  void SetProgramLauncher(ProgramLauncher launcher) { launcher_ = std::move(launcher); }

 private:
  void FillList(int id, const char* const* names, int count);
  void ShowSettings();
  void StoreSettings();
  void RefreshEnabled();
  uint32_t TypedNumber(int id) const;
  void NumberEdited(int id, uint32_t stored);
  void StartEventViewer();
  int Selection(int id) const;

  CLogViewer* viewer_ = nullptr;
  ProgramLauncher launcher_;
};
