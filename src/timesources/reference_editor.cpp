// CReferenceEditor: the reference list, its rows, buttons and check boxes.
#include "timesources/reference_editor.h"

#include <windowsx.h>

#include <algorithm>
#include <numeric>

#include "monitor/settings.h"
#include "platform/blank_text.h"
#include "platform/host_name.h"
#include "platform/module.h"
#include "sampling/installed_product.h"
#include "sampling/keyring.h"
#include "timesources/edit_time_source.h"
#include "timesources/source_rules.h"
#include "timesources/time_source_test_dialog.h"
#include "timesources/timesources_resource.h"
#include "ui/control_utils.h"
#include "ui/dpi.h"
#include "ui/msg_box.h"
#include "ui/wait_cursor.h"

const ReferenceColumns kSetupReferenceColumns = {{200, 80, 75, 45, -1},
                                                 {"Server Name or IP", "Protocol", "Auth", "Reps", "Delay"}};

namespace {

constexpr UINT kRenameCommand = 0x7000;  // the context menu's own; never posted
constexpr uint32_t kDefaultMode = 2;
const int kRowButtons[] = {IDC_REFERENCE_DELETE, IDC_REFERENCE_EDIT, IDC_REFERENCE_MOVE_UP, IDC_REFERENCE_MOVE_DOWN};
const UINT kRowState = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;

// Marks changes the dialog makes itself for as long as it lives.
class CFlagScope {
 public:
  explicit CFlagScope(bool* flag) : flag_(flag), old_(*flag) { *flag = true; }
  ~CFlagScope() { *flag_ = old_; }
  CFlagScope(const CFlagScope&) = delete;
  CFlagScope& operator=(const CFlagScope&) = delete;

 private:
  bool* flag_;
  bool old_;
};

}  // namespace

INT_PTR CReferenceEditor::OnInitDialog(HWND, LPARAM initParam) {
  LoadKeyring(GetInstalledProductKey());
  PlaceNearOwner(window_, owner_ ? owner_ : GetParent(window_));
  settings_ = reinterpret_cast<CMonitorSettings*>(initParam);
  list_ = GetDlgItem(window_, IDC_REFERENCE_LIST);
  rows_.clear();
  PrepareList();
  {
    CWaitCursor wait;  // a domain source's controller is looked up
    for (const std::string& line : settings_->referenceClocks) {
      TimeSourceSpec spec;
      if (ParseTimeSource(spec, line, true)) AppendRow(line, spec);
    }
  }
  FillModes();
  CheckDlgButton(window_, IDC_REFERENCE_ANALYZE, settings_->referenceClockAnalyze ? BST_CHECKED : BST_UNCHECKED);
  std::string note = "NOTE: Auto-discovery will omit " + ComputerName() + " even if it is a time server";
  SetDlgItemTextA(window_, IDC_REFERENCE_NOTE, note.c_str());
  Refresh();
  return 1;
}

