// Placing windows near their owner, centred, or where they last were, at 96-DPI offsets.
#include "ui/window_manipulation.h"

#include "ui/dpi.h"

namespace {

SIZE WindowSize(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

int TaskbarHeight() {
  HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  RECT rect = {};
  if (!taskbar || !GetWindowRect(taskbar, &rect)) return 0;
  return rect.bottom - rect.top;
}

}  // namespace

uint64_t PackPosition(int32_t x, int32_t y) {
  return static_cast<uint32_t>(x) | (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32);
}

int32_t PositionX(uint64_t position) { return static_cast<int32_t>(static_cast<uint32_t>(position)); }

int32_t PositionY(uint64_t position) { return static_cast<int32_t>(static_cast<uint32_t>(position >> 32)); }

RECT RectInDialog(HWND dialog, HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void CWindowManipulation::PlaceNearOwner(HWND window, HWND reference) {
  RECT ref = {};
  GetWindowRect(reference, &ref);
  SIZE size = WindowSize(window);
  int screenW = GetSystemMetrics(SM_CXVIRTUALSCREEN), screenH = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  int taskbar = TaskbarHeight();
  int x = ref.left + ScaleForWindow(window, 30), y = ref.top + ScaleForWindow(window, 60);
  if (x + size.cx > screenW) x = screenW - size.cx;
  if (y + size.cy > screenH - taskbar) y = screenH - taskbar - size.cy;
  if (y < 0) y = 0;
  MoveWindow(window, x, y, size.cx, size.cy, FALSE);
}

void CWindowManipulation::CenterOnParent(HWND window) {
  RECT parent = {};
  GetWindowRect(GetParent(window), &parent);
  SIZE size = WindowSize(window);
  int x = parent.left + (parent.right - parent.left - size.cx) / 2;
  int y = parent.top + (parent.bottom - parent.top - size.cy) / 2;
  int gap = ScaleForWindow(window, 20);
  if (x + size.cx > GetSystemMetrics(SM_CXVIRTUALSCREEN)) x = GetSystemMetrics(SM_CXVIRTUALSCREEN) - size.cx - gap;
  if (y + size.cy > GetSystemMetrics(SM_CYVIRTUALSCREEN)) y = GetSystemMetrics(SM_CYVIRTUALSCREEN) - size.cy - gap;
  if (y < 0) y = gap;
  MoveWindow(window, x, y, size.cx, size.cy, FALSE);
}

void CWindowManipulation::CenterOnScreen(HWND window) {
  HDC dc = GetDC(window);
  int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
  ReleaseDC(window, dc);
  SIZE size = WindowSize(window);
  MoveWindow(window, width / 2 - size.cx / 2, height / 2 - size.cy / 2, size.cx, size.cy, TRUE);
}

uint64_t CWindowManipulation::RestorePosition(HWND window, uint64_t saved) {
  int x = PositionX(saved), y = PositionY(saved);
  if (x == 0 || y == 0) return saved;
  if (!IsWindow(window) || IsIconic(window) || IsZoomed(window)) return saved;
  SIZE size = WindowSize(window);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
  if (monitor && GetMonitorInfoA(monitor, &info)) {
    const RECT& work = info.rcWork;
    int savedX = x, savedY = y, gap = ScaleForWindow(window, 8);
    if (x < work.left) x = work.left + gap;
    if (savedX + size.cx > work.right) x = work.right - size.cx - gap;
    if (y < work.top) y = work.top + gap;
    if (savedY + size.cy > work.bottom) y = work.bottom - size.cy - gap;
  }
  MoveWindow(window, x, y, size.cx, size.cy, FALSE);
  return PackPosition(x, y);
}
