// Small helpers on the controls of a dialog, each given the dialog window and a control id.
#pragma once
#include <windows.h>

#include <string>

// The control's whole text.
std::string GetItemString(HWND window, int id);
// Selects the first combo box item whose data is data; its index, or -1 leaving the selection alone.
int SelectComboByData(HWND window, int id, LPARAM data);
// The item data of the combo box's selection.
LPARAM GetComboSelData(HWND window, int id);
// Whether the control's text (its first 31 characters) is only spaces, tabs, CR and LF.
bool IsItemBlank(HWND window, int id);
