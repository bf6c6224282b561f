// The applet's message box: texts, buttons, icons and answers.
#include "ui/msg_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/gui_driver.h"
#include "ui/ui_resource.h"

namespace {

// What one shown box looked like.
struct Shown {
  std::vector<int> buttons;  // visible, left to right
  std::vector<LONG> lefts;
  int defaultId = 0;
  int focusId = 0;
  HICON icon = nullptr;
  bool topmost = false;
  bool titleVisible = false;
  std::string text;
  RECT textRect = {}, titleRect = {}, iconRect = {}, anchor = {};
  RECT window = {};
  LONG buttonTop = -1;
};

std::vector<UINT> g_beeps;
BOOL WINAPI RecordBeep(UINT type) {
  g_beeps.push_back(type);
  return TRUE;
}

Shown Inspect(HWND box) {
  Shown s;
  std::vector<std::pair<LONG, int>> visible;
  for (int id = IDOK; id <= IDCONTINUE; ++id) {
    HWND button = GetDlgItem(box, id);
    if (!IsWindowVisible(button)) continue;
    RECT r = ControlRect(box, id);
    visible.push_back({r.left, id});
    s.buttonTop = r.top;
    if ((GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) s.defaultId = id;
  }
  std::sort(visible.begin(), visible.end());
  for (auto& [left, id] : visible) {
    s.buttons.push_back(id);
    s.lefts.push_back(left);
  }
  SetActiveWindow(box);  // tests running side by side may have taken the activation away
  s.focusId = GetDlgCtrlID(GetFocus());
  s.icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, IDC_MSGBOX_ICON, STM_GETICON, 0, 0));
  s.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  s.titleVisible = IsWindowVisible(GetDlgItem(box, IDC_MSGBOX_TITLE));
  s.text = WindowText(GetDlgItem(box, IDC_MSGBOX_TEXT));
  s.textRect = ControlRect(box, IDC_MSGBOX_TEXT);
  s.titleRect = ControlRect(box, IDC_MSGBOX_TITLE);
  s.iconRect = ControlRect(box, IDC_MSGBOX_ICON);
  RECT cancelInTemplate = {259, 158, 309, 172};  // the template's Cancel button, in dialog units
  MapDialogRect(box, &cancelInTemplate);
  s.anchor = cancelInTemplate;
  GetWindowRect(box, &s.window);
  return s;
}

// Shows a box with the caption "Box", inspects it once shown, then presses pressId.
int ShowAndInspect(HWND owner, const char* text, UINT style, const char* title, Shown* shown, int pressId = 0) {
  CStepDriver driver({[&] {
    HWND box = FindThreadDialog("Box");
    if (!box) return false;
    *shown = Inspect(box);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(pressId ? pressId : shown->buttons.back(), BN_CLICKED), 0);
    return true;
  }});
  int result = MsgBox(owner, text, "Box", style, title);
  EXPECT_TRUE(driver.Finished());
  return result;
}

}  // namespace

TEST(MsgBox, ButtonSetsShowTheirButtonsLeftToRightEndingAtTheCancelPosition) {
  struct Case {
    UINT style;
    std::vector<int> buttons;
  } cases[] = {
      {MB_OK, {IDOK}},
      {MB_OKCANCEL, {IDOK, IDCANCEL}},
      {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
      {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}},
      {MB_YESNO, {IDYES, IDNO}},
      {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}},
      {MB_CANCELTRYCONTINUE, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}},
      {7, {IDOK}},
      {15, {IDOK}},
  };
  for (const Case& c : cases) {
    Shown s;
    int result = ShowAndInspect(nullptr, "Text", c.style, nullptr, &s);
    EXPECT_EQ(s.buttons, c.buttons) << "style " << c.style;
    EXPECT_EQ(result, c.buttons.back());
    ASSERT_FALSE(s.lefts.empty());
    EXPECT_EQ(s.lefts.back(), s.anchor.left) << "style " << c.style;
    LONG width = s.anchor.right - s.anchor.left;
    for (size_t i = 1; i < s.lefts.size(); ++i) EXPECT_EQ(s.lefts[i] - s.lefts[i - 1], width + 1);
    EXPECT_EQ(s.defaultId, c.buttons.front()) << "style " << c.style;
    EXPECT_EQ(s.focusId, c.buttons.front()) << "style " << c.style;
    EXPECT_EQ(s.buttonTop, s.textRect.bottom + 14);
  }
}

TEST(MsgBox, OnlyTheSecondDefaultButtonIsHonoured) {
  struct Case {
    UINT style;
    int defaultId;
  } cases[] = {
      {MB_CANCELTRYCONTINUE | MB_DEFBUTTON2, IDTRYAGAIN},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDYES},
      {MB_YESNOCANCEL | MB_DEFBUTTON4, IDYES},
      {MB_OK | MB_DEFBUTTON2, IDOK},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
  };
  for (const Case& c : cases) {
    Shown s;
    ShowAndInspect(nullptr, "Text", c.style, nullptr, &s);
    EXPECT_EQ(s.defaultId, c.defaultId) << "style " << c.style;
    EXPECT_EQ(s.focusId, c.defaultId) << "style " << c.style;
  }
}

