// CBasicDialog: the object that drives one dialog template, with BasicDialogProc routing
// the dialog's messages to its virtual operations.
#pragma once
#include <windows.h>

#include "ui/window_manipulation.h"

class CBasicDialog : public CWindowManipulation {
 public:
  CBasicDialog() = default;
  // Ends a dialog still showing with -1 and detaches it from its window.
  virtual ~CBasicDialog();
  CBasicDialog(const CBasicDialog&) = delete;
  CBasicDialog& operator=(const CBasicDialog&) = delete;

  // Every message not routed to another operation.
  virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // WM_INITDIALOG; returns 1 to let the system place the focus.
  virtual INT_PTR OnInitDialog(HWND focus, LPARAM initParam);
  // WM_TIMER.
  virtual INT_PTR OnTimer(UINT_PTR timerId, LPARAM lParam);
  // WM_COMMAND; by default handed to OnMessage.
  virtual INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control);
  // WM_NOTIFY; by default handed to OnMessage.
  virtual INT_PTR OnNotify(UINT_PTR controlId, NMHDR* header);
  // WM_DESTROY; a modeless dialog ends the thread's message loop.
  virtual INT_PTR OnDestroy(WPARAM wParam, LPARAM lParam);
  // WM_CLOSE.
  virtual INT_PTR OnClose();
  // Closes the dialog with result and detaches the object from its window.
  virtual void End(INT_PTR result);

  // Runs template templateId of module modally with owner; returns and keeps the result.
  INT_PTR RunModal(HINSTANCE module, int templateId, HWND owner);

  // The dialog window (null before WM_INITDIALOG).
  HWND Window() const { return window_; }
  // The owner given to the platform.
  HWND Owner() const { return owner_; }
  // The value the modal run returned.
  INT_PTR Result() const { return result_; }
  // Whether the object has ended or detached its window.
  bool Closed() const { return closed_; }
  // Sets the value handed to OnInitDialog.
  void SetInitParam(LPARAM param) { initParam_ = param; }

  // Attaches the object to window (WM_INITDIALOG of BasicDialogProc and BasicPageProc).
  void Attach(HWND window);
  // The value handed to OnInitDialog.
  LPARAM InitParam() const { return initParam_; }

 protected:
  // Detaches the object from its window and marks it closed.
  void Detach();

  HWND window_ = nullptr;
  HWND owner_ = nullptr;
  INT_PTR result_ = 0;
  bool closed_ = false;
  bool modal_ = true;
  LPARAM initParam_ = 0;
};

// The dialog procedure of every CBasicDialog: lParam of WM_INITDIALOG is the object.
INT_PTR CALLBACK BasicDialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// The object attached to window, or null.
CBasicDialog* AttachedDialog(HWND window);
// Routes one message of an attached window to its object's operation.
INT_PTR RouteDialogMessage(CBasicDialog* dialog, UINT msg, WPARAM wParam, LPARAM lParam);
