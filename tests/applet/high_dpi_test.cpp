// The applet's windows drawn at 96, 144 and 192 DPI: every text fits its control, no two
// controls overlap, and what is given in pixels at 96 DPI (list columns, the message box's
// spacing, placement offsets, the graph's divisions, icon sizes) grows with the DPI.
// Wine takes the DPI from the prefix's LogPixels when a process starts, so each DPI is drawn
// by a child process of this program: the parent sets LogPixels, starts the child and puts the
// value back as soon as the child has taken its DPI (the test runs alone: LOCK "all").
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "applet/launch.h"
#include "mailsetup/email_addy.h"
#include "mailsetup/mailsetup_resource.h"
#include "mailsetup/smtp_setup.h"
#include "monitor/settings.h"
#include "pages/history_graph.h"
#include "pages/pages_resource.h"
#include "platform/module.h"
#include "support/dialog_steps.h"
#include "support/dpi_child.h"
#include "support/registry_sandbox.h"
#include "timesources/edit_time_source.h"
#include "timesources/network_discovery_dialog.h"
#include "timesources/reference_editor.h"
#include "timesources/timesources_resource.h"
#include "ui/activation_context.h"
#include "ui/dialog_fonts.h"
#include "ui/dpi.h"
#include "ui/msg_box.h"
#include "ui/ui_resource.h"
#include "ui/window_manipulation.h"

namespace {

// ---- The parent.

TEST(HighDpi, TheAppletsWindowsAt96And144And192Dpi) {
  for (int dpi : {96, 144, 192})
    EXPECT_EQ(RunChildAt(dpi, "HighDpiAt.*", 240000), 0u) << dpi << " DPI: see the child's output above";
}

// ---- The child: what it checks in each window.

int Px(int pixels) { return ScaleToDpi(pixels, ChildDpi()); }

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The size text takes in the control's font (one line, or wrapped to width when width > 0).
SIZE TextExtent(HWND control, const std::string& text, UINT format, int width) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT box = {0, 0, width > 0 ? width : 0, 0};
  DrawTextA(dc, text.c_str(), -1, &box, format | DT_CALCRECT | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {box.right, box.bottom};
}

// Why a visible control's text does not fit it, or "".
std::string CutText(HWND control) {
  std::string text = WindowText(control), kind = ClassOf(control);
  if (text.empty()) return "";
  RECT client = {};
  GetClientRect(control, &client);
  LONG style = GetWindowLongA(control, GWL_STYLE);
  SIZE need = {};
  if (kind == "Static") {
    LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
      return "";
    bool wraps = type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE;
    UINT format = (wraps ? DT_WORDBREAK : DT_SINGLELINE) | (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
    need = TextExtent(control, text, format, wraps ? client.right : 0);
  } else if (kind == "Button") {
    LONG type = style & BS_TYPEMASK;
    if (style & BS_MULTILINE) return "";
    need = TextExtent(control, text, DT_SINGLELINE, 0);
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) need.cx += Px(8);
    if (type == BS_GROUPBOX) need.cx += Px(16);
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
        type == BS_3STATE || type == BS_AUTO3STATE)
      need.cx += GetSystemMetrics(SM_CXMENUCHECK) + Px(4);
    if (type == BS_GROUPBOX) need.cy = 0;
  } else {
    return "";
  }
  if (need.cx <= client.right && need.cy <= client.bottom) return "";
  return "\"" + text + "\" needs " + std::to_string(need.cx) + "x" + std::to_string(need.cy) + ", has " +
         std::to_string(client.right) + "x" + std::to_string(client.bottom);
}

// An up-down and its buddy share the buddy's edge by design.
bool AreBuddies(HWND first, HWND second) {
  auto buddyOf = [](HWND control) {
    return ClassOf(control) == UPDOWN_CLASSA ? reinterpret_cast<HWND>(SendMessageA(control, UDM_GETBUDDY, 0, 0))
                                             : nullptr;
  };
  return buddyOf(first) == second || buddyOf(second) == first;
}

bool IsContainer(HWND control) {
  std::string kind = ClassOf(control);
  LONG style = GetWindowLongA(control, GWL_STYLE);
  return kind == WC_TABCONTROLA || (kind == "Button" && (style & BS_TYPEMASK) == BS_GROUPBOX);
}

