// CHistory: the History page's list, verdicts, filter, deletion and links.
#include "pages/history_page.h"

#include <algorithm>
#include <string>
#include <vector>

#include "logview/check_detail.h"
#include "logview/notepad.h"
#include "monitor/check_verdicts.h"
#include "monitor/data_store.h"
#include "monitor/settings.h"
#include "monitor/summary_list.h"
#include "pages/history_graph.h"
#include "pages/pages_resource.h"
#include "platform/module.h"
#include "sampling/system_clock.h"
#include "ui/applet_resources.h"
#include "ui/control_utils.h"
#include "ui/dialog_fonts.h"
#include "ui/msg_box.h"
#include "ui/page_colors.h"
#include "ui/page_contract.h"

namespace {

// The list's state images in image order: a check state plus one selects one.
const int kStateImageIds[4] = {IDI_LIST_UNKNOWN, IDI_LIST_ALERT, IDI_LIST_WORKING, IDI_LIST_PASSED};
const int kVerdictTextIds[3] = {IDC_HISTORY_TEXT_MASTER_SLAVE, IDC_HISTORY_TEXT_SINGLE, IDC_HISTORY_TEXT_TOTAL};
const int kVerdictIconIds[3] = {IDC_HISTORY_ICON_MASTER_SLAVE, IDC_HISTORY_ICON_SINGLE, IDC_HISTORY_ICON_TOTAL};
// In the record's order: total, masters, slaves, independents, clients.
const int kCountIds[5] = {IDC_HISTORY_COUNT_TOTAL, IDC_HISTORY_COUNT_MASTERS, IDC_HISTORY_COUNT_SLAVES,
                          IDC_HISTORY_COUNT_INDIES, IDC_HISTORY_COUNT_CLIENTS};
// In the record's order: masters, slaves, independents, clients, total.
const int kAverageIds[5] = {IDC_HISTORY_AVG_MASTERS, IDC_HISTORY_AVG_SLAVES, IDC_HISTORY_AVG_INDIES,
                            IDC_HISTORY_AVG_CLIENTS, IDC_HISTORY_AVG_TOTAL};
const int kWorstIds[4] = {IDC_HISTORY_WORST_MASTERS, IDC_HISTORY_WORST_SLAVES, IDC_HISTORY_WORST_INDIES,
                          IDC_HISTORY_WORST_CLIENTS};
const char kNoSample[] = "No sample selected";
// Posted by the listing thread when it has a batch for the page.
const UINT kListingBatch = WM_APP + 0x48;

CNotepad* AppletNotepad() {
  static CNotepad notepad;
  return &notepad;
}

// The state image of a check state; states the page does not know show the unknown image.
UINT StateImage(uint32_t status) { return INDEXTOSTATEIMAGEMASK(status <= 3 ? status + 1 : 1); }

}  // namespace

INT_PTR CHistory::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kListingBatch) {
    TakeBatch();
    return 1;
  }
  return PageCtlColor(this, msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
}

INT_PTR CHistory::OnInitDialog(HWND, LPARAM) {
  CountPageOpened();
  alertsOnly_ = false;
  list_ = GetDlgItem(window_, IDC_HISTORY_LIST);
  records_.Clear();
  shown_.clear();
  rescan_ = selectNewest_ = listingChanged_ = false;
  loader_ = std::make_unique<CHistoryLoader>(window_, kListingBatch);
  CreateStateImages();
  SendDlgItemMessageA(window_, IDC_HISTORY_TIME, WM_SETFONT, reinterpret_cast<WPARAM>(BoldDialogFont()), FALSE);
  PrepareList();
  return 1;
}

