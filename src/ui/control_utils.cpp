// Texts, numbers, checks and enabling of a dialog's controls.
#include "ui/control_utils.h"

#include <vector>

std::string GetItemString(HWND window, int id) {
  LRESULT length = SendDlgItemMessageA(window, id, WM_GETTEXTLENGTH, 0, 0);
  if (length < 0) length = 0;
  std::vector<char> text(static_cast<size_t>(length) + 64, '\0');
  GetDlgItemTextA(window, id, text.data(), static_cast<int>(text.size()));
  return text.data();
}

int SelectComboByData(HWND window, int id, LPARAM data) {
  LRESULT count = SendDlgItemMessageA(window, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (SendDlgItemMessageA(window, id, CB_GETITEMDATA, i, 0) != data) continue;
    SendDlgItemMessageA(window, id, CB_SETCURSEL, i, 0);
    return static_cast<int>(i);
  }
  return -1;
}

void AddComboItem(HWND window, int id, const std::string& text, LPARAM data) {
  LRESULT index = SendDlgItemMessageA(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendDlgItemMessageA(window, id, CB_SETITEMDATA, index, data);
}

LPARAM GetComboSelData(HWND window, int id) {
  LRESULT selection = SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0);
  return SendDlgItemMessageA(window, id, CB_GETITEMDATA, selection, 0);
}

std::wstring Utf8ToWide(const std::string& text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

void SetUtf8Text(HWND control, const std::string& text) { SetWindowTextW(control, Utf8ToWide(text).c_str()); }

bool IsItemBlank(HWND window, int id) {
  char text[32] = "";
  GetDlgItemTextA(window, id, text, sizeof text);
  for (const char* c = text; *c; ++c)
    if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n') return false;
  return true;
}

bool IsButtonChecked(HWND window, int id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }

void SetButtonChecked(HWND window, int id, bool checked) {
  CheckDlgButton(window, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void EnableItem(HWND window, int id, bool enabled) { EnableWindow(GetDlgItem(window, id), enabled); }