// What is wrong with the visible controls of window: cut texts and controls on top of each other.
std::vector<std::string> LayoutFaults(HWND window, const std::string& name) {
  std::vector<HWND> shown;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowVisible(child)) shown.push_back(child);
  std::vector<std::string> faults;
  for (size_t i = 0; i < shown.size(); ++i) {
    int id = GetDlgCtrlID(shown[i]);
    std::string cut = CutText(shown[i]);
    if (!cut.empty()) faults.push_back(name + ": control " + std::to_string(id) + " " + cut);
    if (IsContainer(shown[i])) continue;
    for (size_t j = i + 1; j < shown.size(); ++j) {
      RECT a = RectInDialog(window, shown[i]), b = RectInDialog(window, shown[j]), both = {};
      if (!IsContainer(shown[j]) && !AreBuddies(shown[i], shown[j]) && IntersectRect(&both, &a, &b))
        faults.push_back(name + ": controls " + std::to_string(id) + " and " + std::to_string(GetDlgCtrlID(shown[j])) +
                         " overlap");
    }
  }
  return faults;
}

class HighDpiAt : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ChildDpi()) GTEST_SKIP() << "run by HighDpi.TheAppletsWindowsAt96And144And192Dpi at each DPI";
    ASSERT_EQ(WindowDpi(nullptr), ChildDpi()) << "LogPixels did not reach the child";
    static const INITCOMMONCONTROLSEX controls = {sizeof controls, 0x0FFF};
    InitCommonControlsEx(&controls);
    CreateDialogFonts(GetDesktopWindow());
  }
  void TearDown() override { DeleteDialogFonts(); }

  // Checks the dialog titled caption once it shows, lets look at it, then closes it with button.
  CStepDriver::Step Inspect(const char* caption, std::function<void(HWND)> look = nullptr, int button = IDCANCEL) {
    return PressWhenShown(caption, button, [this, caption, look](HWND dialog) {
      Check(dialog, caption);
      if (look) look(dialog);
    });
  }
  void Check(HWND window, const std::string& name) {
    for (const std::string& fault : LayoutFaults(window, name)) ADD_FAILURE() << ChildDpi() << " DPI: " << fault;
  }

  CRegistrySandbox sandbox_;
  CActivationScope activation_{AppletModule()};
};

TEST_F(HighDpiAt, ReferenceSourceDialogsFitAndTheirColumnsGrow) {
  CMonitorSettings settings;
  settings.referenceClockType = 3;
  settings.referenceClocks = {"server ntp.example.com protocol ntp samples 8 delay 500",
                              "disabled server 10.0.0.5 protocol ov2-tcp"};
  std::vector<int> widths;
  CStepDriver editor({Inspect("Reference Time Sources", [&](HWND dialog) {
    for (int column = 0; column < 4; ++column)
      widths.push_back(ListView_GetColumnWidth(GetDlgItem(dialog, IDC_REFERENCE_LIST), column));
  })});
  RunReferenceEditor(nullptr, &settings);
  EXPECT_EQ(widths, (std::vector<int>{Px(200), Px(80), Px(75), Px(45)}));
  std::string line = "server h protocol http key windows comment \"the rack's clock\"";
  CStepDriver source({Inspect("Edit Time Source", [](HWND dialog) {
    EXPECT_TRUE(Visible(dialog, IDC_SOURCE_AUTH_NOTE));
  })});
  RunTimeSourceEditor(nullptr, &line);
  NetworkDiscoverySettings discovery;
  CStepDriver settingsDialog({Inspect("Network Discovery")});
  RunNetworkDiscoverySettings(nullptr, &discovery);
}

TEST_F(HighDpiAt, MailDialogsFitOnEveryTab) {
  CMonitorSettings settings;
  settings.mailTo = {{"operations@example.com", "Operations"}, {"night-desk@example.com", "Night Desk"}};
  int nameWidth = 0;
  CStepDriver setup({Inspect("Email Setup", [&](HWND dialog) {
    HWND tabs = GetDlgItem(dialog, IDC_SMTP_TABS);
    for (int tab = CSMTPSetup::kFromTab; tab <= CSMTPSetup::kQueueTab; ++tab) {
      TabCtrl_SetCurFocus(tabs, tab);
      Check(dialog, "Email Setup, tab " + std::to_string(tab));
    }
    nameWidth = ListView_GetColumnWidth(GetDlgItem(dialog, IDC_SMTP_RECIPIENTS), 0);
  })});
  RunSmtpSetup(nullptr, &settings);
  EXPECT_EQ(nameWidth, Px(150));
  Mailbox entry{"ops@example.com", "Operations"};
  CStepDriver address({Inspect("Email Address")});
  RunEmailAddress(nullptr, &entry);
}

