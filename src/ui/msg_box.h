// CMsgBox: the applet's own message box on template 100, and MsgBox, the call every part uses.
#pragma once
#include <windows.h>

#include <string>

#include "ui/basic_dialog.h"
#include "ui/dpi.h"

class CMsgBox : public CBasicDialog {
 public:
  // Kills a running timer.
  ~CMsgBox() override;

  // Painting, colours and the first-show sound.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Icon, text, buttons and layout, placement, topmost, timeout.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The timeout: acts as a click of OK.
  INT_PTR OnTimer(UINT_PTR timerId, LPARAM lParam) override;
  // A button ends the box with its id; the check box stores its state.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;

  // The message text.
  void SetText(const std::string& text) { text_ = text; }
  // The window caption.
  void SetCaption(const std::string& caption) { caption_ = caption; }
  // The bold line above the text (none when empty).
  void SetTitle(const std::string& title) { title_ = title; }
  // MB_ flags: button set, icon, default button.
  void SetStyle(UINT style) { style_ = style; }
  // Whether the icon's sound plays on first show.
  void SetBeep(bool beep) { beep_ = beep; }
  // A check box under the text with label (hidden when empty) and its initial state.
  void SetCheckBox(const std::string& label, bool checked);
  // The icon shown for MB_USERICON.
  void SetCustomIcon(HICON icon) { customIcon_ = icon; }
  // Ends the box as OK after seconds (0: never).
  void SetTimeout(UINT seconds) { timeout_ = seconds; }
  // The check box's state when the box ended.
  bool CheckState() const { return checkState_; }

 private:
  void ShowIcon();
  void LayoutButtons();
  void LayoutText();
  void ShowCheckBox();
  void ShowTitle();
  void Paint();
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  int Px(int pixels) const { return ScaleForWindow(window_, pixels); }  // pixels at 96 DPI, here

  bool beep_ = true;
  bool shown_ = false;
  std::string text_;
  std::string caption_;
  std::string title_;
  std::string checkLabel_;
  bool checkState_ = false;
  UINT style_ = MB_OK;
  HICON customIcon_ = nullptr;
  HWND parent_ = nullptr;
  UINT timeout_ = 0;
  UINT_PTR timerId_ = 0;
};

// Shows CMsgBox modally over owner (title may be null or empty); returns the id of the closing button.
int MsgBox(HWND owner, const char* text, const char* caption, UINT style, const char* title);

// How the box sounds its icon; tests replace it to count the requests.
using BeepFunction = BOOL(WINAPI*)(UINT type);
// Installs beep (null restores MessageBeep) and returns the previous one.
BeepFunction SetMsgBoxBeep(BeepFunction beep);