// The widths are pixels at 96 DPI; the last column fills what the others and a vertical scroll
// bar leave.
void CReferenceEditor::PrepareList() {
  ListView_SetExtendedListViewStyle(list_,
                                    LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
  RECT client = {};
  GetClientRect(list_, &client);
  std::array<int, 5> widths = columns_.widths;
  for (int i = 0; i < 4; ++i) widths[i] = ScaleForWindow(list_, widths[i]);
  int others = std::accumulate(widths.begin(), widths.end() - 1, 0);
  widths[4] = std::max(0, int(client.right - client.left) - GetSystemMetrics(SM_CXVSCROLL) - others);
  for (int i = 0; i < 5; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = widths[i];
    column.pszText = const_cast<char*>(columns_.headings[i]);
    SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

// A stored mode the list does not know shows as the default, so that OK stores a known one.
void CReferenceEditor::FillModes() {
  for (const ReferenceMode& mode : kReferenceModes) AddComboItem(window_, IDC_REFERENCE_MODE, mode.text, mode.code);
  if (SelectComboByData(window_, IDC_REFERENCE_MODE, settings_->referenceClockType) < 0)
    SelectComboByData(window_, IDC_REFERENCE_MODE, kDefaultMode);
}

void CReferenceEditor::Refresh() {
  auto mode = static_cast<uint32_t>(GetComboSelData(window_, IDC_REFERENCE_MODE));
  ReferenceControls state = ReferenceControlState(mode, ListView_GetSelectedCount(list_) > 0);
  EnableWindow(list_, state.list);
  EnableItem(window_, IDC_REFERENCE_ADD, state.list);
  for (int id : kRowButtons) EnableItem(window_, id, state.rowButtons);
  EnableItem(window_, IDC_REFERENCE_ANALYZE, state.analyze);
  ShowWindow(GetDlgItem(window_, IDC_REFERENCE_NOTE), state.note ? SW_SHOW : SW_HIDE);
}

// The list view notifies the insert of a row with its check box unticked: that is the dialog's
// own change, never the user's, or the line would take the "disabled " prefix.
int CReferenceEditor::AppendRow(const std::string& line, const TimeSourceSpec& spec) {
  CFlagScope updating(&updating_);
  LPARAM id = ++nextId_;
  rows_[id].line = line;
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = ListView_GetItemCount(list_);
  item.pszText = const_cast<char*>("");
  item.lParam = id;
  int row = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  ShowRow(row, spec);
  return row;
}

// The row's texts and check box from its parsed line.
void CReferenceEditor::ShowRow(int row, const TimeSourceSpec& spec) {
  CFlagScope updating(&updating_);
  Row& data = rows_[RowId(row)];
  data.texts = ReferenceRowTexts(spec);
  data.isDomain = spec.isDomain;
  WriteTexts(row);
  ListView_SetItemState(list_, row, INDEXTOSTATEIMAGEMASK(spec.enabled ? 2 : 1), LVIS_STATEIMAGEMASK);
}

void CReferenceEditor::WriteTexts(int row) {
  const Row& data = rows_[RowId(row)];
  for (int column = 0; column < 5; ++column) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(data.texts[column].c_str());
    SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  }
}

LPARAM CReferenceEditor::RowId(int row) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.lParam;
}

std::vector<bool> CReferenceEditor::Selection() const {
  std::vector<bool> selected(ListView_GetItemCount(list_));
  for (size_t i = 0; i < selected.size(); ++i)
    selected[i] = ListView_GetItemState(list_, int(i), LVIS_SELECTED) != 0;
  return selected;
}

// The other selected rows stay selected; the focus moves to row.
void CReferenceEditor::SelectAndFocus(int row) {
  CFlagScope updating(&updating_);
  ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, row, FALSE);
}

// Two rows exchange their line, texts, selection, focus and check box.
void CReferenceEditor::SwapRows(int first, int second) {
  CFlagScope updating(&updating_);
  LPARAM ids[2] = {RowId(first), RowId(second)};
  UINT states[2] = {ListView_GetItemState(list_, first, kRowState), ListView_GetItemState(list_, second, kRowState)};
  int rows[2] = {first, second};
  for (int i = 0; i < 2; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = rows[i];
    item.lParam = ids[1 - i];
    SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    ListView_SetItemState(list_, rows[i], states[1 - i], kRowState);
    WriteTexts(rows[i]);
  }
  ListView_EnsureVisible(list_, second, FALSE);
}

void CReferenceEditor::Move(bool up) {
  for (int row : up ? MoveUpSwaps(Selection()) : MoveDownSwaps(Selection())) SwapRows(row, up ? row - 1 : row + 1);
  Refresh();
}

void CReferenceEditor::AddSource() {
  std::string line;
  if (RunTimeSourceEditor(window_, &line) != IDOK) return;
  SelectAndFocus(AppendRow(line, TimeSourceEditor().Record()));
  Refresh();
}

