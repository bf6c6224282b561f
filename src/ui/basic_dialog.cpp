// CBasicDialog and BasicDialogProc: one dialog's creation and message routing.
#include "ui/basic_dialog.h"

CBasicDialog::~CBasicDialog() {
  if (closed_ || !window_) return;
  if (modal_) EndDialog(window_, -1);
  Detach();
}

INT_PTR CBasicDialog::OnInitDialog(HWND, LPARAM) { return 1; }

INT_PTR CBasicDialog::OnTimer(UINT_PTR, LPARAM) { return 0; }

INT_PTR CBasicDialog::OnCommand(UINT id, UINT notifyCode, HWND control) {
  return OnMessage(WM_COMMAND, MAKEWPARAM(id, notifyCode), reinterpret_cast<LPARAM>(control));
}

INT_PTR CBasicDialog::OnNotify(UINT_PTR controlId, NMHDR* header) {
  return OnMessage(WM_NOTIFY, controlId, reinterpret_cast<LPARAM>(header));
}

// A modal dialog's loop ends through EndDialog; a quit message would also end its owner's loop.
INT_PTR CBasicDialog::OnDestroy(WPARAM wParam, LPARAM) {
  if (!modal_) PostQuitMessage(static_cast<int>(wParam));
  return 0;
}

INT_PTR CBasicDialog::OnClose() { return 0; }

void CBasicDialog::End(INT_PTR result) {
  if (closed_ || !window_) return;
  if (modal_)
    EndDialog(window_, result);
  else
    OnDestroy(static_cast<WPARAM>(result), 0);
  Detach();
}

INT_PTR CBasicDialog::RunModal(HINSTANCE module, int templateId, HWND owner) {
  owner_ = owner;
  modal_ = true;
  closed_ = false;
  window_ = nullptr;
  result_ = DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), owner, BasicDialogProc,
                            reinterpret_cast<LPARAM>(this));
  return result_;
}

void CBasicDialog::Attach(HWND window) {
  window_ = window;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CBasicDialog::Detach() {
  if (window_ && AttachedDialog(window_) == this) SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  closed_ = true;
}

CBasicDialog* AttachedDialog(HWND window) {
  return reinterpret_cast<CBasicDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

INT_PTR RouteDialogMessage(CBasicDialog* dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_DESTROY:
      return dialog->OnDestroy(wParam, lParam);
    case WM_CLOSE:
      return dialog->OnClose();
    case WM_NOTIFY:
      return dialog->OnNotify(wParam, reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
      return dialog->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_TIMER:
      return dialog->OnTimer(wParam, lParam);
    default:
      return dialog->OnMessage(msg, wParam, lParam);
  }
}

INT_PTR CALLBACK BasicDialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CBasicDialog*>(lParam);
    if (!dialog) return 0;
    dialog->Attach(window);
    return dialog->OnInitDialog(reinterpret_cast<HWND>(wParam), dialog->InitParam());
  }
  CBasicDialog* dialog = AttachedDialog(window);
  return dialog ? RouteDialogMessage(dialog, msg, wParam, lParam) : 0;
}
