// High DPI: the applet's user-interface thread draws its windows at the system's DPI (a DLL
// in Control Panel's host cannot choose for the process by its manifest, so the thread asks),
// and every size this code gives in pixels is a size at 96 DPI, scaled to the window's DPI.
#pragma once
#include <windows.h>

// The DPI sizes in pixels are given at.
constexpr int kBaseDpi = 96;

// Makes the windows this thread creates from now on system-DPI-aware (Windows 10 1607 and
// later; before, they stay as the host process chose and the system stretches them).
void EnterSystemDpiAwareness();
// The DPI window is drawn at; the system's for a null window.
int WindowDpi(HWND window);
// pixels at 96 DPI at dpi, rounded to the nearest pixel.
int ScaleToDpi(int pixels, int dpi);
// pixels at 96 DPI for window.
inline int ScaleForWindow(HWND window, int pixels) { return ScaleToDpi(pixels, WindowDpi(window)); }
