// The log viewer's window: set-up, layout, placement, menus, the paused notice and keys.
#include "logview/log_viewer.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <cstring>

#include "ui/dpi.h"
#include "ui/page_colors.h"
#include "ui/window_manipulation.h"
#include "ui/resource.h"

namespace {

const UINT_PTR kFollowTimer = 1;
const UINT kFollowMilliseconds = 500;
// Sizes in pixels at 96 DPI, scaled to the window's DPI.
const int kStatusEdges[] = {150, 300, 1000};
const int kTextLeft = 4, kTextTop = 60;
const POINT kMinimumSize = {350, 250};
const UINT kCopyCommand = 0xE122;  // the context menu's Copy: keystrokes, not a posted command

// The four Show items with the preferences they check.
struct MenuCheck {
  UINT id;
  bool LogRtfOptions::*flag;
  const char* name;
};
const MenuCheck kShowChecks[] = {{IDM_LOG_SHOW_DATE, &LogRtfOptions::showDate, "Show Date"},
                                 {IDM_LOG_SHOW_TIME, &LogRtfOptions::showTime, "Show Time"},
                                 {IDM_LOG_SHOW_LEVEL, &LogRtfOptions::showLevel, "Show Level"},
                                 {IDM_LOG_SHOW_COLORS, &LogRtfOptions::showColor, "Show Colors"}};

// The module's icon id at the small icon size.
HANDLE SmallIcon(HINSTANCE module, int id, UINT flags) {
  return LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                    GetSystemMetrics(SM_CYSMICON), flags);
}

UINT Checked(bool on) { return on ? MF_CHECKED : MF_UNCHECKED; }
UINT Greyed(bool greyed) { return greyed ? MF_GRAYED : MF_ENABLED; }

// Ctrl+C as the user would press it, so the text control copies its selection itself.
void SendCopyKeys() {
  INPUT keys[4] = {};
  const WORD codes[4] = {VK_CONTROL, 'C', 'C', VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = codes[i];
    keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, keys, sizeof(INPUT));
}

}  // namespace

INT_PTR CLogViewer::OnInitDialog(HWND, LPARAM) {
  filling_ = true;
  SetUpFrame();
  FillFontFaces();
  RestorePlacement();
  EnableWindow(Item(IDC_LOG_FIND), FALSE);
  SetFile(filePath_);
  SetUpText();
  Layout();
  ApplyFont();
  SetForegroundWindow(window_);
  PostMessageA(window_, WM_COMMAND, IDM_LOG_REFRESH, 0);
  SetTimer(window_, kFollowTimer, kFollowMilliseconds, nullptr);
  UpdateMenu();
  ShowNotice(!follow_.AutoRefresh());
  SetFocus(Item(IDC_LOG_TEXT));
  filling_ = false;
  endTarget_ = window_;
  SetEvent(ready_);
  return 0;
}

