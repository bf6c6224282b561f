// CBasicPropSheet: building and running the property sheet.
#include "ui/basic_prop_sheet.h"

#include "platform/module.h"
#include "platform/registry_encoding.h"
#include "ui/basic_prop_page.h"

namespace {

HICON g_sheetSmallIcon = nullptr;
HICON g_sheetLargeIcon = nullptr;

// DS_CONTEXTHELP off in a DLGTEMPLATE or DLGTEMPLATEEX (second word 0xFFFF, style at byte 12).
void ClearContextHelp(void* dialogTemplate) {
  auto* words = static_cast<WORD*>(dialogTemplate);
  auto* style = words[1] == 0xFFFF ? reinterpret_cast<DWORD*>(static_cast<BYTE*>(dialogTemplate) + 12)
                                   : reinterpret_cast<DWORD*>(dialogTemplate);
  *style &= ~static_cast<DWORD>(DS_CONTEXTHELP);
}

}  // namespace

int CALLBACK BasicSheetCallback(HWND sheet, UINT message, LPARAM lParam) {
  switch (message) {
    case PSCB_INITIALIZED:
      SendMessageA(sheet, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_sheetSmallIcon));
      SendMessageA(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_sheetLargeIcon));
      return 1;
    case PSCB_PRECREATE:
      if (lParam) ClearContextHelp(reinterpret_cast<void*>(lParam));
      return 1;
    default:
      return 0;
  }
}

void CBasicPropSheet::AddPage(int templateId, CBasicPropPage* page, const char* title) {
  PROPSHEETPAGEA record = {};
  record.dwSize = sizeof record;
  record.hInstance = AppletModule();
  record.pszTemplate = MAKEINTRESOURCEA(templateId);
  record.pfnDlgProc = BasicPageProc;
  record.lParam = reinterpret_cast<LPARAM>(page);
  if (title && *title) {
    titles_.emplace_back(title);
    record.dwFlags |= PSP_USETITLE;
    record.pszTitle = titles_.back().c_str();
  }
  page->SetInitParam(0);
  pages_.push_back(record);
}

void CBasicPropSheet::SetIcons(HICON smallIcon, HICON largeIcon) {
  smallIcon_ = smallIcon;
  largeIcon_ = largeIcon;
}

INT_PTR CBasicPropSheet::Run() {
  if (pages_.empty()) return -1;
  g_sheetSmallIcon = smallIcon_;
  g_sheetLargeIcon = largeIcon_;
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPTITLE | PSH_USEHICON | PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_NOCONTEXTHELP;
  header.hInstance = AppletModule();
  header.hIcon = largeIcon_;
  header.pszCaption = kProductTitle;
  header.nPages = static_cast<UINT>(pages_.size());
  header.nStartPage = 0;
  header.ppsp = pages_.data();
  header.pfnCallback = BasicSheetCallback;
  return PropertySheetA(&header);
}
