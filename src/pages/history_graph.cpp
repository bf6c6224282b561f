// CHistoryGraph: the graph window's controls, its type and scale, and its painting.
#include "pages/history_graph.h"

#include "pages/pages_resource.h"
#include "platform/registry.h"
#include "ui/control_utils.h"
#include "ui/dpi.h"

namespace {

const char kGraphTypeValue[] = "Graph Type";

}  // namespace

CHistoryGraph::CHistoryGraph(std::vector<SummaryRecord> records, uint32_t totalLimit)
    : records_(std::move(records)), totalLimit_(totalLimit) {}

INT_PTR CHistoryGraph::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_DRAWITEM || wParam != IDC_GRAPH_AREA) return 0;
  Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  return 1;
}

INT_PTR CHistoryGraph::OnInitDialog(HWND, LPARAM) {
  RECT owner = {}, own = {};
  GetWindowRect(owner_, &owner);
  GetWindowRect(window_, &own);
  MoveWindow(window_, owner.left + ScaleForWindow(window_, 30), owner.top + ScaleForWindow(window_, 20),
             own.right - own.left, own.bottom - own.top, FALSE);
  painter_ = std::make_unique<CGraphPainter>(WindowDpi(window_));
  FillTypes();
  FillScales();
  Recompute();
  return 1;
}

void CHistoryGraph::FillTypes() {
  for (int type = 0; type < kGraphTypeCount; ++type)
    SendDlgItemMessageA(window_, IDC_GRAPH_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GraphTypeName(type)));
  int stored = ValidGraphType(ReadRegistryDword("", kGraphTypeValue, kDefaultGraphType));
  SendDlgItemMessageA(window_, IDC_GRAPH_TYPE, CB_SETCURSEL, stored, 0);
}

void CHistoryGraph::FillScales() {
  auto add = [this](const std::string& text, uint32_t scale) {
    LRESULT index = SendDlgItemMessageA(window_, IDC_GRAPH_SCALE, CB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(text.c_str()));
    SendDlgItemMessageA(window_, IDC_GRAPH_SCALE, CB_SETITEMDATA, index, scale);
  };
  add("Auto", kAutoScale);
  for (uint32_t scale : kGraphScales) add(ScaleItemText(scale), scale);
  SendDlgItemMessageA(window_, IDC_GRAPH_SCALE, CB_SETCURSEL, 0, 0);
}

// Takes the chosen type and scale, keeps the type, and rebuilds the series from the records.
void CHistoryGraph::Recompute() {
  auto chosen = static_cast<uint32_t>(SendDlgItemMessageA(window_, IDC_GRAPH_TYPE, CB_GETCURSEL, 0, 0));
  int type = ValidGraphType(chosen);
  WriteRegistryDword("", kGraphTypeValue, static_cast<uint32_t>(type));
  data_ = BuildGraphData(type, records_);
  scale_ = EffectiveScale(static_cast<uint32_t>(GetComboSelData(window_, IDC_GRAPH_SCALE)), data_);
  SetWindowTextA(window_, GraphTypeName(type));
  SetDlgItemTextA(window_, IDC_GRAPH_LEGEND, GraphLegendText(data_, scale_).c_str());
}

void CHistoryGraph::Draw(const DRAWITEMSTRUCT* item) const {
  if (!painter_) return;
  const RECT& area = item->rcItem;
  POINT origin;
  SetViewportOrgEx(item->hDC, area.left, area.top, &origin);
  painter_->Paint(item->hDC, area.right - area.left, area.bottom - area.top, data_, scale_, totalLimit_);
  SetViewportOrgEx(item->hDC, origin.x, origin.y, nullptr);
}

INT_PTR CHistoryGraph::OnCommand(UINT id, UINT notifyCode, HWND) {
  if (id == 0) return 0;
  if (id == IDOK || id == IDCANCEL) {
    painter_.reset();
    End(id);
    return 1;
  }
  if ((id == IDC_GRAPH_TYPE || id == IDC_GRAPH_SCALE) && notifyCode == CBN_SELCHANGE) {
    Recompute();
    InvalidateRect(GetDlgItem(window_, IDC_GRAPH_AREA), nullptr, TRUE);
  }
  return 1;
}
