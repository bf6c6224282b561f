// CBasicPropPage and BasicPageProc: a page's creation and notifications.
#include "ui/basic_prop_page.h"

#include "ui/page_contract.h"

CBasicPropPage::~CBasicPropPage() { closed_ = true; }

INT_PTR CBasicPropPage::OnMessage(UINT, WPARAM, LPARAM) { return 0; }

INT_PTR CBasicPropPage::OnDestroy(WPARAM, LPARAM) { return 0; }

void CBasicPropPage::End(INT_PTR) {}

INT_PTR CBasicPropPage::OnPageNotify(HWND, HWND, UINT, int, PSHNOTIFY*) { return 0; }

void CBasicPropPage::MarkChanged() {
  if (!SettingsChanged) SettingsChanged = 1;
  SendMessageA(sheet_, PSM_CHANGED, reinterpret_cast<WPARAM>(window_), 0);
}

INT_PTR CBasicPropPage::ContractNotify(UINT code, const PSHNOTIFY* notify, const char* helpTopic) {
  if (code == PSN_RESET) CountPageReset();
  if (code == PSN_TRANSLATEACCELERATOR) TranslateHelpKey(notify, owner_, helpTopic);
  return 0;
}

namespace {

bool IsPageNotification(UINT code) {
  switch (code) {
    case PSN_SETACTIVE: case PSN_KILLACTIVE: case PSN_APPLY: case PSN_RESET: case PSN_HELP:
    case PSN_WIZBACK: case PSN_WIZNEXT: case PSN_WIZFINISH: case PSN_QUERYCANCEL:
    case PSN_TRANSLATEACCELERATOR:
      return true;
    default:
      return false;
  }
}

INT_PTR InitialisePage(HWND window, WPARAM focus, LPARAM lParam) {
  auto* record = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
  auto* page = record ? reinterpret_cast<CBasicPropPage*>(record->lParam) : nullptr;
  if (!page) return 0;
  page->Attach(window);
  page->SetSheet(GetParent(window));
  return page->OnInitDialog(reinterpret_cast<HWND>(focus), page->InitParam());
}

INT_PTR NotifyPage(CBasicPropPage* page, HWND window, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (!page->Sheet()) page->SetSheet(header->hwndFrom);
  int index = static_cast<int>(SendMessageA(page->Sheet(), PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(window), 0));
  return page->OnPageNotify(window, page->Owner(), header->code, index, reinterpret_cast<PSHNOTIFY*>(lParam));
}

}  // namespace

INT_PTR CALLBACK BasicPageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) return InitialisePage(window, wParam, lParam);
  auto* page = static_cast<CBasicPropPage*>(AttachedDialog(window));
  if (msg == WM_NOTIFY && page && lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom == GetParent(window) && IsPageNotification(header->code))
      return NotifyPage(page, window, lParam);
  }
  if (msg == WM_DESTROY) return page ? page->OnDestroy(wParam, lParam) : 0;
  return page ? RouteDialogMessage(page, msg, wParam, lParam) : 0;
}