void CReferenceEditor::EditFocused() {
  int row = FocusedRow();
  if (row < 0) return;
  std::string line = RowLine(row);
  if (RunTimeSourceEditor(window_, &line) != IDOK) return;
  RowLine(row) = line;
  ShowRow(row, TimeSourceEditor().Record());
  SelectAndFocus(row);
  Refresh();
}

void CReferenceEditor::DeleteSelected() {
  for (int row = ListView_GetItemCount(list_) - 1; row >= 0 && ListView_GetSelectedCount(list_) > 0; --row) {
    if (!ListView_GetItemState(list_, row, LVIS_SELECTED)) continue;
    rows_.erase(RowId(row));
    ListView_DeleteItem(list_, row);
  }
  Refresh();
}

void CReferenceEditor::TestFocused() {
  int row = FocusedRow();
  if (row >= 0) RunTimeSourceTest(window_, RowLine(row));
}

bool CReferenceEditor::Accept() {
  auto mode = static_cast<uint32_t>(GetComboSelData(window_, IDC_REFERENCE_MODE));
  std::vector<std::string> lines;
  for (int row = 0; row < ListView_GetItemCount(list_); ++row) lines.push_back(RowLine(row));
  if (!ReferenceListAcceptable(mode, lines)) {
    MsgBox(window_,
           "You have chosen to use a list of servers, but have not provided a list. You must have at least one "
           "enabled server to use a list.",
           "Reference Clock Editor", MB_OK | MB_ICONEXCLAMATION, "List is empty");
    return false;
  }
  settings_->referenceClockType = mode;
  settings_->referenceClockAnalyze = IsDlgButtonChecked(window_, IDC_REFERENCE_ANALYZE) == BST_CHECKED;
  settings_->referenceClocks = lines;
  return true;
}

INT_PTR CReferenceEditor::OnCommand(UINT id, UINT notifyCode, HWND) {
  switch (id) {
    case IDC_REFERENCE_ADD: AddSource(); break;
    case IDC_REFERENCE_EDIT: EditFocused(); break;
    case IDC_REFERENCE_DELETE: DeleteSelected(); break;
    case IDC_REFERENCE_MOVE_UP: Move(true); break;
    case IDC_REFERENCE_MOVE_DOWN: Move(false); break;
    case IDC_REFERENCE_TEST: TestFocused(); break;
    case IDC_REFERENCE_MODE:
      if (notifyCode == CBN_SELCHANGE) Refresh();
      break;
    case IDOK:
      if (notifyCode == BN_CLICKED && Accept()) End(IDOK);
      break;
    case IDCANCEL:
      if (notifyCode == BN_CLICKED) End(IDCANCEL);
      break;
    default:
      return 0;
  }
  return 1;
}

INT_PTR CReferenceEditor::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_CONTEXTMENU || reinterpret_cast<HWND>(wParam) != list_) return 0;
  ShowContextMenu(lParam);
  return 1;
}

// The menu at the clicked point, or under the focused row when the keyboard asked for it.
void CReferenceEditor::ShowContextMenu(LPARAM screenPoint) {
  POINT at = {GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  int hit = -1;
  if (screenPoint == -1) {
    hit = FocusedRow();
    RECT label = {};
    if (hit >= 0) ListView_GetItemRect(list_, hit, &label, LVIR_LABEL);
    at = {label.left, label.bottom};
    ClientToScreen(list_, &at);
  } else {
    LVHITTESTINFO test = {};
    test.pt = at;
    ScreenToClient(list_, &test.pt);
    hit = ListView_HitTest(list_, &test);
  }
  UINT rowEntry = MF_STRING | (hit >= 0 && ListView_GetSelectedCount(list_) > 0 ? MF_ENABLED : MF_GRAYED);
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, IDC_REFERENCE_ADD, "Add Server");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, rowEntry, kRenameCommand, "&Rename");
  AppendMenuA(menu, rowEntry, IDC_REFERENCE_DELETE, "&Delete");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, rowEntry, IDC_REFERENCE_TEST, "&Test");
  AppendMenuA(menu, rowEntry, IDC_REFERENCE_EDIT, "P&roperties");
  UINT command = TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, window_, nullptr);
  DestroyMenu(menu);
  PostMessageA(window_, WM_NULL, 0, 0);
  if (command == kRenameCommand) {
    SetFocus(list_);
    ListView_EditLabel(list_, hit);
  } else if (command) {
    Post(command);
  }
}

