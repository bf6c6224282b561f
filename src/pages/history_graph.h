// CHistoryGraph: the modal graph window (template 140) opened from the History page. It plots
// one quantity of the newest check summaries; the chosen quantity is kept as "Graph Type".
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "pages/history_graph_data.h"
#include "pages/history_graph_painter.h"
#include "ui/basic_dialog.h"

class CHistoryGraph : public CBasicDialog {
 public:
  // A graph of the stored summaries (all of them, oldest first), markers classed by totalLimit milliseconds.
  CHistoryGraph(std::vector<SummaryRecord> records, uint32_t totalLimit);

  // Draws the chart into the owner-drawn area.
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Places the window by its owner, fills both lists, computes the first chart.
  INT_PTR OnInitDialog(HWND focus, LPARAM initParam) override;
  // Close ends the window; a new type or scale recomputes and redraws.
  INT_PTR OnCommand(UINT id, UINT notifyCode, HWND control) override;

 private:
  void FillTypes();
  void FillScales();
  void Recompute();
  void Draw(const DRAWITEMSTRUCT* item) const;

  std::vector<SummaryRecord> records_;
  uint32_t totalLimit_;
  std::unique_ptr<CGraphPainter> painter_;
  GraphData data_;
  uint32_t scale_ = 0;
};
