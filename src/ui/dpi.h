// High DPI: the applet draws its windows at the system's DPI (the process, or inside a host
// that has chosen already the thread, is made system-DPI-aware), and every size this code
// gives in pixels is a size at 96 DPI, scaled to the DPI of the window it is used in.
#pragma once
#include <windows.h>

// The DPI sizes in pixels are given at.
constexpr int kBaseDpi = 96;

// Makes the windows this thread creates from now on system-DPI-aware: the process where the
// host has not chosen, else this thread; nothing on systems before Windows Vista.
void EnterSystemDpiAwareness();
// The DPI window is drawn at; the system's for a null window.
int WindowDpi(HWND window);
// pixels at 96 DPI at dpi, rounded to the nearest pixel.
int ScaleToDpi(int pixels, int dpi);
// pixels at 96 DPI for window.
inline int ScaleForWindow(HWND window, int pixels) { return ScaleToDpi(pixels, WindowDpi(window)); }
