// CBasicPropPage: a CBasicDialog that is one page of a property sheet, with BasicPageProc
// routing the sheet's notifications to OnPageNotify.
#pragma once
#include <windows.h>
#include <prsht.h>

#include "ui/basic_dialog.h"

class CBasicPropPage : public CBasicDialog {
 public:
  // Never ends or detaches the page's window: the sheet owns it.
  ~CBasicPropPage() override;

  // Pages handle no other message unless they say so.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // No quit message: the page goes with its sheet.
  INT_PTR OnDestroy(WPARAM wParam, LPARAM lParam) override;
  // A page ends with its sheet.
  void End(INT_PTR result) override;
  // One property-sheet notification (PSN_ code) for the page at pageIndex.
  virtual INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify);
  // Records a change applet-wide and enables the sheet's Apply button.
  virtual void MarkChanged();

  // The property sheet window.
  HWND Sheet() const { return sheet_; }
  // Sets the property sheet window.
  void SetSheet(HWND sheet) { sheet_ = sheet; }

 protected:
  // The contract's steps for PSN_RESET and PSN_TRANSLATEACCELERATOR, help on helpTopic; returns 0.
  INT_PTR ContractNotify(UINT code, const PSHNOTIFY* notify, const char* helpTopic);

 private:
  HWND sheet_ = nullptr;
};

// The dialog procedure of every page: lParam of WM_INITDIALOG is the PROPSHEETPAGE whose lParam is the page.
INT_PTR CALLBACK BasicPageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
