// The history graph drawn into a memory bitmap: the pixels show what the data says.
#include "pages/history_graph_painter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

const int kWidth = 420;
const int kHeight = 219;  // division 10, margin 5, zero line at 105

// Whether pixel is colour dimmed: black where colour is, the others equal and lit.
bool IsShadeOf(COLORREF pixel, COLORREF colour) {
  int lit = -1;
  for (int shift : {0, 8, 16}) {
    int want = (colour >> shift) & 0xFF, have = (pixel >> shift) & 0xFF;
    if (want == 0 && have != 0) return false;
    if (want != 0 && (have == 0 || (lit >= 0 && have != lit))) return false;
    if (want != 0) lit = have;
  }
  return true;
}

// A top-down 32-bit bitmap selected into a memory DC.
class CCanvas {
 public:
  explicit CCanvas(int width = kWidth, int height = kHeight)
      : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    RECT all = {0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }
  ~CCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // The xs of row y that have colour, from left to right.
  std::vector<int> InRow(int y, COLORREF colour, int from = 0, int to = -1) const {
    std::vector<int> xs;
    for (int x = from; x < (to < 0 ? width_ : to); ++x)
      if (At(x, y) == colour) xs.push_back(x);
    return xs;
  }
  // How many pixels of the region have colour.
  int Count(COLORREF colour, int left = 0, int top = 0, int right = kWidth, int bottom = kHeight) const {
    int count = 0;
    for (int y = top; y < bottom; ++y) count += static_cast<int>(InRow(y, colour, left, right).size());
    return count;
  }
  // How many pixels of the region show text of colour on black (smoothed text is darker at its edges).
  int CountText(COLORREF colour, int left = 0, int top = 0, int right = kWidth, int bottom = kHeight) const {
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) count += IsShadeOf(At(x, y), colour);
    return count;
  }
  // The smallest rectangle holding every pixel of colour (empty when none has it).
  RECT Bounds(COLORREF colour) const {
    RECT box = {width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
      for (int x : InRow(y, colour)) box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                                            std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
    return box;
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

GraphData Data(int type, std::vector<std::vector<int64_t>> series) {
  GraphData data;
  data.type = type;
  data.points = series[0].size();
  for (size_t s = 0; s < series.size(); ++s) data.series[s] = series[s];
  return data;
}

// The middle x of the pixels of colour in rows top to bottom (the centre of a marker drawn there).
int MarkerCentre(const CCanvas& canvas, int top, int bottom, COLORREF colour) {
  int left = kWidth, right = -1;
  for (int y = top; y < bottom; ++y) {
    std::vector<int> xs = canvas.InRow(y, colour);
    if (!xs.empty()) left = std::min(left, xs.front()), right = std::max(right, xs.back());
  }
  return right < 0 ? -1 : (left + right + 1) / 2;
}

// Where the first point of a chart with scale stands.
int Origin(const CGraphPainter& painter, uint32_t scale) {
  CCanvas canvas;
  return painter.PlotOrigin(canvas.Dc(), scale);
}

TEST(HistoryGraphPaint, FewerThanTwoPointsShowOnlyTheNotice) {
  for (size_t points : {0u, 1u}) {
    CCanvas canvas;
    CGraphPainter().Paint(canvas.Dc(), kWidth, kHeight, Data(0, {std::vector<int64_t>(points, 5)}), 10, 750);
    int text = canvas.CountText(kGraphGreen, 30, 28, kWidth, 50);
    EXPECT_GT(text, 20) << points;
    EXPECT_EQ(canvas.Count(RGB(0, 0, 0)) + text, kWidth * kHeight) << points;
  }
}

TEST(HistoryGraphPaint, PointsSitAtTheirValuesInTheColourOfTheirClass) {
  CCanvas canvas;
  CGraphPainter painter;
  // Scale 100: 500 ms five divisions above zero (y 55), -300 three below (y 135).
  painter.Paint(canvas.Dc(), kWidth, kHeight, Data(0, {{500, -300}}), 100, 400);
  int alarm = MarkerCentre(canvas, 0, kHeight, kGraphRed);
  int warning = MarkerCentre(canvas, 0, kHeight, kGraphYellow);
  int origin = Origin(painter, 100);
  EXPECT_GT(origin, 20);
  EXPECT_EQ(alarm, origin);
  EXPECT_EQ(warning, origin + (kWidth - origin) / 2);
  // Markers are 6 pixels high: rows 52 to 57 and 132 to 137, nothing red or yellow elsewhere.
  EXPECT_EQ(canvas.Count(kGraphRed, 0, 52, kWidth, 58), canvas.Count(kGraphRed));
  EXPECT_EQ(canvas.Count(kGraphYellow, 0, 132, kWidth, 138), canvas.Count(kGraphYellow));
  // The green line joins them: halfway it crosses the zero line's neighbourhood.
  int midX = (alarm + warning) / 2;
  EXPECT_FALSE(canvas.InRow(95, kGraphGreen, midX - 4, midX + 4).empty());
  // Grid lines run to the right edge on every division; labels stand left of the plot.
  for (int k = 1; k <= 19; ++k) EXPECT_EQ(canvas.At(kWidth - 1, k * 10 + 5), kGraphGrid) << k;
  EXPECT_GT(canvas.CountText(kGraphGreen, 0, 0, alarm - 8, kHeight), 50);
  EXPECT_EQ(canvas.Count(kGraphGrid, 0, 0, alarm - 12, kHeight), 0);
}

TEST(HistoryGraphPaint, EverySeriesInItsColourWithTheLegend) {
  CCanvas canvas;
  CGraphPainter painter;
  // Three flat series below zero (y 125, 145, 165), far from the legend at the top.
  painter.Paint(canvas.Dc(), kWidth, kHeight, Data(3, {{-200, -200}, {-400, -400}, {-600, -600}}), 100, 100000);
  int origin = Origin(painter, 100);
  int end = origin + (kWidth - origin) / 2;
  EXPECT_EQ(canvas.InRow(145, kGraphWhite, origin + 5, end - 5).size(), size_t(end - origin - 10));
  EXPECT_EQ(canvas.InRow(165, kGraphCyan, origin + 5, end - 5).size(), size_t(end - origin - 10));
  // Legend: three markers filled green down the plot's left edge, the names in their colours.
  EXPECT_GT(canvas.Count(kGraphGreen, origin, 10, origin + 9, 60), 3 * 20);
  EXPECT_GT(canvas.CountText(kGraphGreen, origin + 12, 10, kWidth, 60), 10);
  EXPECT_GT(canvas.CountText(kGraphWhite, origin + 12, 10, kWidth, 60), 10);
  EXPECT_GT(canvas.CountText(kGraphCyan, origin + 12, 10, kWidth, 60), 10);
}

TEST(HistoryGraphPaint, OneSeriesTypesHaveNoLegend) {
  CCanvas canvas;
  CGraphPainter painter;
  painter.Paint(canvas.Dc(), kWidth, kHeight, Data(0, {{-600, -600}}), 100, 100000);
  int origin = Origin(painter, 100);
  EXPECT_EQ(canvas.At(origin, 165), kGraphGreen);
  EXPECT_EQ(canvas.At(origin + (kWidth - origin) / 2, 165), kGraphGreen);
  EXPECT_EQ(canvas.Count(kGraphGreen, origin - 4, 0, kWidth, 100), 0);
}

TEST(HistoryGraphPaint, HugeValuesDrawASteepLineAcrossTheArea) {
  CCanvas canvas;
  const int64_t kMax = std::numeric_limits<int64_t>::max();
  CGraphPainter().Paint(canvas.Dc(), kWidth, kHeight, Data(0, {{kMax, std::numeric_limits<int64_t>::min(), kMax}}),
                        1, 750);
  for (int y : {20, 105, 190}) EXPECT_GE(canvas.InRow(y, kGraphGreen, 40).size(), 2u) << y;
  EXPECT_EQ(canvas.Count(kGraphRed), 0);
}

// Drawn at 144 and 200 % on an area grown with it, the marks, the lines and the notice grow
// too, and the labels still fit their divisions.
TEST(HistoryGraphPaint, MarksGrowWithTheDpi) {
  for (int dpi : {144, 192}) {
    const int width = kWidth * dpi / 96, height = kHeight * dpi / 96;
    const GraphMarks marks = GraphMarksAt(dpi);
    CGraphPainter painter(dpi);
    CCanvas chart(width, height);
    painter.Paint(chart.Dc(), width, height, Data(0, {{500, 100}}), 100, 400);
    RECT alarm = chart.Bounds(kGraphRed);
    EXPECT_EQ(alarm.right - alarm.left, 2 * marks.square + marks.pen - 1) << dpi;  // the outline is centred on the edge
    EXPECT_EQ(alarm.bottom - alarm.top, 2 * marks.square + marks.pen - 1) << dpi;
    // A flat series one division above zero: its line is the pen's width thick.
    CCanvas flat(width, height);
    painter.Paint(flat.Dc(), width, height, Data(0, {{100, 100}}), 100, 100000);
    GraphGeometry geometry = ComputeGraphGeometry(height);
    int origin = painter.PlotOrigin(flat.Dc(), 100), thickness = 0;
    int middle = origin + (width - origin) / 4;  // between the two points
    for (int y = GraphLineY(geometry, 9) - 4; y <= GraphLineY(geometry, 9) + 4; ++y)
      thickness += flat.At(middle, y) == kGraphGreen;
    EXPECT_EQ(thickness, marks.pen) << dpi;
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, CreateFontA(-MulDiv(7, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                                                   0, 0, 0, "MS Shell Dlg"));
    SIZE seven = {};
    GetTextExtentPoint32A(screen, "7", 1, &seven);
    DeleteObject(SelectObject(screen, old));
    ReleaseDC(nullptr, screen);
    EXPECT_LE(seven.cy, geometry.division + 2) << dpi << ": labels one under the other";
    CCanvas notice(width, height);
    painter.Paint(notice.Dc(), width, height, Data(0, {{5}}), 10, 750);
    EXPECT_EQ(notice.CountText(kGraphGreen, 0, 0, width, marks.notice - 2), 0) << dpi;
    EXPECT_EQ(notice.CountText(kGraphGreen, 0, 0, marks.notice - 2, height), 0) << dpi;
    EXPECT_GT(notice.CountText(kGraphGreen, marks.notice, marks.notice, width, height), 20) << dpi;
  }
}

}  // namespace
