// CGraphPainter: draws the history graph with GDI: black area, labelled divisions, the series
// as lines with coloured markers, and the legend of many-series types.
#pragma once
#include <windows.h>

#include <cstdint>

#include "pages/history_graph_data.h"
#include "pages/history_graph_layout.h"
#include "ui/dpi.h"

constexpr COLORREF kGraphGreen = RGB(0, 255, 0);
constexpr COLORREF kGraphWhite = RGB(255, 255, 255);
constexpr COLORREF kGraphCyan = RGB(0, 255, 255);
constexpr COLORREF kGraphGrid = RGB(0, 112, 0);
constexpr COLORREF kGraphYellow = RGB(255, 255, 0);
constexpr COLORREF kGraphRed = RGB(255, 0, 0);

class CGraphPainter {
 public:
  // Creates the pens, brushes and the 7-point font for drawing at dpi.
  explicit CGraphPainter(int dpi = WindowDpi(nullptr));
  // Deletes them.
  ~CGraphPainter();
  CGraphPainter(const CGraphPainter&) = delete;
  CGraphPainter& operator=(const CGraphPainter&) = delete;

  // Draws data on an area of width by height pixels at the DC's origin, scale milliseconds per
  // division, markers classed by totalLimit milliseconds.
  void Paint(HDC dc, int width, int height, const GraphData& data, uint32_t scale, uint32_t totalLimit) const;
  // The x of the first point when drawing on dc with scale: right of the labels and the grid's start.
  int PlotOrigin(HDC dc, uint32_t scale) const;

 private:
  struct Frame;
  void Measure(HDC dc, uint32_t scale, Frame* frame) const;
  void PaintDivisions(HDC dc, const Frame& frame, int width, uint32_t scale) const;
  void PaintSeries(HDC dc, const CGraphPlacer& placer, const GraphData& data, int series, uint32_t totalLimit) const;
  void PaintMarker(HDC dc, GraphPoint at, int series, MarkerLevel level) const;
  void PaintLegend(HDC dc, const Frame& frame, int type) const;

  GraphMarks marks_;
  HPEN seriesPens_[3];
  HPEN gridPen_;
  HPEN levelPens_[3];      // green, yellow, red
  HBRUSH levelBrushes_[3];
  HFONT font_;
};
