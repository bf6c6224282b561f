#include "pages/logging_page.h"

#include "ui/page_colors.h"
#include "ui/page_contract.h"

INT_PTR CLogging::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return PageCtlColor(this, msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
}

INT_PTR CLogging::OnInitDialog(HWND, LPARAM) {
  CountPageOpened();
  return 1;
}

INT_PTR CLogging::OnPageNotify(HWND, HWND, UINT code, int, PSHNOTIFY* notify) {
  return ContractNotify(code, notify, "logs");
}
