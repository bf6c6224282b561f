// The log viewer's reading of its file: the refresh, the follow timer and "Clear log". The busy
// counter keeps the three from overlapping (a message box's loop could otherwise run one
// inside another).
#include "logview/log_viewer.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstdio>

#include "logview/byte_size.h"
#include "logview/log_files.h"
#include "logview/logview_resource.h"
#include "platform/registry_encoding.h"
#include "ui/msg_box.h"

namespace {

// Counts one piece of work in for its scope; Entered() when no other was running.
class CBusyScope {
 public:
  explicit CBusyScope(std::atomic<int>* busy) : busy_(busy), first_(busy->fetch_add(1) == 0) {}
  ~CBusyScope() { busy_->fetch_sub(1); }
  CBusyScope(const CBusyScope&) = delete;
  CBusyScope& operator=(const CBusyScope&) = delete;
  bool Entered() const { return first_; }

 private:
  std::atomic<int>* busy_;
  bool first_;
};

// "Last changed on Mon, 01 Jan 2024 at 12:34:56.789" in local time, the date in the system locale.
std::wstring LastChangedText(const FILETIME& written) {
  SYSTEMTIME utc, local;
  FileTimeToSystemTime(&written, &utc);
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  wchar_t date[64] = L"";
  GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &local, L"ddd, dd MMM yyyy", date, 64);
  wchar_t text[128];
  swprintf(text, 128, L"Last changed on %ls at %02d:%02d:%02d.%03d", date, local.wHour, local.wMinute, local.wSecond,
           local.wMilliseconds);
  return text;
}

LogClock LocalClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace

void CLogViewer::Refresh() {
  CBusyScope busy(&busy_);
  if (!busy.Entered()) return;
  LogSnapshot snapshot = ReadLogSnapshot(filePath_, preferences_.show);
  readOnly_ = snapshot.readOnly;
  UpdateMenu();
  if (snapshot.opened) ShowSnapshot(snapshot);
}

void CLogViewer::ShowSnapshot(const LogSnapshot& snapshot) {
  ShowStatus(snapshot);
  int follow = ShowText(snapshot.rtf);
  follow_.Refreshed(snapshot.size, follow);
}

void CLogViewer::ShowStatus(const LogSnapshot& snapshot) {
  std::string size = "File size " + FormatByteSize(static_cast<uint64_t>(snapshot.size));
  std::string shown = "Showing last " + FormatByteSize(snapshot.shown);
  SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(size.c_str()));
  SendMessageA(statusBar_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(shown.c_str()));
  SendMessageW(statusBar_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(LastChangedText(snapshot.written).c_str()));
}

// Replaces the text with the document and scrolls as the file wants: a start-up log stays at
// its first line, any other goes to its last. Returns the scroll position to follow from.
int CLogViewer::ShowText(const std::string& rtf) {
  HWND text = FreshTextControl();
  SendMessageA(text, WM_SETREDRAW, FALSE, 0);
  SETTEXTEX format = {ST_DEFAULT, CP_UTF8};
  SendMessageA(text, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&format), reinterpret_cast<LPARAM>(rtf.c_str()));
  bool startup = IsStartupLog(fileName_);
  SendMessageA(text, WM_VSCROLL, startup ? SB_TOP : SB_BOTTOM, 0);
  SendMessageA(text, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(text, nullptr, TRUE);
  return startup ? 0 : ScrollPosition();
}

int CLogViewer::ScrollPosition() const {
  POINT position = {};
  SendDlgItemMessageA(window_, IDC_LOG_TEXT, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&position));
  return position.y;
}

// Every half second: reload a grown or shrunk file unless the user scrolled up.
void CLogViewer::Tick() {
  CBusyScope busy(&busy_);
  if (!busy.Entered() || !follow_.AutoRefresh() || !IsWindowVisible(window_)) return;
  if (follow_.OnTick(ScrollPosition()) == FollowTick::kPaused) return ShowNotice(true);
  ShowNotice(false);
  int64_t size = QueryLogSize(filePath_);
  if (size >= 0 && follow_.NeedsReload(size)) PostMessageA(window_, WM_COMMAND, IDM_LOG_REFRESH, 0);
}

void CLogViewer::Clear() {
  CBusyScope busy(&busy_);
  if (busy.Entered()) ClearLog();
}

// A dated archive may go entirely; any other log keeps one line naming who cleared it.
void CLogViewer::ClearLog() {
  if (IsDatedLog(fileName_)) {
    int answer = MsgBox(window_, "Do you want to delete this file entirely?", kProductTitle,
                        MB_YESNOCANCEL | MB_ICONQUESTION, nullptr);
    if (answer == IDYES) DeleteDatedLog();
    if (answer != IDNO) return;
  }
  if (!ClearLogFile(filePath_, ClearedLogLine(LocalClock(), CurrentUserName()))) return;
  follow_.FileChanged();
  if (!follow_.AutoRefresh()) PostMessageA(window_, WM_COMMAND, IDM_LOG_REFRESH, 0);
}

// Deletes the file and shows the entry that takes its place in the list.
void CLogViewer::DeleteDatedLog() {
  if (!DeleteFileA(filePath_.c_str())) {
    MessageBeep(MB_ICONEXCLAMATION);  // still there: the list keeps it
    return;
  }
  HWND list = Item(IDC_LOG_FILES);
  LRESULT index = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(fileName_.c_str()));
  if (index == CB_ERR) return;
  LRESULT remaining = SendMessageA(list, CB_DELETESTRING, index, 0);
  if (remaining <= 0) return;
  if (index >= remaining) index = remaining - 1;
  SendMessageA(list, CB_SETCURSEL, index, 0);
  ChooseFile(folder_ + FileListEntry(index));
}