// The icons, the menu, the find field's cue and the status bar.
void CLogViewer::SetUpFrame() {
  HANDLE icon = SmallIcon(module_, IDI_LOG_VIEWER, LR_SHARED);
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  // An icon control takes the size of its icon: the paused notice's, at full size, would lie
  // over the notice and the text. Not shared: a shared icon keeps the size it was first loaded at.
  noticeIcon_ = static_cast<HICON>(SmallIcon(module_, IDI_LOG_PAUSED, 0));
  SendDlgItemMessageA(window_, IDC_LOG_NOTICE_ICON, STM_SETICON, reinterpret_cast<WPARAM>(noticeIcon_), 0);
  menu_ = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_LOG_VIEWER_MENU));
  SetMenu(window_, menu_);
  SendDlgItemMessageW(window_, IDC_LOG_FIND_TEXT, EM_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(L" Word or phrase..."));
  statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
                               nullptr, module_, nullptr);
  int edges[3];
  for (int i = 0; i < 3; ++i) edges[i] = ScaleForWindow(window_, kStatusEdges[i]);
  SendMessageA(statusBar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

// The saved placement brought back onto a monitor, else the template's placement recorded.
void CLogViewer::RestorePlacement() {
  int32_t* position = preferences_.position;
  if (!preferences_.HasPosition()) return RecordPlacement();
  MoveWindow(window_, position[0], position[1], position[2], position[3], FALSE);
  uint64_t placed = RestorePosition(window_, PackPosition(position[0], position[1]));
  position[0] = PositionX(placed);
  position[1] = PositionY(placed);
}

void CLogViewer::RecordPlacement() {
  RECT rect;
  if (!GetWindowRect(window_, &rect)) return;
  int32_t placement[4] = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  std::copy(placement, placement + 4, preferences_.position);
}

// The one text control of the window's life. Lines are never wrapped: each log line is one
// row, which the refresh counts on when it adds and drops lines.
void CLogViewer::SetUpText() {
  HWND text = Item(IDC_LOG_TEXT);
  SendMessageA(text, EM_SETUNDOLIMIT, 0, 0);
  SendMessageA(text, EM_EXLIMITTEXT, 0, 0xFFFFE);
  SendMessageA(text, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTICODEPAGE, 0);
  SendMessageA(text, EM_SETTARGETDEVICE, 0, 1);
  SendMessageA(text, EM_SETEVENTMASK, 0, ENM_KEYEVENTS);
}

void CLogViewer::Layout() {
  RECT client, status;
  GetClientRect(window_, &client);
  SendMessageA(statusBar_, WM_SIZE, 0, 0);
  GetWindowRect(statusBar_, &status);
  int left = ScaleForWindow(window_, kTextLeft), top = ScaleForWindow(window_, kTextTop);
  int height = client.bottom - (status.bottom - status.top) - top;
  MoveWindow(Item(IDC_LOG_TEXT), left, top, client.right - 2 * left, height > 0 ? height : 0, TRUE);
}

void CLogViewer::UpdateMenu() {
  for (const MenuCheck& check : kShowChecks)
    CheckMenuItem(menu_, check.id, MF_BYCOMMAND | Checked(preferences_.show.*check.flag));
  CheckMenuItem(menu_, IDM_LOG_AUTO_REFRESH, MF_BYCOMMAND | Checked(follow_.AutoRefresh()));
  EnableMenuItem(menu_, IDM_LOG_REFRESH, MF_BYCOMMAND | Greyed(follow_.AutoRefresh()));
  EnableMenuItem(menu_, IDM_LOG_CLEAR, MF_BYCOMMAND | Greyed(readOnly_));
}

void CLogViewer::ShowNotice(bool shown) {
  ShowWindow(Item(IDC_LOG_NOTICE), shown ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(IDC_LOG_NOTICE_ICON), shown ? SW_SHOW : SW_HIDE);
}

INT_PTR CLogViewer::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      [[fallthrough]];
    case WM_MOVE:
      if (!filling_ && !IsIconic(window_) && IsWindowVisible(window_)) RecordPlacement();
      return 0;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {ScaleForWindow(window_, kMinimumSize.x),
                                                               ScaleForWindow(window_, kMinimumSize.y)};
      return 1;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != Item(IDC_LOG_NOTICE)) return 0;
      SetTextColor(reinterpret_cast<HDC>(wParam), LinkColor());
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) != Item(IDC_LOG_NOTICE)) return 0;
      SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // the hand
      SetWindowLongPtrA(window_, DWLP_MSGRESULT, TRUE);
      return 1;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == Item(IDC_LOG_TEXT)) ShowContextMenu(lParam);
      return 1;
    case kEndViewerMessage:
      EndModalLoops();
      KillTimer(window_, kFollowTimer);
      End(0);
      return 1;
    default:
      return 0;
  }
}

INT_PTR CLogViewer::OnClose() {
  ShowWindow(window_, SW_HIDE);
  return 1;
}

