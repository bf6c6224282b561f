// CReferenceEditor: the reference editor (template 200). It chooses how the service finds its
// reference time and edits the list of reference time sources of the settings record: each row
// one time-source line, its check box the source's enabled state.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "sampling/time_source.h"
#include "ui/basic_dialog.h"

struct CMonitorSettings;

// The list's columns: widths in pixels (the last one's is made to fill the rest) and headings.
struct ReferenceColumns {
  std::array<int, 5> widths;
  std::array<const char*, 5> headings;
};
// The columns the Setup page opens the editor with.
extern const ReferenceColumns kSetupReferenceColumns;

class CReferenceEditor : public CBasicDialog {
 public:
  explicit CReferenceEditor(const ReferenceColumns& columns = kSetupReferenceColumns) : columns_(columns) {}

  // The list's context menu.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // initParam: the settings record (CMonitorSettings*). Loads the installed product's keyring
  // and shows the record's mode, analysis switch and sources.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // The buttons, the mode list, OK's check and Cancel.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;
  // Keys, check boxes, clicks, double clicks and renaming in the list.
  INT_PTR OnNotify(UINT_PTR controlId, NMHDR* header) override;

 private:
  void PrepareList();
  void FillModes();
  void Refresh();
  int AppendRow(const std::string& line, const TimeSourceSpec& spec);
  void ShowRow(int row, const TimeSourceSpec& spec);
  void SelectAndFocus(int row);
  void SwapRows(int first, int second);
  void Move(bool up);
  void AddSource();
  void EditFocused();
  void DeleteSelected();
  void TestFocused();
  bool Accept();
  void ShowContextMenu(LPARAM screenPoint);
  void OnItemChanged(const NMLISTVIEW* change);
  void OnDoubleClick(const NMITEMACTIVATE* click);
  void Rename(int row, const char* typed);
  LPARAM RowId(int row) const;
  std::string& RowLine(int row) { return rows_[RowId(row)].line; }
  std::vector<bool> Selection() const;
  int FocusedRow() const { return ListView_GetNextItem(list_, -1, LVNI_FOCUSED); }
  void Post(UINT command) { PostMessageA(window_, WM_COMMAND, command, 0); }
  INT_PTR NotifyResult(LRESULT result);

  ReferenceColumns columns_;
  CMonitorSettings* settings_ = nullptr;
  HWND list_ = nullptr;
  // What a row shows, kept by the row's lParam so that it moves with the row.
  struct Row {
    std::string line;
    std::array<std::string, 5> texts;
    bool isDomain = false;
  };
  void WriteTexts(int row);

  std::map<LPARAM, Row> rows_;
  LPARAM nextId_ = 0;
  bool updating_ = false;  // rows changed by the dialog itself, not by the user
};

// Runs a reference editor modally over owner on settings' reference part; 1 after OK, 2 after Cancel.
INT_PTR RunReferenceEditor(HWND owner, CMonitorSettings* settings);
