// Small helpers on the controls of a dialog, each given the dialog window and a control id.
#pragma once
#include <windows.h>

#include <string>

// The control's whole text.
std::string GetItemString(HWND window, int id);
// Adds an item with its data at the end of (or, sorted, into) a combo box.
void AddComboItem(HWND window, int id, const std::string& text, LPARAM data);
// Selects the first combo box item whose data is data; its index, or -1 leaving the selection alone.
int SelectComboByData(HWND window, int id, LPARAM data);
// The item data of the combo box's selection.
LPARAM GetComboSelData(HWND window, int id);
// UTF-8 text (dates in the user's language) as wide text.
std::wstring Utf8ToWide(const std::string& text);
// Sets a control's text from UTF-8, as wide text.
void SetUtf8Text(HWND control, const std::string& text);
// Whether the control's text (its first 31 characters) is only spaces, tabs, CR and LF.
bool IsItemBlank(HWND window, int id);
// Whether a check box or radio button is checked.
bool IsButtonChecked(HWND window, int id);
// Checks or unchecks a check box or radio button.
void SetButtonChecked(HWND window, int id, bool checked);
// Enables or greys a control.
void EnableItem(HWND window, int id, bool enabled);
