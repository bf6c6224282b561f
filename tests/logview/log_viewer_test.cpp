// The log viewer under Wine with the real rich edit control: the test writes a log, opens the
// viewer on its own thread as the pages do, and reads back what the control shows, what the
// file holds and what the viewer stored for the user.
#include "logview/log_viewer.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "logview/byte_size.h"
#include "logview/log_rtf.h"
#include "logview/logview_resource.h"
#include "platform/module.h"
#include "support/dpi_child.h"
#include "support/registry_sandbox.h"
#include "support/temp_folder.h"
#include "support/test_io.h"
#include "ui/dpi.h"
#include "ui/ui_resource.h"
#include "ui/window_manipulation.h"

namespace {

const char kInfo[] = "Mon Jan 01 2024 12:00:00 Info:    checked 12 clocks\r\n";
const char kWarning[] = "Mon Jan 01 2024 12:00:01 WARNING: host-42 did not answer\r\n";
const char kError[] = "Mon Jan 01 2024 12:00:02 ERROR:   no reference clock\r\n";

// Signals each message the viewer thread takes from its queue, and counts its timer ticks:
// the test waits on these instead of sleeping.
HANDLE g_messageTaken = nullptr;
LONG g_ticks = 0;
LRESULT CALLBACK WatchMessages(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    if (reinterpret_cast<MSG*>(lParam)->message == WM_TIMER) InterlockedIncrement(&g_ticks);
    SetEvent(g_messageTaken);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class CThreadWatch {
 public:
  explicit CThreadWatch(DWORD thread)
      : hook_(SetWindowsHookExA(WH_GETMESSAGE, WatchMessages, nullptr, thread)) {
    g_messageTaken = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  }
  ~CThreadWatch() {
    UnhookWindowsHookEx(hook_);
    CloseHandle(g_messageTaken);
  }
  // Waits until condition holds, looking again after each message of the viewer thread.
  bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 10000) {
    DWORD start = GetTickCount();
    while (!condition()) {
      DWORD spent = GetTickCount() - start;
      if (spent >= milliseconds) return false;
      WaitForSingleObject(g_messageTaken, milliseconds - spent);
    }
    return true;
  }
  // Waits until the timer has ticked count more times.
  bool WaitForTicks(LONG count) {
    LONG target = g_ticks + count;
    return WaitFor([target] { return g_ticks >= target; });
  }

 private:
  HHOOK hook_;
};

class LogViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    richEdit_ = LoadLibraryA("riched20.dll");
    folder = EmptyTempFolder("logview");
  }
  void TearDown() override {
    watch.reset();
    if (viewer) viewer->Shutdown();
    viewer.reset();
    FreeLibrary(richEdit_);
  }

  // Opens a viewer on folder\name holding content and waits for the first refresh.
  void Open(const std::string& name, const std::string& content) {
    WriteFileText(folder + name, content);
    OpenViewer(name);
  }
  void OpenViewer(const std::string& name) {
    path = folder + name;
    viewer = std::make_unique<CLogViewer>();
    viewer->LoadPreferences();
    viewer->SetPattern("orvanem*.log*");
    viewer->SetFile(path);
    viewer->Open(AppletModule());
    window = viewer->Window();
    ASSERT_NE(window, nullptr);
    watch = std::make_unique<CThreadWatch>(GetWindowThreadProcessId(window, nullptr));
    ASSERT_TRUE(watch->WaitFor([&] { return !StatusText(0).empty(); }));
  }

  HWND Item(int id) const { return GetDlgItem(window, id); }
  HWND Text() const { return Item(IDC_LOG_TEXT); }
  void Command(UINT id, UINT code = 0) {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
  }

  // The control's lines, each ended by "\n" (the last, empty paragraph left out).
  std::string Shown() const {
    int count = static_cast<int>(SendMessageA(Text(), EM_GETLINECOUNT, 0, 0));
    std::string lines;
    for (int i = 0; i < count; ++i) {
      char line[1024] = "";
      *reinterpret_cast<WORD*>(line) = sizeof line - 1;
      LRESULT length = SendMessageA(Text(), EM_GETLINE, i, reinterpret_cast<LPARAM>(line));
      std::string text(line, length);
      while (!text.empty() && strchr(" \r\v", text.back())) text.pop_back();  // the line break
      if (!text.empty() || i + 1 < count) lines += text + "\n";
    }
    return lines;
  }
  bool Showing(const std::string& words) const { return Shown().find(words) != std::string::npos; }
  // Whether the text holds words, asked in one message (for texts too long to read row by row).
  bool Holds(const char* words) const {
    FINDTEXTEXA search = {{0, -1}, words, {}};
    return SendMessageA(Text(), EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&search)) >= 0;
  }
  // The colour of the first occurrence of words.
  COLORREF Colour(const char* words) const {
    FINDTEXTEXA search = {{0, -1}, words, {}};
    if (SendMessageA(Text(), EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&search)) < 0) return CLR_INVALID;
    SendMessageA(Text(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&search.chrgText));
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(Text(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format.crTextColor;
  }
  std::string StatusText(int part) const {
    HWND bar = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
    char text[256] = "";
    if (LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0)) < sizeof text)
      SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
  }
  POINT ScrollPosition() const {
    POINT position = {};
    SendMessageA(Text(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&position));
    return position;
  }
  int ScrollY() const { return ScrollPosition().y; }
  std::vector<std::string> ListedFiles() const {
    std::vector<std::string> files;
    int count = static_cast<int>(SendMessageA(Item(IDC_LOG_FILES), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char name[MAX_PATH] = "";
      SendMessageA(Item(IDC_LOG_FILES), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
      files.push_back(name);
    }
    return files;
  }
  std::string WindowText(HWND control) const {
    char text[1024] = "";
    GetWindowTextA(control, text, sizeof text);
    return text;
  }

  CUserRegistrySandbox user;
  std::string folder, path;
  std::unique_ptr<CLogViewer> viewer;
  std::unique_ptr<CThreadWatch> watch;
  HWND window = nullptr;

 private:
  HMODULE richEdit_ = nullptr;
};

std::string ManyLines(const char* word, int count) {
  std::string log;
  for (int i = 0; i < count; ++i)
    log += "Mon Jan 01 2024 12:00:00 Info:    " + std::string(word) + " " + std::to_string(i) + "\r\n";
  return log;
}

TEST_F(LogViewerTest, ShowsTheLogColourCodedWithItsSizesAndSiblings) {
  WriteFileText(folder + "orvanem.2024-01-01.log", kInfo);
  WriteFileText(folder + "other.txt", kInfo);
  Open("orvanem.log", std::string(kInfo) + kWarning + kError);
  EXPECT_EQ(Shown(),
            "Mon Jan 01 2024 12:00:00 Info:    checked 12 clocks\n"
            "Mon Jan 01 2024 12:00:01 WARNING: host-42 did not answer\n"
            "Mon Jan 01 2024 12:00:02 ERROR:   no reference clock\n");
  EXPECT_EQ(Colour("did not answer"), RGB(0, 160, 255));
  EXPECT_EQ(Colour("no reference"), RGB(176, 23, 31));
  EXPECT_EQ(Colour("checked 12"), RGB(32, 32, 32));
  size_t size = strlen(kInfo) + strlen(kWarning) + strlen(kError);
  EXPECT_EQ(StatusText(0), "File size " + std::to_string(size) + " bytes");
  EXPECT_EQ(StatusText(1), "Showing last " + std::to_string(size) + " bytes");
  EXPECT_EQ(StatusText(2).rfind("Last changed on ", 0), 0u) << StatusText(2);
  EXPECT_EQ(WindowText(window), path);
  std::vector<std::string> files = ListedFiles();
  EXPECT_EQ(files.size(), 2u);
  EXPECT_EQ(WindowText(Item(IDC_LOG_FILES)), "orvanem.log");
  EXPECT_FALSE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_LOG_FIND)));
}