TEST(MsgBox, IconPerStyleAndOneSoundOnFirstShow) {
  struct Case {
    UINT iconBits;
    LPCSTR icon;
    bool sounds;
  } cases[] = {
      {MB_ICONHAND, IDI_HAND, true},           {MB_ICONQUESTION, IDI_QUESTION, true},
      {MB_ICONEXCLAMATION, IDI_EXCLAMATION, true}, {MB_ICONASTERISK, IDI_ASTERISK, true},
      {0x50, IDI_WINLOGO, false},              {0, IDI_WINLOGO, false},
      {MB_USERICON, IDI_WINLOGO, false},
  };
  BeepFunction previous = SetMsgBoxBeep(RecordBeep);
  for (const Case& c : cases) {
    g_beeps.clear();
    Shown s;
    int ticks = 0;
    CStepDriver driver({[&] {
                          HWND box = FindThreadDialog("Box");
                          if (!box || ++ticks < 3) return false;  // let the posted sound request arrive
                          s = Inspect(box);
                          ShowWindow(box, SW_HIDE);  // a second show makes no second request
                          ShowWindow(box, SW_SHOW);
                          return true;
                        },
                        [&] {
                          PostMessageA(FindThreadDialog("Box"), WM_COMMAND, IDOK, 0);
                          return true;
                        }});
    MsgBox(nullptr, "Text", "Box", MB_OK | c.iconBits, nullptr);
    EXPECT_EQ(s.icon, LoadIconA(nullptr, c.icon)) << "icon bits " << c.iconBits;
    EXPECT_EQ(g_beeps, c.sounds ? std::vector<UINT>{c.iconBits} : std::vector<UINT>{}) << "icon bits " << c.iconBits;
  }
  SetMsgBoxBeep(previous);
}

TEST(MsgBox, QuestionWithYesAndNo) {
  BeepFunction previous = SetMsgBoxBeep(RecordBeep);
  g_beeps.clear();
  Shown s;
  int result = ShowAndInspect(nullptr, "Continue?", MB_YESNO | MB_ICONQUESTION, "Confirm Choice", &s, IDNO);
  SetMsgBoxBeep(previous);
  EXPECT_EQ(result, IDNO);
  EXPECT_EQ(s.buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(s.defaultId, IDYES);
  EXPECT_EQ(g_beeps, std::vector<UINT>{MB_ICONQUESTION});
}

TEST(MsgBox, TextPlacementByTitleAndLineCount) {
  Shown titled, oneLine, threeLines;
  ShowAndInspect(nullptr, "One line", MB_OK, "The Title", &titled);
  ShowAndInspect(nullptr, "One line", MB_OK, "", &oneLine);
  ShowAndInspect(nullptr, "First\r\nSecond\r\nThird", MB_OK, nullptr, &threeLines);
  EXPECT_TRUE(titled.titleVisible);
  EXPECT_EQ(titled.textRect.top, titled.titleRect.bottom + 12);
  EXPECT_FALSE(oneLine.titleVisible);
  LONG iconHeight = oneLine.iconRect.bottom - oneLine.iconRect.top;
  EXPECT_EQ(oneLine.textRect.top, oneLine.iconRect.top + iconHeight / 4);
  EXPECT_EQ(threeLines.textRect.top, threeLines.iconRect.top);
  EXPECT_GT(threeLines.textRect.bottom - threeLines.textRect.top, oneLine.textRect.bottom - oneLine.textRect.top);
}

TEST(MsgBox, BlankLinesTrimmedTopmostAndCentredOnScreen) {
  Shown s;
  ShowAndInspect(nullptr, "\r\n \t\r\nHello there\r\n\r\n  ", MB_OK, nullptr, &s);
  EXPECT_EQ(s.text, "Hello there");
  EXPECT_TRUE(s.topmost);
  HDC screen = GetDC(nullptr);
  LONG width = s.window.right - s.window.left, height = s.window.bottom - s.window.top;
  EXPECT_EQ(s.window.left, GetDeviceCaps(screen, HORZRES) / 2 - width / 2);
  EXPECT_EQ(s.window.top, GetDeviceCaps(screen, VERTRES) / 2 - height / 2);
  ReleaseDC(nullptr, screen);
}

TEST(MsgBox, CentredOnItsOwner) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 80, 700, 500, nullptr, nullptr,
                               nullptr, nullptr);
  Shown s;
  ShowAndInspect(owner, "Text", MB_OK, nullptr, &s);
  LONG width = s.window.right - s.window.left, height = s.window.bottom - s.window.top;
  EXPECT_EQ(s.window.left, 100 + (700 - width) / 2);
  EXPECT_EQ(s.window.top, 80 + (500 - height) / 2);
  DestroyWindow(owner);
}

TEST(MsgBox, ClosingLeavesTheCallersMessageLoopRunning) {
  Shown s;
  ShowAndInspect(nullptr, "Text", MB_OK, nullptr, &s);
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(MsgBox, TimeoutActsAsOk) {
  CMsgBox box;
  box.SetText("Waiting");
  box.SetCaption("Box");
  box.SetStyle(MB_OKCANCEL);
  box.SetTimeout(1);
  EXPECT_EQ(box.RunModal(GetModuleHandleA(nullptr), IDD_MSGBOX, nullptr), IDOK);
}

TEST(MsgBox, CheckBoxKeepsItsState) {
  CMsgBox box;
  box.SetText("Text");
  box.SetCaption("Box");
  box.SetCheckBox("Do not ask again", false);
  CStepDriver driver({[&] {
    HWND dialog = FindThreadDialog("Box");
    if (!dialog) return false;
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_MSGBOX_CHECK)));
    SendDlgItemMessageA(dialog, IDC_MSGBOX_CHECK, BM_CLICK, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }});
  EXPECT_EQ(box.RunModal(GetModuleHandleA(nullptr), IDD_MSGBOX, nullptr), IDOK);
  EXPECT_TRUE(box.CheckState());
}