// The box's spacing is given in pixels: 12 under the title, 1 between buttons.
TEST_F(HighDpiAt, MessageBoxSpacingGrows) {
  RECT title = {}, text = {}, yes = {}, no = {};
  CStepDriver box({Inspect("Orvane Monitor", [&](HWND dialog) {
    title = ControlRect(dialog, IDC_MSGBOX_TITLE);
    text = ControlRect(dialog, IDC_MSGBOX_TEXT);
    yes = ControlRect(dialog, IDYES);
    no = ControlRect(dialog, IDNO);
  }, IDNO)});
  MsgBox(nullptr, "The queue folder you specified does not exist. Would you like to create it now?",
         "Orvane Monitor", MB_YESNOCANCEL | MB_ICONQUESTION, "Confirm Choice");
  EXPECT_EQ(text.top, title.bottom + Px(12));
  EXPECT_EQ(no.left, yes.right + Px(1));
}

// The divisions of the graph's area stay taller than its labels.
TEST_F(HighDpiAt, GraphWindowFitsItsLabels) {
  int areaHeight = 0;
  CStepDriver graph({Inspect("Servers, Clients, and Total", [&](HWND dialog) {
    RECT area = {};
    GetClientRect(GetDlgItem(dialog, IDC_GRAPH_AREA), &area);
    areaHeight = area.bottom;
  }, IDCANCEL)});
  CHistoryGraph window({}, 750);
  window.RunModal(AppletModule(), IDD_GRAPH, nullptr);
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontA(-MulDiv(7, ChildDpi(), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                           "MS Shell Dlg");
  HGDIOBJ old = SelectObject(screen, font);
  SIZE seven = {};
  GetTextExtentPoint32A(screen, "7", 1, &seven);
  DeleteObject(SelectObject(screen, old));
  ReleaseDC(nullptr, screen);
  EXPECT_GE(areaHeight / 20 + 2, seven.cy);
}

TEST_F(HighDpiAt, ThePagesFit) {
  CSheetTurn turn;
  CUserRegistrySandbox user;
  std::vector<CStepDriver::Step> steps = {[] { return FindThreadDialog(nullptr) != nullptr; }};
  for (int page = 0; page < 5; ++page)
    steps.push_back([this, page] {
      HWND sheet = FindThreadDialog(nullptr);
      PropSheet_SetCurSel(sheet, nullptr, page);
      Check(PropSheet_GetCurrentPageHwnd(sheet), "page " + std::to_string(page + 1));
      return true;
    });
  steps.push_back([] {
    PropSheet_PressButton(FindThreadDialog(nullptr), PSBTN_CANCEL);
    return true;
  });
  CStepDriver driver(std::move(steps));
  RunAppletSheet();
  EXPECT_TRUE(driver.Finished());
}

TEST_F(HighDpiAt, DialogsArePlacedByOffsetsThatGrow) {
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND placed = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 40, nullptr, nullptr, nullptr, nullptr);
  CWindowManipulation::PlaceNearOwner(placed, owner);
  RECT at = {};
  GetWindowRect(placed, &at);
  EXPECT_EQ(at.left, 100 + Px(30));
  EXPECT_EQ(at.top, 100 + Px(60));
  DestroyWindow(placed);
  DestroyWindow(owner);
}

// The width of the image an icon group holds for a size: LoadImage picks it, and stretches it
// when the group has no image of the size asked for.
int ChosenIconWidth(const char* group, int size) {
  HMODULE module = AppletModule();
  HRSRC found = FindResourceA(module, group, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!found) return -1;
  auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, found)));
  int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
  HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
  if (!image) return -1;
  auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
  return header->biWidth;
}

BOOL CALLBACK CollectGroup(HMODULE, LPCSTR, LPSTR name, LONG_PTR groups) {
  reinterpret_cast<std::vector<LPSTR>*>(groups)->push_back(name);
  return TRUE;
}

TEST_F(HighDpiAt, IconsHoldTheSizesTheDpiAsksFor) {
  std::vector<LPSTR> groups;
  EnumResourceNamesA(AppletModule(), MAKEINTRESOURCEA(14), CollectGroup, reinterpret_cast<LONG_PTR>(&groups));
  ASSERT_GE(groups.size(), 7u);
  for (LPSTR group : groups)
    for (int size : {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXICON)})
      EXPECT_EQ(ChosenIconWidth(group, size), size) << "icon " << reinterpret_cast<uintptr_t>(group) << " at " << size;
}

}  // namespace
