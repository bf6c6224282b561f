// What dialog tests do to a dialog as a user would: click, type, choose from a list, and read
// back what a control shows; and steps that answer a dialog once it shows.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "support/gui_driver.h"
#include "ui/ui_resource.h"

// Clicks a button (or sends a command the way a click does).
inline void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// Posts a click, for a button that opens a modal dialog of its own.
inline void PostClick(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// Sends an edit's or a list's notification code to its dialog.
inline void Notify(HWND dialog, int id, UINT code) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// Types text at the end of an edit, character by character.
inline void Type(HWND dialog, int id, const char* text) {
  LRESULT end = SendDlgItemMessageA(dialog, id, WM_GETTEXTLENGTH, 0, 0);
  SendDlgItemMessageA(dialog, id, EM_SETSEL, end, end);
  for (const char* c = text; *c; ++c) SendDlgItemMessageA(dialog, id, WM_CHAR, static_cast<unsigned char>(*c), 0);
}
// Replaces an edit's text as pasting would (the edit notifies its dialog).
inline void SetText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }
// Chooses the drop-down list entry whose text is text.
inline void Choose(HWND dialog, int id, const char* text) {
  LRESULT index = SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text));
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
  Notify(dialog, id, CBN_SELCHANGE);
}
// The entries of a drop-down list.
inline std::vector<std::string> Entries(HWND dialog, int id) {
  std::vector<std::string> entries;
  LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[256] = "";
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}
// The text of a drop-down list's selection ("" when none).
inline std::string Chosen(HWND dialog, int id) {
  LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  char text[256] = "";
  if (index >= 0) SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}
inline std::string Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
inline bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline bool HasStyle(HWND dialog, int id, LONG_PTR style) {
  return (GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) & style) == style;
}

// A step that acts on the window it is handed and is done at once.
inline std::function<bool(HWND)> Do(std::function<void(HWND)> act) {
  return [act](HWND window) {
    act(window);
    return true;
  };
}
// A step that is done once condition holds.
inline std::function<bool(HWND)> WaitUntil(std::function<bool()> condition) {
  return [condition](HWND) { return condition(); };
}
// A step that waits for the dialog titled caption, lets act look at it or change it, then
// posts a click of button. It serves as a step of any driver, whatever the step is handed.
inline auto PressWhenShown(const char* caption, int button, std::function<void(HWND)> act = nullptr) {
  return [caption, button, act](auto...) {
    HWND dialog = FindThreadDialog(caption);
    if (!dialog) return false;
    if (act) act(dialog);
    PostClick(dialog, button);
    return true;
  };
}
// A step that waits for the applet's message box captioned caption, records its text and
// closes it with button.
inline auto AnswerBox(const char* caption, int button, std::string* text) {
  return PressWhenShown(caption, button, [text](HWND box) { *text = WindowText(GetDlgItem(box, IDC_MSGBOX_TEXT)); });
}
