// The fonts the dialogs share: bold, underlined and monospace variants of the dialog font.
#pragma once
#include <windows.h>

// Creates the three fonts from window's font (the default GUI font when it has none).
void CreateDialogFonts(HWND window);
// Deletes each font that exists.
void DeleteDialogFonts();
// The bold font (null before CreateDialogFonts).
HFONT BoldDialogFont();
// The underlined font of link-like statics.
HFONT UnderlinedDialogFont();
// The monospace font of the test results box.
HFONT MonospaceDialogFont();
