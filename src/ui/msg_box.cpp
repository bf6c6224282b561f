// CMsgBox on template 100, and MsgBox.
#include "ui/msg_box.h"

#include <algorithm>
#include <vector>

#include "platform/module.h"
#include "platform/os_info.h"
#include "ui/dialog_fonts.h"
#include "ui/ui_resource.h"
#include "ui/window_manipulation.h"

namespace {

BeepFunction g_beep = MessageBeep;

const UINT kButtonSetMask = 0x0F, kIconMask = 0xF0, kDefaultMask = 0xF00;

std::vector<int> ButtonList(UINT buttonSet) {
  switch (buttonSet) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {IDOK};
  }
}

LPCSTR SystemIcon(UINT iconBits) {
  switch (iconBits) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return IDI_WINLOGO;
  }
}

std::string TrimBlank(const std::string& text) {
  const char* blank = " \t\r\n";
  size_t first = text.find_first_not_of(blank);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blank) - first + 1);
}

void MoveControl(HWND control, int x, int y, int width, int height) {
  SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

BeepFunction SetMsgBoxBeep(BeepFunction beep) {
  BeepFunction previous = g_beep;
  g_beep = beep ? beep : MessageBeep;
  return previous;
}

CMsgBox::~CMsgBox() {
  if (timerId_ && window_ && !closed_) KillTimer(window_, timerId_);
}

void CMsgBox::SetCheckBox(const std::string& label, bool checked) {
  checkLabel_ = label;
  checkState_ = checked;
}

INT_PTR CMsgBox::OnInitDialog(HWND, LPARAM) {
  ShowIcon();
  text_ = TrimBlank(text_);
  SetWindowTextA(window_, caption_.c_str());
  SetWindowTextA(Item(IDC_MSGBOX_TEXT), text_.c_str());
  ShowTitle();
  LayoutButtons();
  LayoutText();
  ShowCheckBox();
  parent_ = GetParent(window_);
  if (parent_)
    CenterOnParent(window_);
  else
    CenterOnScreen(window_);
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  if (timeout_) timerId_ = SetTimer(window_, 1, timeout_ * 1000, nullptr);
  // The default button already has the focus; 0 keeps the system from moving it to the first button.
  return 0;
}

void CMsgBox::ShowIcon() {
  UINT iconBits = style_ & kIconMask;
  HICON icon = (iconBits == MB_USERICON && customIcon_) ? customIcon_ : LoadIconA(nullptr, SystemIcon(iconBits));
  SendMessageA(Item(IDC_MSGBOX_ICON), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void CMsgBox::ShowTitle() {
  HWND title = Item(IDC_MSGBOX_TITLE);
  if (title_.empty()) {
    ShowWindow(title, SW_HIDE);
    return;
  }
  SetWindowTextA(title, title_.c_str());
  ShowWindow(title, SW_SHOW);
  if (BoldDialogFont()) SendMessageA(title, WM_SETFONT, reinterpret_cast<WPARAM>(BoldDialogFont()), TRUE);
}

void CMsgBox::LayoutButtons() {
  for (int id = IDOK; id <= IDCONTINUE; ++id) ShowWindow(Item(id), SW_HIDE);
  std::vector<int> buttons = ButtonList(style_ & kButtonSetMask);
  int defaultId = ((style_ & kDefaultMask) == MB_DEFBUTTON2 && buttons.size() > 1) ? buttons[1] : buttons[0];
  RECT anchor = RectInDialog(window_, Item(IDCANCEL));
  int width = anchor.right - anchor.left, height = anchor.bottom - anchor.top;
  HWND previous = HWND_TOP;
  for (int id : buttons) {
    SetWindowPos(Item(id), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = Item(id);
  }
  int x = anchor.left;
  for (auto it = buttons.rbegin(); it != buttons.rend(); ++it, x -= width + Px(1)) {
    HWND button = Item(*it);
    MoveControl(button, x, anchor.top, width, height);
    SendMessageA(button, BM_SETSTYLE, *it == defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    ShowWindow(button, SW_SHOW);
  }
  SendMessageA(window_, DM_SETDEFID, defaultId, 0);
  SetFocus(Item(defaultId));
}

void CMsgBox::LayoutText() {
  HWND edit = Item(IDC_MSGBOX_TEXT);
  RECT textRect = RectInDialog(window_, edit);
  RECT iconRect = RectInDialog(window_, Item(IDC_MSGBOX_ICON));
  int iconHeight = iconRect.bottom - iconRect.top;
  int lines = static_cast<int>(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
  int top = iconRect.top;
  if (!title_.empty())
    top = RectInDialog(window_, Item(IDC_MSGBOX_TITLE)).bottom + Px(12);
  else if (lines == 1)
    top = iconRect.top + iconHeight / 4;
  char line[256] = {};
  *reinterpret_cast<WORD*>(line) = 255;
  int length = static_cast<int>(SendMessageA(edit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line)));
  line[std::min(std::max(length, 0), 255)] = '\0';
  HDC dc = GetDC(edit);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)));
  SIZE extent = {};
  GetTextExtentPoint32A(dc, length > 0 ? line : "X", length > 0 ? length : 1, &extent);
  SelectObject(dc, oldFont);
  ReleaseDC(edit, dc);
  int height = std::max(lines * static_cast<int>(extent.cy), iconHeight) + Px(14);
  MoveControl(edit, textRect.left, top, textRect.right - textRect.left, height);
  int buttonTop = top + height + Px(14);
  RECT ok = RectInDialog(window_, Item(IDOK));
  for (int id = IDOK; id <= IDCONTINUE; ++id) {
    RECT rect = RectInDialog(window_, Item(id));
    MoveControl(Item(id), rect.left, buttonTop, ok.right - ok.left, ok.bottom - ok.top);
  }
  RECT windowRect = {};
  GetWindowRect(window_, &windowRect);
  int windowHeight = top + height + (ok.bottom - ok.top) + Px(21) + GetSystemMetrics(SM_CYCAPTION) +
                     GetSystemMetrics(SM_CYDLGFRAME);
  if (CurrentOsInfo().majorVersion >= 6 && GetSystemMetrics(SM_CXPADDEDBORDER)) windowHeight += Px(8);
  SetWindowPos(window_, nullptr, 0, 0, windowRect.right - windowRect.left, windowHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMsgBox::ShowCheckBox() {
  HWND check = Item(IDC_MSGBOX_CHECK);
  if (checkLabel_.empty()) {
    ShowWindow(check, SW_HIDE);
    return;
  }
  RECT rect = RectInDialog(window_, check);
  RECT ok = RectInDialog(window_, Item(IDOK));
  MoveControl(check, rect.left, ok.top, rect.right - rect.left, rect.bottom - rect.top);
  SetWindowTextA(check, checkLabel_.c_str());
  SendMessageA(check, BM_SETCHECK, checkState_ ? BST_CHECKED : BST_UNCHECKED, 0);
  ShowWindow(check, SW_SHOW);
}

void CMsgBox::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  RECT client = {};
  GetClientRect(window_, &client);
  RECT upper = client, band = client;
  upper.bottom = band.top = RectInDialog(window_, Item(IDOK)).top - Px(7);
  FillRect(dc, &upper, GetSysColorBrush(COLOR_WINDOW));
  FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
  EndPaint(window_, &paint);
}

INT_PTR CMsgBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 1;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id != IDC_MSGBOX_ICON && id != IDC_MSGBOX_TEXT && id != IDC_MSGBOX_TITLE) return 0;
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_WINDOWPOSCHANGED:
      if (!shown_ && (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)) {
        shown_ = true;
        if (beep_) PostMessageA(window_, WM_APP, 0, 0);
      }
      return 0;
    case WM_APP: {
      UINT iconBits = style_ & kIconMask;
      if (iconBits >= MB_ICONHAND && iconBits <= MB_ICONASTERISK) g_beep(iconBits);
      return 1;
    }
    default:
      return 0;
  }
}

INT_PTR CMsgBox::OnTimer(UINT_PTR, LPARAM) {
  if (!timerId_) return 0;
  KillTimer(window_, timerId_);
  timerId_ = 0;
  End(IDOK);
  return 1;
}

INT_PTR CMsgBox::OnCommand(UINT id, UINT notifyCode, HWND) {
  if (id == 0) return 0;
  if (id == IDC_MSGBOX_CHECK) {
    checkState_ = SendMessageA(Item(IDC_MSGBOX_CHECK), BM_GETCHECK, 0, 0) == BST_CHECKED;
    return 1;
  }
  if (id < IDOK || id > IDCONTINUE || notifyCode != BN_CLICKED) return 0;
  if (timerId_) KillTimer(window_, timerId_);
  timerId_ = 0;
  End(id);
  return 1;
}

int MsgBox(HWND owner, const char* text, const char* caption, UINT style, const char* title) {
  CMsgBox box;
  box.SetText(text ? text : "");
  box.SetCaption(caption ? caption : "");
  box.SetStyle(style);
  if (title && *title) box.SetTitle(title);
  return static_cast<int>(box.RunModal(AppletModule(), IDD_MSGBOX, owner));
}
