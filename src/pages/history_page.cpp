#include "pages/history_page.h"

#include <string>
#include <vector>

#include "logview/check_detail.h"
#include "logview/notepad.h"
#include "monitor/data_store.h"
#include "monitor/settings.h"
#include "monitor/summary_list.h"
#include "pages/history_graph.h"
#include "pages/history_verdicts.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "sampling/system_clock.h"
#include "ui/applet_resources.h"
#include "ui/dialog_fonts.h"
#include "ui/msg_box.h"
#include "ui/page_colors.h"
#include "ui/page_contract.h"
#include "ui/resource.h"

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

CNotepad* AppletNotepad() {
  static CNotepad notepad;
  return &notepad;
}

// The state image of a check state; states the page does not know show the unknown image.
UINT StateImage(uint32_t status) { return INDEXTOSTATEIMAGEMASK(status <= 3 ? status + 1 : 1); }

// The last check as the service left it in the registry; a zero record when there is none.
SummaryRecord LastCheck() {
  std::string bytes;
  SummaryRecord record;
  if (ReadRegistryBinary("", "Check Results", &bytes) && bytes.size() == kSummarySize)
    record = DecodeSummary(reinterpret_cast<const uint8_t*>(bytes.data()));
  return record;
}

}  // namespace

INT_PTR CHistory::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  return PageCtlColor(this, msg, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
}

INT_PTR CHistory::OnInitDialog(HWND, LPARAM) {
  CountPageOpened();
  alertsOnly_ = false;
  list_ = GetDlgItem(window_, IDC_HISTORY_LIST);
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

void CHistory::PrepareList() {
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
  if (stateImages_) ImageList_Destroy(stateImages_);
  stateImages_ = nullptr;
  return 0;
}

void CHistory::RefreshList() {
  std::vector<SummaryRecord> records;
  Store().ListSummaries(alertsOnly_ ? kSummariesAlertsOnly : kSummariesAll, &records);
  ListView_DeleteAllItems(list_);
  for (size_t i = 0; i < records.size(); ++i) {
    std::string text = FormatUnixTime(records[i].time);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = records[i].time;
    item.state = StateImage(records[i].status);
    item.stateMask = LVIS_STATEIMAGEMASK;
    SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  if (!records.empty()) {
    int newest = static_cast<int>(records.size()) - 1;
    ListView_EnsureVisible(list_, newest, FALSE);
    ListView_SetItemState(list_, newest, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  UpdateButtons();
}

void CHistory::UpdateButtons() {
  bool selected = ListView_GetSelectedCount(list_) > 0;
  EnableWindow(GetDlgItem(window_, IDC_HISTORY_DETAILS), selected);
  EnableWindow(GetDlgItem(window_, IDC_HISTORY_GRAPHS), ListView_GetItemCount(list_) > 1);
  EnableWindow(GetDlgItem(window_, IDC_HISTORY_DELETE), selected);
}

bool CHistory::DeleteSelected() {
  if (ListView_GetSelectedCount(list_) == 0) return false;
  CMonitorStore store = Store();
  for (int i = ListView_GetItemCount(list_) - 1; i >= 0 && ListView_GetSelectedCount(list_) > 0; --i) {
    if (!(ListView_GetItemState(list_, i, LVIS_SELECTED) & LVIS_SELECTED)) continue;
    uint32_t time = ItemTime(i);
    ListView_DeleteItem(list_, i);
    store.DeleteSummary(time);
    store.DeleteDetail(time);
  }
  int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (focused >= 0)
    ListView_SetItemState(list_, focused, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  if (ListView_GetSelectedCount(list_) == 0) ShowVerdicts(SummaryRecord());
  return true;
}

void CHistory::ShowVerdicts(const SummaryRecord& record) {
  if (record.time == 0) return ShowNoRecord();
  SetDlgItemTextA(window_, IDC_HISTORY_TIME, FormatUnixTime(record.time).c_str());
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
}

void CHistory::ShowDetail(int item) {
  ShowCheckDetail(Store(), ItemTime(item), notepad_ ? notepad_ : AppletNotepad());
}

void CHistory::OpenGraphs() {
  CHistoryGraph graph(Settings().dataFolder, Settings().totalLimit);
  graph.RunModal(AppletModule(), IDD_GRAPH, window_);
}

CMonitorStore CHistory::Store() const { return CMonitorStore(Settings().dataFolder); }

uint32_t CHistory::ItemTime(int item) const {
  LVITEMA read = {};
  read.mask = LVIF_PARAM;
  read.iItem = item;
  SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read));
  return static_cast<uint32_t>(read.lParam);
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
      RefreshList();
      break;
  }
  return 1;
}

void CHistory::OnItemChanged(const NMLISTVIEW* change) {
  if (change->iItem < 0 || !(change->uChanged & LVIF_STATE)) return;
  if (change->uNewState & LVIS_SELECTED) {
    SummaryRecord scratch;
    Store().ReadSummary(static_cast<uint32_t>(change->lParam), &scratch);
    ShowVerdicts(scratch);
  }
  UpdateButtons();
}

INT_PTR CHistory::OnNotify(UINT_PTR controlId, NMHDR* header) {
  if (controlId != IDC_HISTORY_LIST) return 0;
  switch (header->code) {
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
    current_ = LastCheck();
    ShowVerdicts(current_);
    SetDlgItemTextA(window_, IDC_HISTORY_TIME,
                    current_.time ? FormatUnixTime(current_.time).c_str() : "History unavailable");
    CheckDlgButton(window_, IDC_HISTORY_ALERTS_ONLY, alertsOnly_ ? BST_CHECKED : BST_UNCHECKED);
    RefreshList();
    return 1;
  }
  if (code == PSN_KILLACTIVE) return 1;
  return ContractNotify(code, notify, "history");
}
