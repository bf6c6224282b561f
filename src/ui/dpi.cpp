// The thread's system DPI awareness, a window's DPI and the scaling of 96-DPI sizes.
#include "ui/dpi.h"

namespace {

// DPI_AWARENESS_CONTEXT_SYSTEM_AWARE, and the functions that take or give DPI per thread and
// per window: Windows 10 1607 and later, looked up by name.
const HANDLE kSystemAware = reinterpret_cast<HANDLE>(-2);
using SetThreadContextFn = HANDLE(WINAPI*)(HANDLE context);
using WindowDpiFn = UINT(WINAPI*)(HWND window);

template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

void EnterSystemDpiAwareness() {
  if (auto setThread = User32Function<SetThreadContextFn>("SetThreadDpiAwarenessContext")) setThread(kSystemAware);
}

int WindowDpi(HWND window) {
  static const auto forWindow = User32Function<WindowDpiFn>("GetDpiForWindow");
  UINT dpi = window && forWindow ? forWindow(window) : 0;
  return dpi ? static_cast<int>(dpi) : ScreenDpi();
}

int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }
