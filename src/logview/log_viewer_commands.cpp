// The log viewer's commands: the menus, the find field and button, the lists, the notice.
#include "logview/log_viewer.h"

#include <commdlg.h>

#include "ui/control_utils.h"
#include "ui/resource.h"

INT_PTR CLogViewer::OnCommand(UINT id, UINT notifyCode, HWND) {
  if (RunMenuCommand(id)) return 1;
  switch (id) {
    case IDC_LOG_FIND_TEXT:
      if (notifyCode == EN_CHANGE) FindTextChanged();
      break;
    case IDC_LOG_FIND:
      if (notifyCode == BN_CLICKED) Find();
      break;
    case IDC_LOG_FILES:
      if (notifyCode == CBN_SELCHANGE && !filling_) FileListChanged();
      break;
    case IDC_LOG_FONT_FACE:
      if (notifyCode == CBN_SELCHANGE && !filling_) FontFaceChanged();
      break;
    case IDC_LOG_FONT_SIZE:
      if (notifyCode == CBN_SELCHANGE && !filling_) FontSizeChanged();
      break;
    case IDC_LOG_NOTICE:
      if (notifyCode == STN_CLICKED) ClickNotice();
      break;
  }
  return 1;
}

// Menu items, their keys and the context menu's posted commands; false for other ids.
bool CLogViewer::RunMenuCommand(UINT id) {
  switch (id) {
    case IDM_LOG_OPEN_FILE: OpenFile(); return true;
    case IDM_LOG_CLEAR: Clear(); return true;
    case IDM_LOG_NOTEPAD: OpenInNotepad(); return true;
    case IDCANCEL: ShowWindow(window_, SW_HIDE); return true;
    case IDM_LOG_REFRESH: Refresh(); return true;
    case IDM_LOG_AUTO_REFRESH: ToggleAutoRefresh(); return true;
    case IDM_LOG_SHOW_DATE: ToggleShow(&preferences_.show.showDate); return true;
    case IDM_LOG_SHOW_TIME: ToggleShow(&preferences_.show.showTime); return true;
    case IDM_LOG_SHOW_LEVEL: ToggleShow(&preferences_.show.showLevel); return true;
    case IDM_LOG_SHOW_COLORS: ToggleShow(&preferences_.show.showColor); return true;
    default: return false;
  }
}

void CLogViewer::ToggleShow(bool* flag) {
  *flag = !*flag;
  shown_.Forget();
  UpdateMenu();
  PostMessageA(window_, WM_COMMAND, IDM_LOG_REFRESH, 0);
}

void CLogViewer::ToggleAutoRefresh() {
  follow_.ToggleAutoRefresh();
  preferences_.autoRefresh = follow_.AutoRefresh();
  ShowNotice(!follow_.AutoRefresh());
  UpdateMenu();
}

void CLogViewer::ClickNotice() {
  if (follow_.ClickNotice()) preferences_.autoRefresh = true;
  ShowNotice(false);
  UpdateMenu();
}

void CLogViewer::OpenFile() {
  std::string filter = "Log Files";
  filter += '\0' + pattern_ + '\0' + '\0';
  char path[MAX_PATH] = "";
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrInitialDir = folder_.c_str();
  dialog.lpstrTitle = "Select Log File";
  dialog.lpstrDefExt = "log";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING |
                 OFN_DONTADDTORECENT;
  if (!GetOpenFileNameA(&dialog)) return;
  mru_.Add(path);
  ChooseFile(path);
}

void CLogViewer::OpenInNotepad() { notepad_->Launch(filePath_, window_); }

void CLogViewer::FindTextChanged() {
  EnableWindow(Item(IDC_LOG_FIND), CLogFind::CanFind(GetItemString(window_, IDC_LOG_FIND_TEXT)));
  find_.Edited();
  SetDlgItemTextA(window_, IDC_LOG_FIND, find_.Caption());
}

// Searches forward from the last match (or the start) without regard to case.
void CLogViewer::Find() {
  std::string what = GetItemString(window_, IDC_LOG_FIND_TEXT);
  FINDTEXTEXA search = {};
  search.chrg.cpMin = static_cast<LONG>(find_.Begin());
  search.chrg.cpMax = -1;
  search.lpstrText = what.c_str();
  HWND text = Item(IDC_LOG_TEXT);
  if (SendMessageA(text, EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&search)) < 0) {
    find_.NotFound();
    SetDlgItemTextA(window_, IDC_LOG_FIND, find_.Caption());
    MessageBeep(MB_ICONEXCLAMATION);
    SetFocus(Item(IDC_LOG_FIND_TEXT));
    return;
  }
  SetDlgItemTextA(window_, IDC_LOG_FIND, find_.Caption());
  SendMessageA(text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&search.chrgText));
  HWND focus = GetFocus();
  SetFocus(text);
  SendMessageA(text, EM_SCROLLCARET, 0, 0);
  SendMessageA(text, EM_HIDESELECTION, FALSE, 0);
  SetFocus(focus);
  find_.Found(search.chrgText.cpMax);
}

void CLogViewer::FileListChanged() {
  LRESULT index = SendDlgItemMessageA(window_, IDC_LOG_FILES, CB_GETCURSEL, 0, 0);
  if (index != CB_ERR) ChooseFile(folder_ + FileListEntry(index));
}