TEST_F(LogViewerTest, LinesWiderThanTheWindowAreShownFromTheirStart) {
  std::string wide = "Mon Jan 01 2024 12:00:00 ERROR:   " + std::string(400, 'x') + "\r\n";
  for (const std::string& log : {std::string(kInfo) + wide + kInfo, ManyLines("early", 200) + wide}) {
    Open("orvanem.log", log);
    EXPECT_EQ(ScrollPosition().x, 0) << log.size();
    watch.reset();
    viewer->Shutdown();
  }
}

TEST_F(LogViewerTest, FollowingAWideLineKeepsTheViewAtTheLinesStart) {
  std::string wide = "Mon Jan 01 2024 12:00:00 ERROR:   " + std::string(400, 'x') + "\r\n";
  Open("orvanem.log", ManyLines("early", 200));
  EXPECT_GT(ScrollY(), 0);
  WriteFileText(path, wide + "Mon Jan 01 2024 12:00:09 Info:    appended\r\n", true);
  ASSERT_TRUE(watch->WaitFor([&] { return Holds("appended"); }));
  EXPECT_EQ(ScrollPosition().x, 0);
}

TEST_F(LogViewerTest, FollowsAGrowingLog) {
  Open("orvanem.log", ManyLines("early", 200));
  int bottom = ScrollY();
  EXPECT_GT(bottom, 0);  // a long log opens at its end
  WriteFileText(path, ManyLines("late", 50), true);
  std::string size = "File size " + FormatByteSize(ReadFileText(path).size());
  auto focus = [&] {
    GUITHREADINFO gui = {sizeof gui, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
    return gui.hwndFocus;
  };
  // The viewer's thread answers these questions between any two of its messages, even in the
  // middle of a refresh: the refresh is over when the text, its position, the status and the
  // focus (the reloaded text keeps it) all agree.
  ASSERT_TRUE(watch->WaitFor(
      [&] { return Showing("late 49") && ScrollY() > bottom && StatusText(0) == size && focus() == Text(); }))
      << ScrollY() << " " << StatusText(0) << " " << focus() << " " << Text();
  EXPECT_FALSE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
}

TEST_F(LogViewerTest, PausesWhenScrolledUpAndResumesFromTheNotice) {
  Open("orvanem.log", ManyLines("early", 200));
  SendMessageA(Text(), WM_VSCROLL, SB_TOP, 0);
  ASSERT_TRUE(watch->WaitFor([&] { return IsWindowVisible(Item(IDC_LOG_NOTICE)); }));
  EXPECT_TRUE(IsWindowVisible(Item(IDC_LOG_NOTICE_ICON)));
  WriteFileText(path, ManyLines("late", 5), true);
  ASSERT_TRUE(watch->WaitForTicks(2));
  SendMessageA(window, WM_NULL, 0, 0);  // any refresh posted by those ticks has run
  EXPECT_FALSE(Showing("late 4"));
  EXPECT_EQ(ScrollY(), 0);
  Command(IDC_LOG_NOTICE, STN_CLICKED);
  ASSERT_TRUE(watch->WaitFor([&] { return Showing("late 4"); }));
  EXPECT_GT(ScrollY(), 0);
  EXPECT_FALSE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
}

// Counts the changes made to the text while the control is inside its own handling of a key
// (whose notification the viewer answers): a refresh there would change, on Windows even
// destroy, the control that is still at work.
WNDPROC g_textProc = nullptr;
LONG g_inKey = 0, g_changesInKey = 0;
LRESULT CALLBACK WatchKeyHandling(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  bool changes = msg == EM_SETTEXTEX || msg == EM_REPLACESEL || msg == WM_SETTEXT || msg == WM_DESTROY;
  if (g_inKey && changes) ++g_changesInKey;
  g_inKey += msg == WM_KEYDOWN;
  LRESULT result = CallWindowProcA(g_textProc, window, msg, wParam, lParam);
  g_inKey -= msg == WM_KEYDOWN;
  return result;
}

TEST_F(LogViewerTest, AutoRefreshOffShowsTheNoticeAndF5Refreshes) {
  Open("orvanem.log", kInfo);
  Command(IDM_LOG_AUTO_REFRESH);
  HMENU menu = GetMenu(window);
  EXPECT_TRUE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
  EXPECT_EQ(GetMenuState(menu, IDM_LOG_AUTO_REFRESH, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(menu, IDM_LOG_REFRESH, MF_BYCOMMAND) & MF_GRAYED, 0u);
  WriteFileText(path, kError, true);
  ASSERT_TRUE(watch->WaitForTicks(2));
  SendMessageA(window, WM_NULL, 0, 0);
  EXPECT_FALSE(Showing("no reference"));
  HWND text = Text();
  g_changesInKey = 0;
  g_textProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchKeyHandling)));
  PostMessageA(text, WM_KEYDOWN, VK_F5, 0);
  ASSERT_TRUE(watch->WaitFor([&] { return Showing("no reference"); }));
  EXPECT_EQ(g_changesInKey, 0);  // the refresh was posted, not run inside the key's notification
  EXPECT_EQ(Text(), text);
  Command(IDC_LOG_NOTICE, STN_CLICKED);  // the notice turns it back on
  EXPECT_FALSE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
  EXPECT_NE(GetMenuState(menu, IDM_LOG_AUTO_REFRESH, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_NE(GetMenuState(menu, IDM_LOG_REFRESH, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(LogViewerTest, FindNextGoesThroughTheMatchesAndWrapsToFind) {
  Open("orvanem.log", std::string(kInfo) + "a needle here\r\n" + kWarning + "another Needle\r\n");
  HWND button = Item(IDC_LOG_FIND);
  struct Case {
    std::string text;
    bool enabled;
  } cases[] = {{"   ", false}, {std::string(31, ' ') + "needle", true}, {"NEEDLE", true}};
  for (const Case& c : cases) {
    SetWindowTextA(Item(IDC_LOG_FIND_TEXT), c.text.c_str());
    EXPECT_EQ(IsWindowEnabled(button) != FALSE, c.enabled) << c.text;
  }
  auto selected = [&] {
    CHARRANGE range = {};
    SendMessageA(Text(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    std::string text(static_cast<size_t>(range.cpMax - range.cpMin) + 1, '\0');
    SendMessageA(Text(), EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(&text[0]));
    return std::to_string(range.cpMin) + ":" + text.c_str();
  };
  std::vector<std::string> captions, selections;
  for (int press = 0; press < 4; ++press) {
    Command(IDC_LOG_FIND, BN_CLICKED);
    captions.push_back(WindowText(button));
    selections.push_back(selected());
  }
  std::string first = selections[0], second = selections[1];
  EXPECT_NE(first, second);
  EXPECT_EQ(first.substr(first.find(':')), ":needle");
  EXPECT_EQ(second.substr(second.find(':')), ":Needle");
  EXPECT_EQ(captions, (std::vector<std::string>{"Find Next", "Find Next", "Find", "Find Next"}));
  EXPECT_EQ(selections[2], second);  // nothing more: the last match stays selected
  EXPECT_EQ(selections[3], first);   // and the next search starts over
  SetWindowTextA(Item(IDC_LOG_FIND_TEXT), "needle ");
  EXPECT_EQ(WindowText(button), "Find");  // typing starts over too
}

// The user in the domain\user form (the computer stands for the domain here).
std::string ExpectedUser() {
  char name[256] = "", computer[256] = "";
  DWORD size = sizeof name, computerSize = sizeof computer;
  GetUserNameA(name, &size);
  GetComputerNameA(computer, &computerSize);
  return std::string(computer) + "\\" + name;
}

TEST_F(LogViewerTest, ClearingAPlainLogLeavesOneLineNamingTheUser) {
  Open("orvanem.log", ManyLines("old", 30));
  Command(IDM_LOG_CLEAR);
  std::string cleared = ReadFileText(path);
  EXPECT_EQ(cleared.find("\r\n"), cleared.size() - 2) << cleared;  // one line
  EXPECT_EQ(cleared.substr(24), " Info:    Log cleared from Control Panel by " + ExpectedUser() + ".\r\n");
  ASSERT_TRUE(watch->WaitFor([&] { return Shown() == cleared.substr(0, cleared.size() - 2) + "\n"; })) << Shown();
}

// The first visible window of the viewer thread, the viewer aside, for which matches holds.
HWND FindOnViewerThread(HWND viewerWindow, const std::function<bool(HWND)>& matches) {
  struct Search {
    HWND viewer;
    const std::function<bool(HWND)>* matches;
    HWND found;
  } search = {viewerWindow, &matches, nullptr};
  EnumThreadWindows(
      GetWindowThreadProcessId(viewerWindow, nullptr),
      [](HWND window, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        if (window == s->viewer || !IsWindowVisible(window) || !(*s->matches)(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The viewer thread's message box.
HWND FindQuestion(HWND viewerWindow) {
  return FindOnViewerThread(viewerWindow, [](HWND window) { return GetDlgItem(window, IDC_MSGBOX_TEXT) != nullptr; });
}

TEST_F(LogViewerTest, ClearingADatedLogAsksWhetherToDeleteIt) {
  struct Case {
    int answer;
    bool deleted, cleared;
  } cases[] = {{IDYES, true, false}, {IDNO, false, true}, {IDCANCEL, false, false}};
  for (const Case& c : cases) {
    WriteFileText(folder + "orvanem.log", kInfo);
    Open("orvanem.2024-01-31.log", ManyLines("archived", 3));
    PostMessageA(window, WM_COMMAND, IDM_LOG_CLEAR, 0);
    HWND box = nullptr;
    ASSERT_TRUE(watch->WaitFor([&] { return (box = FindQuestion(window)) != nullptr; }));
    EXPECT_EQ(WindowText(box), "Orvane Monitor");
    EXPECT_EQ(WindowText(GetDlgItem(box, IDC_MSGBOX_TEXT)), "Do you want to delete this file entirely?");
    PostMessageA(box, WM_COMMAND, c.answer, 0);
    ASSERT_TRUE(watch->WaitFor([&] { return !IsWindow(box); }));
    SendMessageA(window, WM_NULL, 0, 0);
    EXPECT_EQ(GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES, c.deleted) << c.answer;
    if (!c.deleted) {
      EXPECT_EQ(ReadFileText(path).find("Log cleared") != std::string::npos, c.cleared) << c.answer;
    } else {
      EXPECT_EQ(ListedFiles(), std::vector<std::string>{"orvanem.log"});
      EXPECT_EQ(WindowText(window), folder + "orvanem.log");  // the next entry is shown instead
      EXPECT_TRUE(watch->WaitFor([&] { return Showing("checked 12 clocks"); }));
    }
    TearDown();
    SetUp();
  }
}

TEST_F(LogViewerTest, AStartupLogStaysAtItsFirstLine) {
  Open("orvanem.startup.log", ManyLines("start", 200));
  EXPECT_EQ(ScrollY(), 0);
  WriteFileText(path, ManyLines("more", 20), true);
  ASSERT_TRUE(watch->WaitFor([&] { return Showing("more 19"); }));
  EXPECT_EQ(ScrollY(), 0);
  EXPECT_FALSE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
}

TEST_F(LogViewerTest, ASiblingOfTheSameSizeIsShownWhenChosen) {
  WriteFileText(folder + "orvanem.2024-01-30.log", ManyLines("sibling", 10));
  Open("orvanem.log", ManyLines("current", 10));
  int index = static_cast<int>(SendMessageA(Item(IDC_LOG_FILES), CB_FINDSTRINGEXACT, -1,
                                            reinterpret_cast<LPARAM>("orvanem.2024-01-30.log")));
  SendMessageA(Item(IDC_LOG_FILES), CB_SETCURSEL, index, 0);
  Command(IDC_LOG_FILES, CBN_SELCHANGE);
  ASSERT_TRUE(watch->WaitFor([&] { return Showing("sibling 9"); }));
  EXPECT_EQ(WindowText(window), folder + "orvanem.2024-01-30.log");
}

TEST_F(LogViewerTest, ColumnsAndColoursFollowTheViewMenu) {
  Open("orvanem.log", std::string(kWarning) + "free text\r\n");
  Command(IDM_LOG_SHOW_DATE);
  ASSERT_TRUE(watch->WaitFor([&] { return Shown().rfind("12:00:01 WARNING: host-42", 0) == 0; })) << Shown();
  Command(IDM_LOG_SHOW_TIME);
  Command(IDM_LOG_SHOW_LEVEL);
  ASSERT_TRUE(watch->WaitFor([&] { return Shown() == "host-42 did not answer\nfree text\n"; })) << Shown();
  EXPECT_EQ(Colour("host-42"), RGB(0, 160, 255));
  Command(IDM_LOG_SHOW_COLORS);
  ASSERT_TRUE(watch->WaitFor([&] { return Colour("host-42") != RGB(0, 160, 255); }));
  HMENU menu = GetMenu(window);
  for (UINT id : {IDM_LOG_SHOW_DATE, IDM_LOG_SHOW_TIME, IDM_LOG_SHOW_LEVEL, IDM_LOG_SHOW_COLORS})
    EXPECT_EQ(GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED, 0u) << id;
}

TEST_F(LogViewerTest, CloseHidesTheWindowAndOpenShowsItAgain) {
  Open("orvanem.log", kInfo);
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(window));
  Command(IDCANCEL);
  EXPECT_FALSE(IsWindowVisible(window));
  viewer->Open(AppletModule());
  EXPECT_EQ(viewer->Window(), window);
  EXPECT_TRUE(IsWindowVisible(window));
  viewer->Shutdown();
  EXPECT_FALSE(IsWindow(window));
}

// A log another program holds without sharing writes can only be read.
TEST_F(LogViewerTest, TheContextMenuOffersClearingOnlyForAWritableLog) {
  for (bool writable : {true, false}) {
    WriteFileText(folder + "orvanem.log", kInfo);
    HANDLE holder = writable ? INVALID_HANDLE_VALUE
                             : CreateFileA((folder + "orvanem.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
    OpenViewer("orvanem.log");
    EXPECT_EQ((GetMenuState(GetMenu(window), IDM_LOG_CLEAR, MF_BYCOMMAND) & MF_GRAYED) != 0, !writable);
    PostMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Text()), MAKELPARAM(10, 10));
    HWND popup = nullptr;
    ASSERT_TRUE(watch->WaitFor([&] { return (popup = FindWindowA("#32768", nullptr)) && IsWindowVisible(popup); }));
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    std::vector<std::string> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[64] = "";
      GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
      items.push_back(text);
    }
    std::vector<std::string> expected = {"Copy\tCtrl+C", "", "Clear log", "", "Open with Notepad\tCtrl+O", "",
                                         "Refresh Now\tF5", "Auto-Refresh", "", "Show Date", "Show Time",
                                         "Show Level", "Show Colors"};
    if (!writable) expected.erase(expected.begin() + 2, expected.begin() + 4);
    EXPECT_EQ(items, expected);
    EXPECT_NE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED, 0u);  // nothing selected to copy
    PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(watch->WaitFor([&] { return !IsWindowVisible(popup); }));
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    TearDown();
    SetUp();
  }
}

// The work area of the monitor nearest to a point.
RECT WorkArea(POINT point) {
  MONITORINFO info = {sizeof info, {}, {}, 0};
  GetMonitorInfoA(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

TEST_F(LogViewerTest, StoredPreferencesShapeTheWindowAndItsChangesAreStored) {
  LogViewerPreferences stored;
  stored.fontFace = "No Such Face";
  stored.fontSize = 13;  // not offered: 12 is the nearest from below
  stored.show.showLevel = false;
  stored.autoRefresh = false;
  int32_t position[4] = {-3000, 10, 500, 300};
  std::copy(position, position + 4, stored.position);
  SaveLogViewerPreferences(stored);
  Open("orvanem.log", kInfo);
  RECT rect;
  GetWindowRect(window, &rect);
  RECT work = WorkArea({-3000, 10});
  EXPECT_EQ(rect.left, work.left + 8);  // brought back onto the monitor
  EXPECT_EQ(rect.right - rect.left, 500);
  EXPECT_EQ(WindowText(Item(IDC_LOG_FONT_SIZE)), "12");
  std::string face = WindowText(Item(IDC_LOG_FONT_FACE));
  EXPECT_FALSE(face.empty());
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  SendMessageA(Text(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(format.szFaceName, face);
  EXPECT_EQ(format.yHeight, 12 * 20);
  SendMessageA(Text(), EM_SETSEL, 0, -1);  // the log's own text, put in by the refresh
  SendMessageA(Text(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(format.szFaceName, face);
  EXPECT_EQ(format.yHeight, 12 * 20);
  HMENU menu = GetMenu(window);
  EXPECT_EQ(GetMenuState(menu, IDM_LOG_SHOW_LEVEL, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_NE(GetMenuState(menu, IDM_LOG_SHOW_DATE, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_TRUE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
  MoveWindow(window, work.left + 20, work.top + 30, 100, 80, TRUE);
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 350);  // no smaller than 350 by 250
  EXPECT_EQ(rect.bottom - rect.top, 250);
  MoveWindow(window, work.left + 20, work.top + 30, 520, 320, TRUE);
  SendMessageA(Item(IDC_LOG_FONT_SIZE), CB_SETCURSEL, 0, 0);  // the smallest, 6
  Command(IDC_LOG_FONT_SIZE, CBN_SELCHANGE);
  viewer->Shutdown();
  viewer->SavePreferences();
  LogViewerPreferences saved = LoadLogViewerPreferences();
  EXPECT_EQ(std::vector<int32_t>(saved.position, saved.position + 4),
            (std::vector<int32_t>{work.left + 20, work.top + 30, 520, 320}));
  EXPECT_EQ(saved.fontSize, 6u);
  EXPECT_EQ(saved.fontFace, face);
  EXPECT_FALSE(saved.autoRefresh);
  EXPECT_FALSE(saved.show.showLevel);
}

// The selected text of the control.
std::string SelectedText(HWND text) {
  CHARRANGE range = {};
  SendMessageA(text, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  std::string selected(static_cast<size_t>(range.cpMax - range.cpMin) + 1, '\0');
  SendMessageA(text, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(&selected[0]));
  return selected.c_str();
}

// Selects the first occurrence of words; false when there is none.
bool SelectText(HWND text, const char* words) {
  FINDTEXTEXA search = {{0, -1}, words, {}};
  if (SendMessageA(text, EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&search)) < 0) return false;
  SendMessageA(text, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&search.chrgText));
  return true;
}

int FirstVisibleRow(HWND text) { return static_cast<int>(SendMessageA(text, EM_GETFIRSTVISIBLELINE, 0, 0)); }

// The text control stays the same window while the log grows and the view changes: what the
// user selected stays selected, the place he scrolled to stays in view, added lines take the
// chosen font.
TEST_F(LogViewerTest, OneTextControlKeepsTheSelectionAndTheReadersPlace) {
  Open("orvanem.log", ManyLines("early", 200));
  HWND text = Text();
  ASSERT_TRUE(SelectText(text, "early 50"));
  SendMessageA(text, WM_VSCROLL, SB_BOTTOM, 0);  // back to the end, where the view follows
  WriteFileText(path, ManyLines("late", 50), true);
  ASSERT_TRUE(watch->WaitFor([&] { return Showing("late 49"); }));
  EXPECT_EQ(Text(), text);
  EXPECT_EQ(SelectedText(text), "early 50");
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  SendMessageA(text, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  std::string face = format.szFaceName;
  LONG height = format.yHeight;
  ASSERT_TRUE(SelectText(text, "late 49"));
  SendMessageA(text, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(format.szFaceName, face);
  EXPECT_EQ(format.yHeight, height);
  EXPECT_EQ(height, 9 * 20);  // the default size, not the document's own 12 points

  Command(IDM_LOG_AUTO_REFRESH);  // off: F5 refreshes, and the first goes to the end
  WriteFileText(path, ManyLines("more", 5), true);
  PostMessageA(text, WM_KEYDOWN, VK_F5, 0);
  ASSERT_TRUE(watch->WaitFor([&] { return Showing("more 4"); }));
  SendMessageA(text, WM_VSCROLL, SB_TOP, 0);
  SendMessageA(text, EM_LINESCROLL, 0, 20);
  ASSERT_TRUE(SelectText(text, "early 70"));
  int reading = FirstVisibleRow(text);
  WriteFileText(path, ManyLines("last", 5), true);
  PostMessageA(text, WM_KEYDOWN, VK_F5, 0);
  ASSERT_TRUE(watch->WaitFor([&] { return Showing("last 4"); }));
  EXPECT_EQ(FirstVisibleRow(text), reading);  // he reads on where he was
  EXPECT_EQ(SelectedText(text), "early 70");

  Command(IDM_LOG_SHOW_DATE);  // a rebuild, in the same control
  ASSERT_TRUE(watch->WaitFor([&] { return Shown().rfind("12:00:00 Info:", 0) == 0; })) << Shown();
  EXPECT_EQ(Text(), text);
}

// The rows a log shows, each line ended by "\n" instead of its break; without its level column
// when level is false.
std::string ShownRows(const std::string& log, bool level = true) {
  std::string rows;
  for (size_t at = 0, end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2) {
    std::string line = log.substr(at, end - at);
    rows += (level ? line : line.substr(0, 25) + line.substr(34)) + "\n";
  }
  return rows;
}

// A line the service writes in pieces is shown once, whole, in its level's colour: the piece
// shown before its end is replaced as the line grows, in the same control.
TEST_F(LogViewerTest, ALineWrittenInPiecesIsShownWhole) {
  std::string log = ManyLines("early", 15) + "Mon Jan 01 2024 12:00:01 WARNING: half";  // the 16th ends a paragraph
  Open("orvanem.log", log);
  HWND text = Text();
  ASSERT_TRUE(Showing("WARNING: half\n"));
  std::string rest = " and the rest\r\n" + ManyLines("late", 2);
  WriteFileText(path, rest, true);
  log += rest;
  EXPECT_TRUE(watch->WaitFor([&] { return Shown() == ShownRows(log); })) << Shown();
  EXPECT_EQ(Colour("half and the rest"), RGB(0, 160, 255));
  EXPECT_EQ(Text(), text);
}

// A refresh that cannot add to what is shown rebuilds it, in the same control: the file shrank,
// another file took its name (one whose end matches what was shown, so that only its identity
// tells: adding to the text would keep the old first line), or the view's columns changed.
TEST_F(LogViewerTest, RebuildsInTheSameControlWhenTheFileShrankOrWasReplacedOrTheViewChanged) {
  std::string log = ManyLines("early", 30);
  Open("orvanem.log", log);
  HWND text = Text();
  std::string replaced = "Mon Jan 01 2024 12:00:00 Info:    EARLY 0\r\n" + log.substr(log.find("\r\n") + 2) +
                         ManyLines("late", 2);
  std::string shrunk = ManyLines("short", 3);
  struct Case {
    const char* what;
    std::function<void()> change;
    std::string rows;
  } cases[] = {
      {"replaced",
       [&] {
         std::string fresh = path + ".new";
         WriteFileText(fresh, replaced);
         auto moved = [&] { return MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; };
         ASSERT_TRUE(watch->WaitFor(moved));  // not while the viewer has the file open
       },
       ShownRows(replaced)},
      {"shrank", [&] { WriteFileText(path, shrunk); }, ShownRows(shrunk)},
      {"level column off", [&] { Command(IDM_LOG_SHOW_LEVEL); }, ShownRows(shrunk, false)},
  };
  for (const Case& c : cases) {
    c.change();
    EXPECT_TRUE(watch->WaitFor([&] { return Shown() == c.rows; })) << c.what << ":\n" << Shown();
    EXPECT_EQ(Text(), text) << c.what;
  }
}

// A log that grows past the 524287 bytes shown loses its first lines at the top and gains the
// note, and then reads exactly as a fresh view of the same file.
TEST_F(LogViewerTest, TheTopIsTrimmedWhenTheWindowMoves) {
  const std::string word = "early" + std::string(60, '.');  // about 100 bytes a line
  std::string log = ManyLines(word.c_str(), 5300);
  log.resize(log.rfind("\r\n", kLogTailBytes - 3000) + 2);
  Open("orvanem.log", log);
  EXPECT_FALSE(Holds("too large"));
  WriteFileText(path, ManyLines("late", 100), true);
  ASSERT_TRUE(watch->WaitFor([&] { return Holds("late 99"); }));
  std::string grown = Shown();
  const std::string note = "The file is too large to display in its entirety. Open with Notepad to see earlier lines.";
  EXPECT_EQ(grown.rfind(note + "\n\n", 0), 0u) << grown.substr(0, 200);
  EXPECT_EQ(grown.find(word + " 0\n"), std::string::npos);
  EXPECT_EQ(StatusText(1), "Showing last 512 KB");
  for (COLORREF info : {RGB(0, 0, 0), RGB(32, 32, 32)}) {  // colours off and on: the same view, rebuilt
    Command(IDM_LOG_SHOW_COLORS);
    ASSERT_TRUE(watch->WaitFor([&] { return Colour("late 99") == info; }));
  }
  EXPECT_EQ(Shown(), grown);
}

// The client y of a character of the text.
LONG PixelY(HWND text, LONG position) {
  POINTL point = {};
  SendMessageA(text, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), position);
  return point.y;
}

// Scrolls the text from its end up past the top of a row, but by less than one step of the
// 16-bit pixel position (EM_GETSCROLLPOS), which then still reads as at the end. Wine takes
// plain pixels in EM_SETSCROLLPOS; false when every such move crosses a step.
bool MoveUpUnseen(HWND text) {
  SendMessageA(text, WM_VSCROLL, SB_TOP, 0);
  LONG margin = PixelY(text, 0);
  SendMessageA(text, WM_VSCROLL, SB_BOTTOM, 0);
  POINT end = {};
  SendMessageA(text, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&end));
  int endRow = FirstVisibleRow(text);
  LONG pixels = margin - PixelY(text, 0);
  for (LONG up = 1; up < 64; ++up) {
    POINT place = {0, pixels - up}, now = {};
    SendMessageA(text, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&place));
    SendMessageA(text, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&now));
    if (now.y != end.y) return false;
    if (FirstVisibleRow(text) < endRow) return true;
  }
  return false;
}

// In a text taller than 65535 pixels the control's pixel position is a 16-bit value, scaled
// to the text's height by Windows and Wine alike: with 150000 rows a row is less than one
// step of it. The viewer reads the position as the first row in view, here above 65535, and
// tells a reader one row up from the end.
TEST_F(LogViewerTest, FollowingAndPausingHoldBeyond65535Rows) {
  std::string log;
  for (int i = 0; i < 150000; ++i) log += std::to_string(i % 10) + "\n";
  Open("orvanem.log", log);
  HWND text = Text();
  int end = FirstVisibleRow(text);
  ASSERT_GT(end, 65535);
  ASSERT_TRUE(MoveUpUnseen(text));
  int reading = FirstVisibleRow(text);
  WriteFileText(path, ManyLines("late", 5), true);
  ASSERT_TRUE(watch->WaitForTicks(2));
  SendMessageA(window, WM_NULL, 0, 0);
  EXPECT_TRUE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
  EXPECT_FALSE(Holds("late 4"));
  EXPECT_EQ(FirstVisibleRow(text), reading);
  Command(IDC_LOG_NOTICE, STN_CLICKED);
  ASSERT_TRUE(watch->WaitFor([&] { return Holds("late 4"); }));
  EXPECT_GT(FirstVisibleRow(text), end);  // following again, to the new end
  WriteFileText(path, ManyLines("later", 5), true);
  ASSERT_TRUE(watch->WaitFor([&] { return Holds("later 4"); }));
  EXPECT_FALSE(IsWindowVisible(Item(IDC_LOG_NOTICE)));
}

// A window on the viewer thread for which the caption matches.
HWND FindViewerDialog(HWND viewerWindow, const char* caption) {
  return FindOnViewerThread(viewerWindow, [caption](HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return strcmp(text, caption) == 0;
  });
}

// The sheet closes while the viewer thread shows a dialog: the dialog is cancelled and the
// thread has ended before the viewer goes and the rich edit library is unloaded.
TEST_F(LogViewerTest, ClosingTheSheetEndsTheDialogsOpenOnTheViewersThread) {
  struct Case {
    const char* file;
    UINT command;
    const char* caption;
  } cases[] = {
      {"orvanem.log", IDM_LOG_OPEN_FILE, "Select Log File"},
      {"orvanem.2024-01-31.log", IDM_LOG_CLEAR, "Orvane Monitor"},
  };
  for (const Case& c : cases) {
    Open(c.file, kInfo);
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, GetWindowThreadProcessId(window, nullptr));
    PostMessageA(window, WM_COMMAND, c.command, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(watch->WaitFor([&] { return (dialog = FindViewerDialog(window, c.caption)) != nullptr; })) << c.caption;
    watch.reset();
    viewer->Shutdown();
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << c.caption;
    EXPECT_FALSE(IsWindow(dialog)) << c.caption;
    EXPECT_EQ(ReadFileText(path), kInfo) << c.caption;  // cancelled: neither deleted nor cleared
    CloseHandle(thread);
    TearDown();
    SetUp();
  }
}

// ---- High DPI: the window is drawn at each DPI by a child process of this program.

TEST(LogViewerHighDpi, TheWindowAt96And144And192Dpi) {
  for (int dpi : {96, 144, 192})
    EXPECT_EQ(RunChildAt(dpi, "LogViewerAtDpi.*", 120000), 0u) << dpi << " DPI: see the child's output above";
}

// ---- The child.

class LogViewerAtDpi : public LogViewerTest {
 protected:
  void SetUp() override {
    if (!ChildDpi()) GTEST_SKIP() << "run by LogViewerHighDpi.TheWindowAt96And144And192Dpi at each DPI";
    ASSERT_EQ(WindowDpi(nullptr), ChildDpi()) << "LogPixels did not reach the child";
    LogViewerTest::SetUp();
  }
  int Px(int pixels) const { return MulDiv(pixels, ChildDpi(), 96); }
};

// The width text takes in the status bar's font.
int StatusTextWidth(HWND bar, const std::string& text) {
  HDC dc = GetDC(bar);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(bar, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(bar, dc);
  return size.cx;
}

// The paused notice shows (auto-refresh off): no two visible controls overlap, the text sits
// at x 4, y 60 at 96 DPI and the status bar's edges lie at 150, 300 and 1000, all scaled, and
// the size parts hold their texts.
TEST_F(LogViewerAtDpi, NothingOverlapsAndTheStatusPartsHoldTheirTexts) {
  LogViewerPreferences stored;
  stored.autoRefresh = false;
  SaveLogViewerPreferences(stored);
  Open("orvanem.log", ManyLines("a line of the log that is long enough to be shown cut", 8000));
  ASSERT_TRUE(watch->WaitFor([&] { return IsWindowVisible(Item(IDC_LOG_NOTICE)) != FALSE; }));
  std::vector<HWND> shown;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowVisible(child)) shown.push_back(child);
  for (size_t i = 0; i < shown.size(); ++i)
    for (size_t j = i + 1; j < shown.size(); ++j) {
      RECT a = RectInDialog(window, shown[i]), b = RectInDialog(window, shown[j]), both = {};
      EXPECT_FALSE(IntersectRect(&both, &a, &b)) << ChildDpi() << " DPI: controls " << GetDlgCtrlID(shown[i])
                                                  << " and " << GetDlgCtrlID(shown[j]) << " overlap";
    }
  RECT client = {}, text = RectInDialog(window, Text());
  GetClientRect(window, &client);
  EXPECT_EQ(text.left, Px(4));
  EXPECT_EQ(text.top, Px(60));
  EXPECT_EQ(text.right, client.right - Px(4));
  HWND bar = FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr);
  int edges[3] = {};
  ASSERT_EQ(SendMessageA(bar, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(std::vector<int>(edges, edges + 3), (std::vector<int>{Px(150), Px(300), Px(1000)}));
  EXPECT_EQ(StatusText(1), "Showing last 512 KB");
  for (int part : {0, 1}) {
    RECT box = {};
    SendMessageA(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&box));
    EXPECT_LE(StatusTextWidth(bar, StatusText(part)), box.right - box.left - Px(6)) << StatusText(part);
  }
}

}  // namespace
