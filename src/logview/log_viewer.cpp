// CLogViewer's life and file choice: its thread, its preferences and its file list.
#include "logview/log_viewer.h"

#include "logview/log_files.h"
#include "logview/logview_resource.h"
#include "ui/activation_context.h"
#include "ui/dpi.h"

namespace {

const int kOpenWaitMilliseconds = 20 * 55;  // the window appears well within this
const DWORD kEndRequestMilliseconds = 100;  // Shutdown asks the thread to end again this often
const int kMaxListedFiles = 10000;          // a folder of logs is never this full

// Waits up to milliseconds for thread to end, taking the messages other threads send to this
// one meanwhile (posted ones stay queued); true once it has ended.
bool WaitForThreadEnd(HANDLE thread, DWORD milliseconds) {
  DWORD waited = MsgWaitForMultipleObjects(1, &thread, FALSE, milliseconds, QS_SENDMESSAGE);
  MSG message;
  if (waited == WAIT_OBJECT_0 + 1) PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  return waited == WAIT_OBJECT_0;
}

}  // namespace

CLogViewer::CLogViewer() : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CLogViewer::~CLogViewer() {
  Shutdown();
  CloseHandle(ready_);
}

bool CLogViewer::WindowReady() const { return WaitForSingleObject(ready_, 0) == WAIT_OBJECT_0; }

DWORD WINAPI CLogViewer::ThreadMain(void* param) {
  auto* viewer = static_cast<CLogViewer*>(param);
  EnterSystemDpiAwareness();  // drawn as sharply as the sheet, its sizes scaled to the DPI
  CActivationScope activation(viewer->module_);
  viewer->RunModal(viewer->module_, IDD_LOG_VIEWER, nullptr);
  viewer->endTarget_ = nullptr;
  if (viewer->noticeIcon_) DestroyIcon(viewer->noticeIcon_);
  viewer->noticeIcon_ = nullptr;
  ResetEvent(viewer->ready_);
  viewer->window_ = nullptr;
  return 0;
}

void CLogViewer::Open(HINSTANCE module) {
  if (WindowReady()) return BringToFront();
  if (thread_ && WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0) {  // a window that failed to open
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  if (!thread_) {
    module_ = module;
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
  }
  if (thread_) WaitForSingleObject(ready_, kOpenWaitMilliseconds);
}

void CLogViewer::BringToFront() {
  if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
}

// The request is repeated until the thread ends: a window still being made, or a dialog that
// ignores the first cancel, gets it again. A read blocked on a slow file is cancelled rather
// than its handle closed under it.
void CLogViewer::Shutdown() {
  if (!thread_) return;
  do {
    CancelSynchronousIo(thread_);
    if (HWND window = endTarget_) PostMessageA(window, kEndViewerMessage, 0, 0);
  } while (!WaitForThreadEnd(thread_, kEndRequestMilliseconds));
  CloseHandle(thread_);
  thread_ = nullptr;
}

void CLogViewer::LoadPreferences() {
  preferences_ = LoadLogViewerPreferences();
  follow_ = CLogFollow(preferences_.autoRefresh);
  mru_.Load();
}

void CLogViewer::SavePreferences() const {
  SaveLogViewerPreferences(preferences_);
  mru_.Save();
}

void CLogViewer::SetFile(const std::string& path) {
  LogPath split = SplitLogPath(path);
  filePath_ = path;
  folder_ = split.folder;
  fileName_ = split.fileName;
  follow_.FileChanged();
  shown_.Forget();
  if (!window_) return;
  SetWindowTextA(window_, path.c_str());
  if (pattern_.empty()) pattern_ = DefaultLogPattern(fileName_);
  FillFileList();
}

void CLogViewer::FillFileList() {
  bool filling = filling_;
  filling_ = true;
  SendDlgItemMessageA(window_, IDC_LOG_FILES, CB_RESETCONTENT, 0, 0);
  int listed = 0;
  for (const std::string& pattern : SplitLogPatterns(pattern_)) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ++listed <= kMaxListedFiles)
        SendDlgItemMessageA(window_, IDC_LOG_FILES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
    } while (listed < kMaxListedFiles && FindNextFileA(search, &found));
    FindClose(search);
  }
  SelectCurrentFile();
  filling_ = filling;
}

// The current file's own entry, else the first that begins with its name, else the first.
void CLogViewer::SelectCurrentFile() {
  HWND list = Item(IDC_LOG_FILES);
  LPARAM name = reinterpret_cast<LPARAM>(fileName_.c_str());
  LRESULT index = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), name);
  if (index == CB_ERR) index = SendMessageA(list, CB_FINDSTRING, static_cast<WPARAM>(-1), name);
  SendMessageA(list, CB_SETCURSEL, index == CB_ERR ? 0 : index, 0);
}

std::string CLogViewer::FileListEntry(LRESULT index) const {
  LRESULT length = SendDlgItemMessageA(window_, IDC_LOG_FILES, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return "";
  std::string name(static_cast<size_t>(length) + 1, '\0');
  SendDlgItemMessageA(window_, IDC_LOG_FILES, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&name[0]));
  name.resize(static_cast<size_t>(length));
  return name;
}

// A file chosen by the user: shown at once when the timer will not reload it.
void CLogViewer::ChooseFile(const std::string& path) {
  SetFile(path);
  if (!follow_.AutoRefresh()) PostMessageA(window_, WM_COMMAND, IDM_LOG_REFRESH, 0);
}
