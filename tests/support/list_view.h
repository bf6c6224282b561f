// What dialog tests read from a report list view and do to it as a user would: its rows and
// cells, the selection and the check boxes.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// The text of one cell.
inline std::string ListCell(HWND list, int row, int column = 0) {
  char text[256] = "";
  ListView_GetItemText(list, row, column, text, sizeof text);
  return text;
}
// The texts of every column of a row.
inline std::vector<std::string> ListRow(HWND list, int row) {
  std::vector<std::string> cells;
  int columns = Header_GetItemCount(ListView_GetHeader(list));
  for (int column = 0; column < columns; ++column) cells.push_back(ListCell(list, row, column));
  return cells;
}
// The texts of one column, row by row.
inline std::vector<std::string> ListColumn(HWND list, int column = 0) {
  std::vector<std::string> cells;
  for (int row = 0; row < ListView_GetItemCount(list); ++row) cells.push_back(ListCell(list, row, column));
  return cells;
}
// The selected rows, in order.
inline std::vector<int> SelectedRows(HWND list) {
  std::vector<int> rows;
  for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list, row, LVNI_SELECTED))
    rows.push_back(row);
  return rows;
}
// Selects exactly rows, the last of them focused.
inline void SelectRows(HWND list, const std::vector<int>& rows) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
// The state image of a row: 1 for an empty check box, 2 for a checked one, 0 for none.
inline UINT CheckImage(HWND list, int row) { return ListView_GetItemState(list, row, LVIS_STATEIMAGEMASK) >> 12; }
// Checks or clears a row's check box.
inline void SetCheck(HWND list, int row, bool checked) {
  ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}
