// The recipient list view: its rows, sorting, in-place editing and reading back.
#include "mailsetup/recipient_list.h"

#include <commctrl.h>

#include "ui/dpi.h"

int CRecipientList::sortColumn_ = 0;
bool CRecipientList::descending_ = false;

namespace {

const int kNameWidth = 150;  // pixels at 96 DPI

std::string CellText(HWND list, int row, int column) {
  char text[256] = "";
  ListView_GetItemText(list, row, column, text, sizeof text);
  return text;
}

void SetCellText(HWND list, int row, int column, const std::string& text) {
  ListView_SetItemText(list, row, column, const_cast<char*>(text.c_str()));
}

struct SortOrder {
  HWND list;
  int column;
  bool descending;
};

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM order) {
  auto* o = reinterpret_cast<SortOrder*>(order);
  int result = CompareCellTexts(CellText(o->list, static_cast<int>(first), o->column),
                                CellText(o->list, static_cast<int>(second), o->column));
  return o->descending ? -result : result;
}

// The editor over one cell: Enter or TAB stores its text, Escape or losing the focus drops it.
struct CellEdit {
  HWND editor = nullptr;
  WNDPROC previous = nullptr;
  HWND list = nullptr;
  int row = 0;
  int column = 0;
  bool ending = false;
};
CellEdit g_edit;

void EndCellEdit(bool store) {
  if (!g_edit.editor || g_edit.ending) return;
  g_edit.ending = true;
  if (store) {
    char text[128] = "";
    GetWindowTextA(g_edit.editor, text, sizeof text);
    SetCellText(g_edit.list, g_edit.row, g_edit.column, text);
  }
  HWND editor = g_edit.editor;
  SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_edit.previous));
  DestroyWindow(editor);
  HWND list = g_edit.list;
  g_edit = CellEdit();
  SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), kCellEditEnded),
               reinterpret_cast<LPARAM>(list));
}

LRESULT CALLBACK CellEditorProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = g_edit.previous;
  if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS | CallWindowProcA(previous, window, msg, wParam, lParam);
  if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_TAB || wParam == VK_ESCAPE)) {
    EndCellEdit(wParam != VK_ESCAPE);
    return 0;
  }
  if (msg == WM_CHAR && (wParam == '\r' || wParam == '\t' || wParam == 27)) return 0;
  if (msg == WM_KILLFOCUS) {
    LRESULT result = CallWindowProcA(previous, window, msg, wParam, lParam);
    EndCellEdit(false);
    return result;
  }
  return CallWindowProcA(previous, window, msg, wParam, lParam);
}

}  // namespace

void CRecipientList::Attach(HWND list) {
  list_ = list;
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  RECT client;
  GetClientRect(list, &client);
  int nameWidth = ScaleForWindow(list, kNameWidth);
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = nameWidth;
  column.pszText = const_cast<char*>("Recipient's Name");
  ListView_InsertColumn(list, 0, &column);
  column.cx = client.right - nameWidth;
  column.pszText = const_cast<char*>("Recipient's Email Address");
  ListView_InsertColumn(list, 1, &column);
}

void CRecipientList::Show(const std::vector<Mailbox>& recipients) {
  ListView_DeleteAllItems(list_);
  for (const Mailbox& recipient : recipients) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = const_cast<char*>(recipient.name.c_str());
    int row = ListView_InsertItem(list_, &item);
    SetCellText(list_, row, 1, recipient.address);
  }
  Sort();
  if (ListView_GetItemCount(list_) > 0 && ListView_GetSelectedCount(list_) == 0)
    ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::vector<RecipientRow> CRecipientList::Rows() const {
  std::vector<RecipientRow> rows;
  for (int row = 0; row < ListView_GetItemCount(list_); ++row)
    rows.push_back({CellText(list_, row, 0), CellText(list_, row, 1)});
  return rows;
}

void CRecipientList::Append(const Mailbox& recipient) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = ListView_GetItemCount(list_);
  item.pszText = const_cast<char*>(recipient.name.c_str());
  SetCellText(list_, ListView_InsertItem(list_, &item), 1, recipient.address);
  Sort();
}

void CRecipientList::SetRow(int row, const Mailbox& recipient) {
  SetCellText(list_, row, 0, recipient.name);
  SetCellText(list_, row, 1, recipient.address);
}

void CRecipientList::DeleteSelected() {
  std::vector<int> rows = SelectedRows();
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) ListView_DeleteItem(list_, *row);
}

std::vector<int> CRecipientList::SelectedRows() const {
  std::vector<int> rows;
  for (int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list_, row, LVNI_SELECTED))
    rows.push_back(row);
  return rows;
}

void CRecipientList::SortBy(int column) {
  EndCellEdit(true);  // the header takes no focus: the editor would stay on its row index
  descending_ = column == sortColumn_ ? !descending_ : false;
  sortColumn_ = column;
  Sort();
}

void CRecipientList::Sort() {
  SortOrder order{list_, sortColumn_, descending_};
  ListView_SortItemsEx(list_, CompareRows, reinterpret_cast<LPARAM>(&order));
  ListView_SetSelectedColumn(list_, sortColumn_);
  ShowSortArrows();
}

void CRecipientList::ShowSortArrows() {
  HWND header = ListView_GetHeader(list_);
  for (int column = 0; column < 2; ++column) {
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, column, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == sortColumn_) item.fmt |= descending_ ? HDF_SORTDOWN : HDF_SORTUP;
    Header_SetItem(header, column, &item);
  }
}

void CRecipientList::EditCell(int row, int column) {
  EndCellEdit(false);
  RECT cell = {};
  ListView_GetSubItemRect(list_, row, column, LVIR_LABEL, &cell);
  HWND editor = CreateWindowExA(0, "EDIT", CellText(list_, row, column).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left, cell.top,
                                cell.right - cell.left, cell.bottom - cell.top, list_, nullptr, nullptr, nullptr);
  if (!editor) return;
  SendMessageA(editor, WM_SETFONT, SendMessageA(list_, WM_GETFONT, 0, 0), FALSE);
  SendMessageA(editor, EM_LIMITTEXT, 127, 0);
  SendMessageA(editor, EM_SETSEL, 0, -1);
  g_edit = CellEdit{editor, nullptr, list_, row, column, false};
  g_edit.previous =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CellEditorProc)));
  SetFocus(editor);
}

HWND CRecipientList::CellEditor() { return g_edit.editor; }

void CRecipientList::EndCellEditor(bool store) { EndCellEdit(store); }
