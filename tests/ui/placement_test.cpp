// Placing dialogs near their owner, centred and where they last were.
#include "ui/window_manipulation.h"

#include <gtest/gtest.h>

namespace {

HWND MakeWindow(int x, int y, int width, int height, HWND owner = nullptr, const char* cls = "STATIC") {
  return CreateWindowExA(0, cls, "", WS_POPUP, x, y, width, height, owner, nullptr, nullptr, nullptr);
}

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

// A taskbar of known height when the system shows none.
class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screenW = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screenH = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (!taskbar) {
      WNDCLASSA cls = {};
      cls.lpfnWndProc = DefWindowProcA;
      cls.lpszClassName = "Shell_TrayWnd";
      RegisterClassA(&cls);
      ownTaskbar = taskbar = MakeWindow(0, screenH - 40, screenW, 40, nullptr, "Shell_TrayWnd");
    }
    RECT rect = WindowRect(taskbar);
    taskbarH = rect.bottom - rect.top;
  }
  void TearDown() override {
    if (ownTaskbar) DestroyWindow(ownTaskbar);
  }
  int screenW = 0, screenH = 0, taskbarH = 0;
  HWND ownTaskbar = nullptr;
};

}  // namespace

TEST_F(PlacementTest, PlaceNearOwner) {
  struct Case {
    int refX, refY, w, h;
    int x, y;  // expected; INT_MIN marks the screen-derived values below
  };
  const int right = screenW - 300, above = screenH - taskbarH - 200;
  Case cases[] = {
      {100, 100, 300, 200, 130, 160},                       // plain offset
      {screenW - 50, screenH - 50, 300, 200, right, above},  // bottom right: left to the edge, above the taskbar
      {10, 10, 300, screenH + 100, 40, 0},                   // taller than the screen: never above 0
      {-500, 100, 300, 200, -470, 160},                      // x is not clamped at 0
  };
  for (const Case& c : cases) {
    HWND reference = MakeWindow(c.refX, c.refY, 200, 100);
    HWND window = MakeWindow(0, 0, c.w, c.h);
    CWindowManipulation::PlaceNearOwner(window, reference);
    RECT rect = WindowRect(window);
    EXPECT_EQ(rect.left, c.x) << "reference at " << c.refX << "," << c.refY;
    EXPECT_EQ(rect.top, c.y) << "reference at " << c.refX << "," << c.refY;
    EXPECT_EQ(rect.right - rect.left, c.w);
    DestroyWindow(window);
    DestroyWindow(reference);
  }
}

TEST_F(PlacementTest, CenterOnParent) {
  struct Case {
    RECT parent;
    int x, y;
  } cases[] = {
      {{100, 100, 500, 400}, 200, 200},
      {{screenW - 100, screenH - 100, screenW + 300, screenH + 200}, screenW - 200 - 20, screenH - 100 - 20},
      {{0, -400, 400, -100}, 100, 20},
  };
  for (const Case& c : cases) {
    HWND parent = MakeWindow(c.parent.left, c.parent.top, c.parent.right - c.parent.left,
                             c.parent.bottom - c.parent.top);
    HWND window = MakeWindow(0, 0, 200, 100, parent);
    CWindowManipulation::CenterOnParent(window);
    RECT rect = WindowRect(window);
    EXPECT_EQ(rect.left, c.x);
    EXPECT_EQ(rect.top, c.y);
    DestroyWindow(window);
    DestroyWindow(parent);
  }
}

TEST_F(PlacementTest, CenterOnScreen) {
  HWND window = MakeWindow(5, 5, 301, 201);
  CWindowManipulation::CenterOnScreen(window);
  HDC dc = GetDC(window);
  RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, GetDeviceCaps(dc, HORZRES) / 2 - 150);
  EXPECT_EQ(rect.top, GetDeviceCaps(dc, VERTRES) / 2 - 100);
  ReleaseDC(window, dc);
  DestroyWindow(window);
}

TEST_F(PlacementTest, RestorePosition) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT{1, 1}, MONITOR_DEFAULTTONEAREST), &info));
  const RECT work = info.rcWork;
  struct Case {
    int savedX, savedY;
    int x, y;
    bool moved;
  } cases[] = {
      {0, 250, 0, 250, false},                                        // an unset coordinate is ignored
      {250, 0, 250, 0, false},
      {-3000, 10 + work.top, work.left + 8, 10 + work.top, true},     // off to the left
      {work.left + 50, work.top + 40, work.left + 50, work.top + 40, true},
      {work.right - 10, work.bottom - 10, work.right - 300 - 8, work.bottom - 200 - 8, true},
      {work.left + 50, work.top - 500, work.left + 50, work.top + 8, true},
  };
  for (const Case& c : cases) {
    HWND window = MakeWindow(11, 12, 300, 200);
    uint64_t result = CWindowManipulation::RestorePosition(window, PackPosition(c.savedX, c.savedY));
    EXPECT_EQ(PositionX(result), c.x) << c.savedX << "," << c.savedY;
    EXPECT_EQ(PositionY(result), c.y) << c.savedX << "," << c.savedY;
    RECT rect = WindowRect(window);
    EXPECT_EQ(rect.left, c.moved ? c.x : 11);
    EXPECT_EQ(rect.top, c.moved ? c.y : 12);
    DestroyWindow(window);
  }
}

TEST_F(PlacementTest, RestorePositionLeavesMinimisedAndMissingWindowsAlone) {
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_MINIMIZE, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
  uint64_t saved = PackPosition(-3000, 10);
  EXPECT_EQ(CWindowManipulation::RestorePosition(window, saved), saved);
  DestroyWindow(window);
  EXPECT_EQ(CWindowManipulation::RestorePosition(window, saved), saved);
  EXPECT_EQ(PositionX(PackPosition(-3, -4)), -3);
  EXPECT_EQ(PositionY(PackPosition(-3, -4)), -4);
}
