// Window placement shared by every dialog of the applet. Offsets and gaps are pixels at 96 DPI,
// scaled to the window's DPI.
#pragma once
#include <windows.h>

#include <cstdint>

// A saved window position: x in the low, y in the high 32 bits.
uint64_t PackPosition(int32_t x, int32_t y);
// The x of a packed position.
int32_t PositionX(uint64_t position);
// The y of a packed position.
int32_t PositionY(uint64_t position);

// The control's rectangle in its dialog's client coordinates.
RECT RectInDialog(HWND dialog, HWND control);

class CWindowManipulation {
 public:
  // Moves window 30 right and 60 below reference's corner, kept on the virtual screen above the taskbar.
  static void PlaceNearOwner(HWND window, HWND reference);
  // Centres window on its parent, pulled back onto the virtual screen.
  static void CenterOnParent(HWND window);
  // Centres window on the screen of its device context.
  static void CenterOnScreen(HWND window);
  // Moves window to a saved position kept inside the nearest work area; returns the position used.
  static uint64_t RestorePosition(HWND window, uint64_t saved);
};
