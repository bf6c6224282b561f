// The pages' colours: one light grey for the body and its labels on any theme, and link-like
// statics in the hot-light colour.
#pragma once
#include <windows.h>

class CBasicPropPage;

// Creates the pages' background brush (colour 0xF0F0F0).
void CreatePageBrush();
// Deletes the pages' background brush.
void DeletePageBrush();
// The pages' background brush.
HBRUSH PageBrush();
// The colour of link-like statics on this system.
COLORREF LinkColor();
// The shared colour handler of the pages: WM_ERASEBKGND fills the body with the pages' brush,
// WM_CTLCOLORDLG and WM_CTLCOLORSTATIC give it; 0 for other messages.
INT_PTR PageCtlColor(CBasicPropPage* page, UINT msg, HDC dc, HWND control);