INT_PTR CLogViewer::OnTimer(UINT_PTR timerId, LPARAM) {
  if (timerId == kFollowTimer) Tick();
  return 0;
}

// The text's menu, built afresh on each right click.
HMENU CLogViewer::BuildContextMenu() const {
  CHARRANGE selection = {};
  SendDlgItemMessageA(window_, IDC_LOG_TEXT, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  bool autoRefresh = follow_.AutoRefresh();
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING | Greyed(selection.cpMin == selection.cpMax), kCopyCommand, "Copy\tCtrl+C");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  if (!readOnly_) {
    AppendMenuA(menu, MF_STRING, IDM_LOG_CLEAR, "Clear log");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  }
  AppendMenuA(menu, MF_STRING, IDM_LOG_NOTEPAD, "Open with Notepad\tCtrl+O");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | Greyed(autoRefresh), IDM_LOG_REFRESH, "Refresh Now\tF5");
  AppendMenuA(menu, MF_STRING | Checked(autoRefresh), IDM_LOG_AUTO_REFRESH, "Auto-Refresh");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  for (const MenuCheck& check : kShowChecks)
    AppendMenuA(menu, MF_STRING | Checked(preferences_.show.*check.flag), check.id, check.name);
  return menu;
}

void CLogViewer::ShowContextMenu(LPARAM point) {
  POINT at = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  if (at.x == -1 && at.y == -1) GetCursorPos(&at);  // from the keyboard
  HMENU menu = BuildContextMenu();
  UINT command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
  DestroyMenu(menu);
  if (command == kCopyCommand)
    SendCopyKeys();
  else if (command)
    PostMessageA(window_, WM_COMMAND, command, 0);
}

INT_PTR CLogViewer::OnNotify(UINT_PTR controlId, NMHDR* header) {
  if (controlId != IDC_LOG_TEXT || header->code != EN_MSGFILTER) return 0;
  auto* filter = reinterpret_cast<MSGFILTER*>(header);
  if (filter->msg != WM_KEYDOWN || !HandleKey(filter)) return 0;
  SetWindowLongPtrA(window_, DWLP_MSGRESULT, 1);  // the text control does not see the key
  return 1;
}

bool CLogViewer::HandleKey(const MSGFILTER* filter) {
  WPARAM key = filter->wParam;
  if (GetKeyState(VK_CONTROL) < 0) return HandleControlKey(key);
  if (key == VK_F5) {  // posted: the refresh changes the text that is sending this notification
    if (!follow_.AutoRefresh()) PostMessageA(window_, WM_COMMAND, IDM_LOG_REFRESH, 0);
    return true;
  }
  if (key != VK_F3) return false;
  if (IsWindowEnabled(Item(IDC_LOG_FIND)))
    Find();
  else
    FocusField(IDC_LOG_FIND_TEXT);
  return true;
}

bool CLogViewer::HandleControlKey(WPARAM key) {
  switch (key) {
    case 'F': FocusField(IDC_LOG_FIND_TEXT); return true;
    case 'L': FocusField(IDC_LOG_FILES); return true;
    case 'N': FocusField(IDC_LOG_FONT_FACE); return true;
    case 'O': OpenInNotepad(); return true;
    default: return false;
  }
}

void CLogViewer::FocusField(int id) {
  SetFocus(Item(id));
  if (id == IDC_LOG_FIND_TEXT) SendMessageA(Item(id), EM_SETSEL, 0, -1);
}

// The modal loops this thread may be in besides the window's own: the context menu, the file
// dialog, the delete question and any box those show. Each is cancelled as the user would
// (Esc), so the code that opened it goes on as after a cancel and the thread can end.
void CLogViewer::EndModalLoops() {
  EndMenu();
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM viewer) {
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (window != reinterpret_cast<HWND>(viewer) && !strcmp(name, "#32770"))
          SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(window_));
}
