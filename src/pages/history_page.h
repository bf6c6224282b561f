// CHistory: the History page of the sheet (template 2004). It lists the stored check summaries,
// shows the verdicts of the selected one, opens its detail file and the graphs, and deletes records.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "monitor/data_store.h"
#include "monitor/summary_record.h"
#include "pages/settings_page.h"

class CNotepad;

class CHistory : public CSettingsPage {
 public:
  // The pages' shared colours.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open; prepares the list with its state images and the bold time line.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The links and the alerts-only filter.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // Keys, selection, clicks and double clicks in the list.
  INT_PTR OnNotify(UINT_PTR controlId, NMHDR* header) override;
  // Destroys the state images.
  INT_PTR OnDestroy(WPARAM wParam, LPARAM lParam) override;
  // Activation shows the last check and fills the list; the page contract for the rest; help topic "history".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;

  // The Notepad launcher that opens detail files (the applet's own unless a test puts another in).
  void SetNotepad(CNotepad* notepad) { notepad_ = notepad; }

 private:
  void CreateStateImages();
  void PrepareList();
  void RefreshList();
  void UpdateButtons();
  bool DeleteSelected();
  void ShowVerdicts(const SummaryRecord& record);
  void ShowNoRecord();
  void ShowDetail(int item);
  void OpenGraphs();
  void OnItemChanged(const NMLISTVIEW* change);
  uint32_t ItemTime(int item) const;
  void FocusList();
  CMonitorStore Store() const;

  HWND list_ = nullptr;
  HIMAGELIST stateImages_ = nullptr;
  SummaryRecord current_;
  bool alertsOnly_ = false;
  CNotepad* notepad_ = nullptr;
};
