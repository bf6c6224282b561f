// Creating the bold, underlined and monospace dialog fonts.
#include "ui/dialog_fonts.h"

#include <cstring>

namespace {

HFONT g_bold = nullptr;
HFONT g_underlined = nullptr;
HFONT g_monospace = nullptr;

void DeleteFont(HFONT* font) {
  if (*font) DeleteObject(*font);
  *font = nullptr;
}

}  // namespace

void CreateDialogFonts(HWND window) {
  DeleteDialogFonts();
  auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTA base = {};
  GetObjectA(font, sizeof base, &base);
  LOGFONTA bold = base;
  bold.lfWeight |= FW_BOLD;
  g_bold = CreateFontIndirectA(&bold);
  LOGFONTA underlined = base;
  underlined.lfUnderline = 1;
  g_underlined = CreateFontIndirectA(&underlined);
  LOGFONTA monospace = base;
  strcpy(monospace.lfFaceName, "Lucida Console");
  monospace.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  g_monospace = CreateFontIndirectA(&monospace);
}

void DeleteDialogFonts() {
  DeleteFont(&g_bold);
  DeleteFont(&g_underlined);
  DeleteFont(&g_monospace);
}

HFONT BoldDialogFont() { return g_bold; }

HFONT UnderlinedDialogFont() { return g_underlined; }

HFONT MonospaceDialogFont() { return g_monospace; }
