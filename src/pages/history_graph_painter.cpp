// CGraphPainter: drawing the graph's area, divisions, series and legend.
#include "pages/history_graph_painter.h"

#include <string>
#include <vector>

namespace {

const COLORREF kSeriesColours[3] = {kGraphGreen, kGraphWhite, kGraphCyan};
const COLORREF kLevelColours[3] = {kGraphGreen, kGraphYellow, kGraphRed};
const char kInsufficient[] = "Insufficient data points to graph. At least two samples required.";

HFONT CreateGraphFont(int dpi) {
  int height = -MulDiv(7, dpi, 72);
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Shell Dlg");
}

SIZE TextSize(HDC dc, const std::string& text) {
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void Write(HDC dc, int x, int y, const std::string& text) {
  TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

// Where the chart's parts go on one area.
struct CGraphPainter::Frame {
  GraphGeometry geometry;
  int labelsRight = 0;  // labels end here, right-aligned
  int digitWidth = 0;   // the gaps before the grid and before the first point
  int textHeight = 0;
  int originX = 0;      // x of the first point
};

CGraphPainter::CGraphPainter(int dpi)
    : marks_(GraphMarksAt(dpi)), gridPen_(CreatePen(PS_SOLID, marks_.pen, kGraphGrid)), font_(CreateGraphFont(dpi)) {
  for (int i = 0; i < 3; ++i) {
    seriesPens_[i] = CreatePen(PS_SOLID, marks_.pen, kSeriesColours[i]);
    levelPens_[i] = CreatePen(PS_SOLID, marks_.pen, kLevelColours[i]);
    levelBrushes_[i] = CreateSolidBrush(kLevelColours[i]);
  }
}

CGraphPainter::~CGraphPainter() {
  for (int i = 0; i < 3; ++i) {
    DeleteObject(seriesPens_[i]);
    DeleteObject(levelPens_[i]);
    DeleteObject(levelBrushes_[i]);
  }
  DeleteObject(gridPen_);
  DeleteObject(font_);
}

void CGraphPainter::Paint(HDC dc, int width, int height, const GraphData& data, uint32_t scale,
                          uint32_t totalLimit) const {
  int saved = SaveDC(dc);
  RECT area = {0, 0, width, height};
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  IntersectClipRect(dc, 0, 0, width, height);
  SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kGraphGreen);
  if (data.points < 2) {
    Write(dc, marks_.notice, marks_.notice, kInsufficient);
  } else {
    Frame frame;
    frame.geometry = ComputeGraphGeometry(height);
    Measure(dc, scale, &frame);
    PaintDivisions(dc, frame, width, scale);
    CGraphPlacer placer(frame.geometry, frame.originX, width, data.points, scale);
    for (int s = 0; s < GraphSeriesCount(data.type); ++s) PaintSeries(dc, placer, data, s, totalLimit);
    PaintLegend(dc, frame, data.type);
  }
  RestoreDC(dc, saved);
}

int CGraphPainter::PlotOrigin(HDC dc, uint32_t scale) const {
  int saved = SaveDC(dc);
  SelectObject(dc, font_);
  Frame frame;
  Measure(dc, scale, &frame);
  RestoreDC(dc, saved);
  return frame.originX;
}

// The labels' width comes from the lowest label, the gaps and text height from the digit 7.
void CGraphPainter::Measure(HDC dc, uint32_t scale, Frame* frame) const {
  SIZE digit = TextSize(dc, "7");
  frame->labelsRight = TextSize(dc, GraphWidestLabel(scale)).cx;
  frame->digitWidth = digit.cx;
  frame->textHeight = digit.cy;
  frame->originX = frame->labelsRight + 2 * digit.cx;
}

// Labels right-aligned before the grid, then the grid to the right edge.
void CGraphPainter::PaintDivisions(HDC dc, const Frame& frame, int width, uint32_t scale) const {
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
  for (int k = 1; k <= kGraphDivisions; ++k)
    Write(dc, frame.labelsRight, GraphLabelTop(frame.geometry, k, frame.textHeight), GraphLabelText(scale, k));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  SelectObject(dc, gridPen_);
  for (int k = 1; k <= kGraphDivisions; ++k) {
    MoveToEx(dc, frame.labelsRight + frame.digitWidth, GraphLineY(frame.geometry, k), nullptr);
    LineTo(dc, width, GraphLineY(frame.geometry, k));
  }
}

// The series' line in its colour, then each point's marker in the colour of its class.
void CGraphPainter::PaintSeries(HDC dc, const CGraphPlacer& placer, const GraphData& data, int series,
                                uint32_t totalLimit) const {
  for (size_t i = 0; i < data.points; ++i) {
    int64_t value = data.series[series][i];
    GraphPoint point = placer.Place(i, value);
    SelectObject(dc, seriesPens_[series]);
    if (i == 0)
      MoveToEx(dc, point.x, point.y, nullptr);
    else
      LineTo(dc, point.x, point.y);
    PaintMarker(dc, point, series, ClassifyPoint(value, totalLimit));
  }
}

// Series 1 a rounded square, series 2 a circle, series 3 a triangle with a square over it.
void CGraphPainter::PaintMarker(HDC dc, GraphPoint at, int series, MarkerLevel level) const {
  int index = static_cast<int>(level);
  SelectObject(dc, levelPens_[index]);
  SelectObject(dc, levelBrushes_[index]);
  int x = at.x, y = at.y, s = marks_.square, r = marks_.round, i = marks_.inner;
  if (series == 0) {
    RoundRect(dc, x - s, y - s, x + s, y + s, marks_.corner, marks_.corner);
  } else if (series == 1) {
    Ellipse(dc, x - r, y - r, x + r, y + r);
  } else {
    POINT corners[3] = {{x - r, y + r}, {x, y - r}, {x + r, y + r}};
    Polygon(dc, corners, 3);
    Rectangle(dc, x - i, y - i, x + i, y + i);
  }
}

// One line per series of many-series types: its marker, filled green, and its name in its colour.
void CGraphPainter::PaintLegend(HDC dc, const Frame& frame, int type) const {
  std::vector<std::string> entries = GraphLegendEntries(type);
  int y = frame.geometry.margin + frame.geometry.division;
  for (size_t s = 0; s < entries.size(); ++s) {
    PaintMarker(dc, {frame.originX + marks_.legendMarker, y}, static_cast<int>(s), MarkerLevel::kNormal);
    SetTextColor(dc, kSeriesColours[s]);
    Write(dc, frame.originX + marks_.legendText, y - frame.textHeight / 2, entries[s]);
    y += frame.textHeight;
  }
}
