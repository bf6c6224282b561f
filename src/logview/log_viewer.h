// CLogViewer: the applet's one log viewer, a resizable "Log File" window (template 204 with
// menu 50) on a thread of its own that shows a service log colour-coded and follows it as it
// grows, with find, fonts, sibling logs, "Clear log" and Notepad. The sheet's thread touches
// the object only before the viewer thread starts, through Open, and after Shutdown.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "logview/font_choice.h"
#include "logview/log_file.h"
#include "logview/log_view_state.h"
#include "logview/notepad.h"
#include "logview/recent_files.h"
#include "logview/viewer_preferences.h"
#include "ui/basic_dialog.h"

class CLogViewer : public CBasicDialog {
 public:
  // A viewer with the default pattern "orvane*.log*" and default preferences.
  CLogViewer();
  // Ends the viewer thread when Shutdown was not called.
  ~CLogViewer() override;

  // Shows the window: brought back and to the front when it exists, else started on the
  // viewer thread from module's resources (waits up to 1.1 s for it to appear).
  void Open(HINSTANCE module);
  // Shows path from now on; when the window exists it also retitles it and refills the file list.
  void SetFile(const std::string& path);
  // The ';'-separated file-name patterns of the file list ("" derives one from the file name).
  void SetPattern(const std::string& pattern) { pattern_ = pattern; }
  // Reads the per-user preferences and the recent files.
  void LoadPreferences();
  // Writes the per-user preferences and the recent files.
  void SavePreferences() const;
  // Ends the window and its thread at applet exit: the dialogs and the menu open on that thread
  // are cancelled first, and this returns only once the thread has ended, so that nothing it
  // may still use (this object, the rich edit library) is freed under it.
  void Shutdown();

  // Opens the file in Notepad through notepad from now on (tests record the launches).
  void UseNotepad(std::unique_ptr<CNotepad> notepad) { notepad_ = std::move(notepad); }

  // The window's messages: placement, size limits, colours, cursor, context menu, end request.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Icon, menu, status bar, fonts, placement, file, text control, timer, first refresh.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The follow timer.
  INT_PTR OnTimer(UINT_PTR timerId, LPARAM lParam) override;
  // Menu commands, the find field and button, the font and file lists, the paused notice.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // The text control's key notifications.
  INT_PTR OnNotify(UINT_PTR controlId, NMHDR* header) override;
  // The close box hides the window.
  INT_PTR OnClose() override;

 private:
  static constexpr UINT kEndViewerMessage = WM_APP + 1;  // posted by Shutdown to the viewer thread

  static DWORD WINAPI ThreadMain(void* viewer);
  bool WindowReady() const;
  void BringToFront();
  void FillFileList();
  void SelectCurrentFile();
  std::string FileListEntry(LRESULT index) const;
  void ChooseFile(const std::string& path);

  // Window set-up and layout (log_viewer_window.cpp).
  void SetUpFrame();
  void RestorePlacement();
  void RecordPlacement();
  void SetUpText();
  void Layout();
  void UpdateMenu();
  void ShowNotice(bool shown);
  HMENU BuildContextMenu() const;
  void ShowContextMenu(LPARAM point);
  bool HandleKey(const MSGFILTER* filter);
  bool HandleControlKey(WPARAM key);
  void FocusField(int id);
  void EndModalLoops();
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  // Commands (log_viewer_commands.cpp).
  bool RunMenuCommand(UINT id);
  void ToggleShow(bool* flag);
  void ToggleAutoRefresh();
  void ClickNotice();
  void OpenFile();
  void OpenInNotepad();
  void FindTextChanged();
  void Find();
  void FileListChanged();

  // Reading and clearing the file (log_viewer_refresh.cpp).
  void Refresh();
  void ShowSnapshot(const LogSnapshot& snapshot);
  void ShowStatus(const LogSnapshot& snapshot);
  int ShowText(const LogSnapshot& snapshot);
  int TopRow() const;
  void Tick();
  void Clear();
  void ClearLog();
  void DeleteDatedLog();

  // Fonts (log_viewer_fonts.cpp).
  void FillFontFaces();
  void FillFontSizes();
  void FontFaceChanged();
  void FontSizeChanged();
  void ApplyFont();

  std::string filePath_;
  std::string folder_;
  std::string pattern_ = "orvane*.log*";
  std::string fileName_;
  LogViewerPreferences preferences_;
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;  // set while the window exists
  std::atomic<HWND> endTarget_{nullptr};  // the window Shutdown asks to end, while it exists
  bool readOnly_ = false;
  std::atomic<int> busy_{0};
  HINSTANCE module_ = nullptr;
  CLogFollow follow_{true};
  CLogFind find_;
  CShownLog shown_;
  CMRU mru_;
  std::vector<FontFace> fonts_;
  bool filling_ = false;
  HMENU menu_ = nullptr;
  HWND statusBar_ = nullptr;
  HICON noticeIcon_ = nullptr;  // the paused notice's icon, at the small size, while the window exists
  std::unique_ptr<CNotepad> notepad_ = std::make_unique<CNotepad>();
};
