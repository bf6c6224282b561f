#include "ui/dpi.h"

namespace {

// DPI_AWARENESS_CONTEXT_SYSTEM_AWARE; the functions that take it exist from Windows 10 1607
// (the process one from 1703) and are looked up by name.
const HANDLE kSystemAware = reinterpret_cast<HANDLE>(-2);
using SetProcessContextFn = BOOL(WINAPI*)(HANDLE context);
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
  auto setProcess = User32Function<SetProcessContextFn>("SetProcessDpiAwarenessContext");
  if (setProcess && setProcess(kSystemAware)) return;
  // The host's manifest or an earlier call chose for the process: this thread chooses for itself.
  if (auto setThread = User32Function<SetThreadContextFn>("SetThreadDpiAwarenessContext")) {
    setThread(kSystemAware);
    return;
  }
  if (!setProcess) SetProcessDPIAware();  // before Windows 10: system-aware is all there is
}

int WindowDpi(HWND window) {
  static const auto forWindow = User32Function<WindowDpiFn>("GetDpiForWindow");
  UINT dpi = window && forWindow ? forWindow(window) : 0;
  return dpi ? static_cast<int>(dpi) : ScreenDpi();
}

int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }
