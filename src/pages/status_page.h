// CStatus: the first page of the sheet (template 142). It prepares the sheet window when the
// applet starts, shows the service's state and its last check and last alert while it is the
// active page, starts a check on request, and saves the settings on Apply.
#pragma once
#include <memory>

#include "logview/notepad.h"
#include "pages/settings_page.h"
#include "pages/status_display.h"
#include "sampling/system_clock.h"

class CLogViewer;

class CStatus : public CSettingsPage {
 public:
  // The pages' shared colours.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open, disables the caller, creates the fonts, places and labels the sheet.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // Takes the running applet's mark off the sheet.
  INT_PTR OnDestroy(WPARAM wParam, LPARAM lParam) override;
  // The poll of the service and of "Check Results" and "Check Results (alert)".
  INT_PTR OnTimer(UINT_PTR timerId, LPARAM lParam) override;
  // "Rescan Now", the detail links, "Log File", "Acknowledge" and the help link.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // Activation starts the poll and leaving stops it (refused during a check); Apply saves and
  // signals the service; the page contract for the rest; help topic "status".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;

  // Opens detail files with notepad from now on (tests record the launches).
  void UseNotepad(std::unique_ptr<CNotepad> notepad) { notepad_ = std::move(notepad); }
  // The log viewer that the "Log File" link opens (none: the link does nothing).
  void SetLogViewer(CLogViewer* viewer) { logViewer_ = viewer; }

 private:
  void PrepareSheet();
  void ShowProductLine();
  void Activate();
  INT_PTR Deactivate();
  void Poll();
  void Render(bool all);
  void RenderLine(int textId, int iconId, int noteId, const StatusLine& line);
  void SetLinksClickable(bool clickable);
  void ShowDetail(uint32_t time);
  void OpenLogViewer();
  void Acknowledge();
  void Rescan();
  void Apply(const PSHNOTIFY* notify);

  CStatusDisplay display_{FormatUnixTime};
  StatusView shown_;  // what the controls show
  std::unique_ptr<CNotepad> notepad_ = std::make_unique<CNotepad>();
  CLogViewer* logViewer_ = nullptr;
};
