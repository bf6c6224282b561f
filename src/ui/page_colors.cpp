// The pages' background and label colours.
#include "ui/page_colors.h"

#include <cstring>

#include "ui/basic_prop_page.h"
#include "ui/dialog_fonts.h"

namespace {

HBRUSH g_pageBrush = nullptr;

bool IsLinkId(int id) {
  static const int kLinkIds[] = {1503, 1166, 1167, 2267, 2258, 1303, 4, 3};
  for (int link : kLinkIds)
    if (id == link) return true;
  return false;
}

// Check boxes also ask for static colours, and some share an id with a link on another page.
bool IsStaticControl(HWND control) {
  char name[16] = "";
  GetClassNameA(control, name, sizeof name);
  return _stricmp(name, "Static") == 0;
}

// The page's body in the pages' brush. A themed sheet would paint its tab texture there
// (white under Wine) while the labels ask for the grey brush: one colour for both.
INT_PTR EraseBackground(CBasicPropPage* page, HDC dc) {
  if (!g_pageBrush || !page || !page->Window()) return 0;
  RECT client;
  GetClientRect(page->Window(), &client);
  FillRect(dc, &client, g_pageBrush);
  SetWindowLongPtrA(page->Window(), DWLP_MSGRESULT, 1);
  return 1;
}

}  // namespace

void CreatePageBrush() {
  if (!g_pageBrush) g_pageBrush = CreateSolidBrush(0xF0F0F0);
}

void DeletePageBrush() {
  if (g_pageBrush) DeleteObject(g_pageBrush);
  g_pageBrush = nullptr;
}

HBRUSH PageBrush() { return g_pageBrush; }

COLORREF LinkColor() { return GetSysColor(COLOR_BTNFACE) == 0xE3DFE0 ? 0xF54646 : GetSysColor(COLOR_HOTLIGHT); }

INT_PTR PageCtlColor(CBasicPropPage* page, UINT msg, HDC dc, HWND control) {
  if (msg == WM_ERASEBKGND) return EraseBackground(page, dc);
  if (msg == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(g_pageBrush);
  if (msg != WM_CTLCOLORSTATIC) return 0;
  if (IsLinkId(GetDlgCtrlID(control)) && IsStaticControl(control)) {
    if (UnderlinedDialogFont()) SelectObject(dc, UnderlinedDialogFont());
    SetTextColor(dc, LinkColor());
  } else {
    SetTextColor(dc, RGB(0, 0, 0));
  }
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(g_pageBrush);
}
