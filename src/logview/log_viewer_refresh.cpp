// The log viewer's reading of its file: the refresh, the follow timer and "Clear log". The busy
// counter keeps the three from overlapping (a message box's loop could otherwise run one
// inside another).
#include "logview/log_viewer.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstdio>

#include "logview/byte_size.h"
#include "logview/log_files.h"
#include "logview/log_text.h"
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
  LogSnapshot snapshot = ReadLogSnapshot(filePath_, &shown_, preferences_.show);
  readOnly_ = snapshot.readOnly;
  UpdateMenu();
  if (snapshot.opened) ShowSnapshot(snapshot);
}

void CLogViewer::ShowSnapshot(const LogSnapshot& snapshot) {
  ShowStatus(snapshot);
  int follow = ShowText(snapshot);
  follow_.Refreshed(snapshot.size, follow);
}

void CLogViewer::ShowStatus(const LogSnapshot& snapshot) {
  std::string size = "File size " + FormatByteSize(static_cast<uint64_t>(snapshot.size));
  std::string shown = "Showing last " + FormatByteSize(snapshot.shown);
  SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(size.c_str()));
  SendMessageA(statusBar_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(shown.c_str()));
  SendMessageW(statusBar_, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(LastChangedText(snapshot.written).c_str()));
}

// Brings the text up to date: the whole document set, or the appended lines added and the
// passed ones dropped. A view that followed the file scrolls as the file wants (a start-up log
// to its first line, any other to its last); one the user scrolled away stays on the lines he
// reads. Returns the row to follow from: where following leaves the view.
int CLogViewer::ShowText(const LogSnapshot& snapshot) {
  CLogText text(Item(IDC_LOG_TEXT));
  text.Draw(false);
  int top = text.TopRow();
  bool following = follow_.Follows(top);
  if (snapshot.rebuild) {
    text.Replace(snapshot.rtf);
  } else {
    text.Change(snapshot.edit);
    top = static_cast<int>(RowAfterEdit(static_cast<size_t>(top), snapshot.edit));
    // The control has made other rows than the lines it was given: show it afresh next time.
    if (text.Rows() != shown_.NoteRows() + shown_.Lines() + 1) shown_.Forget();
  }
  int follow = text.ScrollToEdge(IsStartupLog(fileName_));
  if (!following) text.ScrollToRow(top);
  if (snapshot.rebuild) text.ScrollToLineStart();  // a new text is read from its lines' start
  text.Draw(true);
  return follow;
}

int CLogViewer::TopRow() const { return CLogText(Item(IDC_LOG_TEXT)).TopRow(); }

// Every half second: reload a grown or shrunk file unless the user scrolled up.
void CLogViewer::Tick() {
  CBusyScope busy(&busy_);
  if (!busy.Entered() || !follow_.AutoRefresh() || !IsWindowVisible(window_)) return;
  if (follow_.OnTick(TopRow()) == FollowTick::kPaused) return ShowNotice(true);
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
  shown_.Forget();
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