// The page owns the state images: the list only borrows them.
void CHistory::CreateStateImages() {
  int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  stateImages_ = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 4, 0);
  for (int id : kStateImageIds) {
    auto icon = static_cast<HICON>(LoadImageA(AppletModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, 0));
    ImageList_AddIcon(stateImages_, icon);
    if (icon) DestroyIcon(icon);
  }
  SetWindowLongPtrA(list_, GWL_STYLE, GetWindowLongPtrA(list_, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  ListView_SetImageList(list_, stateImages_, LVSIL_STATE);
}

// The list asks the page for each item's text (wide, as dates come in the user's language) and state image.
void CHistory::PrepareList() {
  SendMessageA(list_, CCM_SETUNICODEFORMAT, TRUE, 0);
  ListView_SetCallbackMask(list_, LVIS_STATEIMAGEMASK);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  RECT client = {};
  GetClientRect(list_, &client);
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = client.right - client.left;
  column.pszText = const_cast<char*>("Time of sample");
  SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

INT_PTR CHistory::OnDestroy(WPARAM, LPARAM) {
  loader_.reset();
  if (stateImages_) ImageList_Destroy(stateImages_);
  stateImages_ = nullptr;
  return 0;
}

// Lists the folder against the page's copy; a listing already running is followed by another.
void CHistory::StartListing() {
  selectNewest_ = true;
  if (loader_->Busy()) {
    rescan_ = true;
    return;
  }
  loader_->Start(Settings().dataFolder, records_.Known());
}

// Brings what the listing found into the copy and the list; at its end selects the newest item.
void CHistory::TakeBatch() {
  HistoryBatch batch = loader_->Take();
  for (const std::string& name : batch.drop) records_.Drop(name);
  for (HistoryEntry& entry : batch.read)
    if (!deleted_.count(entry.file.name)) records_.Put(std::move(entry));
  bool changed = !batch.read.empty() || !batch.drop.empty();
  if (changed) ShowRecords();
  listingChanged_ = listingChanged_ || changed;
  if (!batch.done) return;
  deleted_.clear();
  if (rescan_) {
    rescan_ = false;
    return StartListing();
  }
  if (selectNewest_ && listingChanged_) SelectNewest();
  selectNewest_ = listingChanged_ = false;
  UpdateButtons();
}

// Shows the copy's records that pass the filter, keeping the selected and focused files selected.
void CHistory::ShowRecords() {
  std::set<std::string> selected;
  for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
    if (const HistoryEntry* entry = Entry(i)) selected.insert(entry->file.name);
  const HistoryEntry* focusedEntry = Entry(ListView_GetNextItem(list_, -1, LVNI_FOCUSED));
  std::string focused = focusedEntry ? focusedEntry->file.name : std::string();
  shown_ = records_.Filtered(alertsOnly_ ? kSummariesAlertsOnly : kSummariesAll);
  restoring_ = true;
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemCountEx(list_, static_cast<int>(shown_.size()), LVSICF_NOSCROLL);
  for (size_t i = 0; i < shown_.size(); ++i) {
    UINT state = (selected.count(shown_[i]->file.name) ? LVIS_SELECTED : 0) |
                 (shown_[i]->file.name == focused ? LVIS_FOCUSED : 0);
    if (state) ListView_SetItemState(list_, static_cast<int>(i), state, state);
  }
  restoring_ = false;
  InvalidateRect(list_, nullptr, TRUE);
  UpdateButtons();
}

void CHistory::SelectNewest() {
  if (!shown_.empty()) SelectItem(static_cast<int>(shown_.size()) - 1);
  UpdateButtons();
}

// Makes item the only selected one, focused and visible; its verdicts follow from the change.
void CHistory::SelectItem(int item) {
  restoring_ = true;
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  restoring_ = false;
  ListView_EnsureVisible(list_, item, FALSE);
  ListView_SetItemState(list_, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// The graphs plot the whole history, so they wait until the listing has ended.
void CHistory::UpdateButtons() {
  bool selected = ListView_GetSelectedCount(list_) > 0;
  EnableWindow(GetDlgItem(window_, IDC_HISTORY_DETAILS), selected);
  EnableWindow(GetDlgItem(window_, IDC_HISTORY_GRAPHS), shown_.size() > 1 && Listed());
  EnableWindow(GetDlgItem(window_, IDC_HISTORY_DELETE), selected);
}

// Deletes the files of the selected items, nothing else; the nearest item left becomes the selection.
bool CHistory::DeleteSelected() {
  std::vector<SummaryFile> doomed;
  for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
    if (const HistoryEntry* entry = Entry(i)) doomed.push_back(entry->file);
  if (doomed.empty()) return false;
  int first = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  // The rows point at the records about to go: none stays selected or focused while they go.
  restoring_ = true;
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  restoring_ = false;
  CMonitorStore store = Store();
  for (const SummaryFile& file : doomed) {
    store.DeleteSummaryFile(file.name);
    store.DeleteDetail(file.time);
    if (loader_->Busy()) deleted_.insert(file.name);
    records_.Drop(file.name);
  }
  ShowRecords();
  if (!shown_.empty()) SelectItem(std::min(first, static_cast<int>(shown_.size()) - 1));
  if (ListView_GetSelectedCount(list_) == 0) ShowVerdicts(SummaryRecord());
  return true;
}

void CHistory::ShowVerdicts(const SummaryRecord& record) {
  if (record.time == 0) return ShowNoRecord();
  SetUtf8Text(GetDlgItem(window_, IDC_HISTORY_TIME), FormatUnixTime(record.time));
  CheckVerdict verdicts[3] = {MasterSlaveVerdict(record), SingleMachineVerdict(record),
                              TotalVarianceVerdict(record)};
  for (int i = 0; i < 3; ++i) {
    SetDlgItemTextA(window_, kVerdictTextIds[i], verdicts[i].text.c_str());
    HICON icon = AppletResources().StateIcon(verdicts[i].state);
    SendDlgItemMessageA(window_, kVerdictIconIds[i], STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  for (int i = 0; i < 5; ++i) SetDlgItemTextA(window_, kCountIds[i], std::to_string(record.counts[i]).c_str());
  for (int i = 0; i < 5; ++i) SetDlgItemTextA(window_, kAverageIds[i], std::to_string(record.averages[i]).c_str());
  for (int i = 0; i < 4; ++i) SetDlgItemTextA(window_, kWorstIds[i], std::to_string(record.worst[i]).c_str());
  std::string unmeasured = UnmeasuredText(record);
  if (!unmeasured.empty()) unmeasured = "Not measured: " + unmeasured + ".";
  SetDlgItemTextA(window_, IDC_HISTORY_UNMEASURED, unmeasured.c_str());
}

void CHistory::ShowNoRecord() {
  SetDlgItemTextA(window_, IDC_HISTORY_TIME, kNoSample);
  HICON unknown = AppletResources().StateIcon(kVerdictDisabled);
  for (int i = 0; i < 3; ++i) {
    SetDlgItemTextA(window_, kVerdictTextIds[i], kNoSample);
    SendDlgItemMessageA(window_, kVerdictIconIds[i], STM_SETICON, reinterpret_cast<WPARAM>(unknown), 0);
  }
  for (int id : kCountIds) SetDlgItemTextA(window_, id, "");
  for (int id : kAverageIds) SetDlgItemTextA(window_, id, "");
  for (int id : kWorstIds) SetDlgItemTextA(window_, id, "");
  SetDlgItemTextA(window_, IDC_HISTORY_AVG_MASTERS, "?");
  SetDlgItemTextA(window_, IDC_HISTORY_UNMEASURED, "");
}

void CHistory::ShowDetail(int item) {
  if (const HistoryEntry* entry = Entry(item))
    ShowCheckDetail(Store(), entry->file.time, notepad_ ? notepad_ : AppletNotepad());
}

void CHistory::OpenGraphs() {
  CHistoryGraph graph(records_.AllRecords(), Settings().totalLimit);
  graph.RunModal(AppletModule(), IDD_GRAPH, window_);
}

CMonitorStore CHistory::Store() const { return CMonitorStore(Settings().dataFolder); }

const HistoryEntry* CHistory::Entry(int item) const {
  return item >= 0 && static_cast<size_t>(item) < shown_.size() ? shown_[static_cast<size_t>(item)] : nullptr;
}

void CHistory::GetItemDisplay(NMLVDISPINFOW* display) const {
  const HistoryEntry* entry = Entry(display->item.iItem);
  if (!entry) return;
  if ((display->item.mask & LVIF_TEXT) && display->item.pszText && display->item.cchTextMax > 0) {
    std::wstring text = Utf8ToWide(FormatUnixTime(entry->file.time));
    size_t length = std::min(text.size(), static_cast<size_t>(display->item.cchTextMax) - 1);
    std::copy_n(text.c_str(), length, display->item.pszText);
    display->item.pszText[length] = L'\0';
  }
  if (display->item.mask & LVIF_STATE) {
    display->item.state = (display->item.state & ~LVIS_STATEIMAGEMASK) | StateImage(entry->record.status);
    display->item.stateMask |= LVIS_STATEIMAGEMASK;
  }
}

void CHistory::FocusList() { SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list_), TRUE); }

INT_PTR CHistory::OnCommand(UINT id, UINT notifyCode, HWND) {
  if (notifyCode != 0) return 0;
  switch (id) {
    case IDC_HISTORY_DETAILS: {
      int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
      if (focused >= 0) ShowDetail(focused);
      FocusList();
      break;
    }
    case IDC_HISTORY_GRAPHS:
      OpenGraphs();
      FocusList();
      break;
    case IDC_HISTORY_DELETE:
      DeleteSelected();
      FocusList();
      UpdateButtons();
      break;
    case IDC_HISTORY_ALERTS_ONLY:
      alertsOnly_ = IsDlgButtonChecked(window_, IDC_HISTORY_ALERTS_ONLY) == BST_CHECKED;
      ShowRecords();
      SelectNewest();
      break;
  }
  return 1;
}

// A newly selected item shows the verdicts of the record the page holds for it, as its listing read
// it (the next listing brings any change); a record with no valid time shows none.
void CHistory::OnItemChanged(const NMLISTVIEW* change) {
  const HistoryEntry* entry = Entry(change->iItem);
  if (restoring_ || !entry || !(change->uChanged & LVIF_STATE)) return;
  if (change->uNewState & LVIS_SELECTED)
    ShowVerdicts(entry->record.time > kEarliestSummaryTime ? entry->record : SummaryRecord());
  UpdateButtons();
}

INT_PTR CHistory::OnNotify(UINT_PTR controlId, NMHDR* header) {
  if (controlId != IDC_HISTORY_LIST) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW:
      GetItemDisplay(reinterpret_cast<NMLVDISPINFOW*>(header));
      break;
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) {
        DeleteSelected();
        UpdateButtons();
      }
      break;
    case LVN_ITEMCHANGED:
      OnItemChanged(reinterpret_cast<NMLISTVIEW*>(header));
      break;
    case NM_DBLCLK: {
      int item = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
      if (item >= 0) ShowDetail(item);
      break;
    }
    case NM_CLICK:
      UpdateButtons();
      break;
  }
  return 0;
}

INT_PTR CHistory::OnPageNotify(HWND, HWND, UINT code, int, PSHNOTIFY* notify) {
  if (code == PSN_SETACTIVE) {
    current_ = ReadCheckCopy(CheckCopy::kLastCheck);
    ShowVerdicts(current_);
    if (!current_.time) SetDlgItemTextA(window_, IDC_HISTORY_TIME, "History unavailable");
    CheckDlgButton(window_, IDC_HISTORY_ALERTS_ONLY, alertsOnly_ ? BST_CHECKED : BST_UNCHECKED);
    ShowRecords();
    SelectNewest();
    StartListing();
    return 1;
  }
  if (code == PSN_KILLACTIVE) return 1;
  return ContractNotify(code, notify, "history");
}
