// The log viewer's window: set-up, layout, placement, menus, the paused notice and keys.
#include "logview/log_viewer.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include "logview/logview_resource.h"
#include "ui/page_colors.h"
#include "ui/window_manipulation.h"

namespace {

const UINT_PTR kFollowTimer = 1;
const UINT kFollowMilliseconds = 500;
const int kStatusEdges[] = {150, 300, 1000};
const int kTextTop = 60;
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
  SetEvent(ready_);
  return 0;
}

// The icon, the menu, the find field's cue and the status bar.
void CLogViewer::SetUpFrame() {
  HANDLE icon = LoadImageA(module_, MAKEINTRESOURCEA(IDI_LOG_VIEWER), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                           GetSystemMetrics(SM_CYSMICON), LR_SHARED);
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  menu_ = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_LOG_VIEWER_MENU));
  SetMenu(window_, menu_);
  SendDlgItemMessageW(window_, IDC_LOG_FIND_TEXT, EM_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(L" Word or phrase..."));
  statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window_,
                               nullptr, module_, nullptr);
  SendMessageA(statusBar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(kStatusEdges));
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

void CLogViewer::SetUpText() {
  HWND text = Item(IDC_LOG_TEXT);
  SendMessageA(text, EM_SETUNDOLIMIT, 0, 0);
  SendMessageA(text, EM_EXLIMITTEXT, 0, 0xFFFFE);
  SendMessageA(text, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTICODEPAGE, 0);
  SendMessageA(text, EM_SETEVENTMASK, 0, ENM_KEYEVENTS);
}

// Replacing a long text in place costs the rich edit time that grows with the square of its
// length (it removes the old text piece by piece); a fresh control takes a whole document in
// one pass. The fresh one takes the old one's place, style, settings, font and focus.
HWND CLogViewer::FreshTextControl() {
  HWND old = Item(IDC_LOG_TEXT);
  RECT rect = RectInDialog(window_, old);
  HWND fresh = CreateWindowExA(static_cast<DWORD>(GetWindowLongPtrA(old, GWL_EXSTYLE)), "RichEdit20A", "",
                               static_cast<DWORD>(GetWindowLongPtrA(old, GWL_STYLE)), rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, window_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LOG_TEXT)), module_, nullptr);
  if (!fresh) return old;
  bool focused = GetFocus() == old;
  SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);  // its place in the tab order
  DestroyWindow(old);
  SetUpText();
  ApplyFont();
  if (focused) SetFocus(fresh);
  return fresh;
}

void CLogViewer::Layout() {
  RECT client, status;
  GetClientRect(window_, &client);
  SendMessageA(statusBar_, WM_SIZE, 0, 0);
  GetWindowRect(statusBar_, &status);
  int height = client.bottom - (status.bottom - status.top) - kTextTop;
  MoveWindow(Item(IDC_LOG_TEXT), 4, kTextTop, client.right - 8, height > 0 ? height : 0, TRUE);
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
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = kMinimumSize;
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
    case WM_ACTIVATE:
      // A refresh while the window is inactive replaces the text control the dialog would give
      // the focus back to; the text takes it again once the activation is done.
      if (LOWORD(wParam) == WA_INACTIVE)
        textFocusOnLeave_ = GetFocus() == Item(IDC_LOG_TEXT);
      else if (textFocusOnLeave_)
        PostMessageA(window_, kTextFocusMessage, 0, 0);
      return 0;
    case kTextFocusMessage:
      if (GetActiveWindow() == window_) SetFocus(Item(IDC_LOG_TEXT));
      return 1;
    case kEndViewerMessage:
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
  if (key == VK_F5) {
    if (!follow_.AutoRefresh()) Refresh();
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