INT_PTR CReferenceEditor::OnNotify(UINT_PTR controlId, NMHDR* header) {
  if (controlId != IDC_REFERENCE_LIST) return 1;
  switch (header->code) {
    case LVN_KEYDOWN: {
      WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
      if (key == VK_INSERT) Post(IDC_REFERENCE_ADD);
      if (key == VK_DELETE) Post(IDC_REFERENCE_DELETE);
      return 1;
    }
    case LVN_ITEMCHANGED:
      OnItemChanged(reinterpret_cast<NMLISTVIEW*>(header));
      return 1;
    case NM_DBLCLK:
      OnDoubleClick(reinterpret_cast<NMITEMACTIVATE*>(header));
      Refresh();
      return 0;
    case NM_CLICK:
      Refresh();
      return 0;
    case LVN_BEGINLABELEDIT: {
      int row = reinterpret_cast<NMLVDISPINFOA*>(header)->item.iItem;
      return NotifyResult(rows_[RowId(row)].isDomain);  // a domain is renamed in the editor, with its lookup
    }
    case LVN_ENDLABELEDIT: {
      const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
      Rename(item.iItem, item.pszText);
      return NotifyResult(FALSE);  // the row shows the renamed line's name, or keeps its own
    }
  }
  return 0;
}

INT_PTR CReferenceEditor::NotifyResult(LRESULT result) {
  SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
  return 1;
}

// The user's check box: unchecked puts "disabled " in front of the line, checked takes it off.
void CReferenceEditor::OnItemChanged(const NMLISTVIEW* change) {
  if (updating_ || change->iItem < 0) return;
  if (change->uChanged & LVIF_STATE) {
    UINT image = ListView_GetItemState(list_, change->iItem, LVIS_STATEIMAGEMASK) >> 12;
    std::string& line = RowLine(change->iItem);
    line = ApplyCheckState(line, image != 1);
  }
  Refresh();
}

void CReferenceEditor::OnDoubleClick(const NMITEMACTIVATE* click) {
  LVHITTESTINFO test = {};
  test.pt = click->ptAction;
  ListView_SubItemHitTest(list_, &test);
  if (test.iItem >= 0 && (test.flags & LVHT_ONITEMLABEL)) Post(IDC_REFERENCE_EDIT);
}

// A new label becomes the server name of a server source's line when it is one word and the
// renamed line still parses; otherwise nothing changes.
void CReferenceEditor::Rename(int row, const char* typed) {
  if (row < 0 || !typed || !IsStorableName(typed)) return;
  TimeSourceSpec spec;
  if (!ParseTimeSource(spec, RowLine(row), true) || spec.isDomain) return;
  spec.server = TrimBlanks(typed);
  std::string line = FormatTimeSource(spec);
  TimeSourceSpec renamed;
  if (!ParseTimeSource(renamed, line, true)) return;
  RowLine(row) = line;
  ShowRow(row, renamed);
}

INT_PTR RunReferenceEditor(HWND owner, CMonitorSettings* settings) {
  CReferenceEditor editor;
  editor.SetInitParam(reinterpret_cast<LPARAM>(settings));
  return editor.RunModal(AppletModule(), IDD_REFERENCE_EDITOR, owner);
}
