// CHistory: the History page of the sheet (template 2004). It lists the stored check summaries,
// shows the verdicts of the selected one, opens its detail file and the graphs, and deletes records.
// The list is virtual over the page's copy of the data folder, which a listing thread brings up
// to date each time the page becomes active, reading only what changed.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "monitor/data_store.h"
#include "monitor/summary_record.h"
#include "pages/history_loader.h"
#include "pages/history_records.h"
#include "pages/settings_page.h"

class CNotepad;

class CHistory : public CSettingsPage {
 public:
  // The pages' shared colours; the listing's batches.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Counts the page open; prepares the list with its state images and the bold time line.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The links and the alerts-only filter.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // The items' texts and images, keys, selection, clicks and double clicks in the list.
  INT_PTR OnNotify(UINT_PTR controlId, NMHDR* header) override;
  // Ends a listing in progress; destroys the state images.
  INT_PTR OnDestroy(WPARAM wParam, LPARAM lParam) override;
  // Activation shows the last check and the list, and lists the folder again; the page
  // contract for the rest; help topic "history".
  INT_PTR OnPageNotify(HWND pageWindow, HWND owner, UINT code, int pageIndex, PSHNOTIFY* notify) override;

  // The Notepad launcher that opens detail files (the applet's own unless a test puts another in).
  void SetNotepad(CNotepad* notepad) { notepad_ = notepad; }
  // Whether the list shows the folder as its last listing found it, with no listing running.
  bool Listed() const { return loader_ && !loader_->Busy() && !rescan_; }

 private:
  void CreateStateImages();
  void PrepareList();
  void StartListing();
  void TakeBatch();
  void ShowRecords();
  void SelectNewest();
  void SelectItem(int item);
  void UpdateButtons();
  bool DeleteSelected();
  void ShowVerdicts(const SummaryRecord& record);
  void ShowNoRecord();
  void ShowDetail(int item);
  void OpenGraphs();
  void OnItemChanged(const NMLISTVIEW* change);
  void GetItemDisplay(NMLVDISPINFOW* display) const;
  const HistoryEntry* Entry(int item) const;
  void FocusList();
  CMonitorStore Store() const;

  HWND list_ = nullptr;
  HIMAGELIST stateImages_ = nullptr;
  SummaryRecord current_;
  bool alertsOnly_ = false;
  CNotepad* notepad_ = nullptr;
  CHistoryRecords records_;                  // the page's copy of the data folder
  std::vector<const HistoryEntry*> shown_;   // the list's items, oldest first
  std::unique_ptr<CHistoryLoader> loader_;
  bool rescan_ = false;         // list the folder again when the running listing ends
  bool selectNewest_ = false;   // select the newest item when the running listing ends
  bool listingChanged_ = false;  // the running listings have changed the list
  bool restoring_ = false;      // the page itself is changing the selection
  std::set<std::string> deleted_;  // files deleted while a listing ran
};
