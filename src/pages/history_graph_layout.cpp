// The graph's divisions, labels, scale and point positions.
#include "pages/history_graph_layout.h"

#include <algorithm>

#include "monitor/variance.h"

namespace {

// Farther than any screen from the zero line, near enough for any drawing call.
const double kFarOff = 1e6;

}  // namespace

GraphGeometry ComputeGraphGeometry(int height) {
  GraphGeometry g;
  g.division = height / 20;
  g.margin = (height - kGraphDivisions * (g.division + 1)) / 2;
  g.zeroY = 10 * g.division + g.margin;
  return g;
}

int GraphLineY(const GraphGeometry& g, int k) { return k * g.division + g.margin; }

int GraphLabelTop(const GraphGeometry& g, int k, int textHeight) {
  return k * g.division - textHeight / 2 + g.margin;
}

std::string GraphLabelText(uint32_t scale, int k) { return std::to_string(int64_t(scale) * (10 - k)); }

std::string GraphWidestLabel(uint32_t scale) { return std::to_string(-9 * int64_t(scale)) + " "; }

CGraphPlacer::CGraphPlacer(const GraphGeometry& geometry, int originX, int rightEdge, size_t count, uint32_t scale)
    : geometry_(geometry),
      originX_(originX),
      step_(count ? double(rightEdge - originX) / double(count) : 0.0),
      scale_(std::max<uint32_t>(scale, 1)) {}

GraphPoint CGraphPlacer::Place(size_t index, int64_t value) const {
  double rise = std::clamp(double(value) / scale_ * geometry_.division, -kFarOff, kFarOff);
  GraphPoint point;
  point.x = static_cast<int>(double(index) * step_ + originX_);
  point.y = 10 * geometry_.division - static_cast<int>(rise) + geometry_.margin;
  return point;
}

GraphMarks GraphMarksAt(int dpi) {
  auto at = [dpi](int pixels) { return (pixels * dpi + 48) / 96; };
  GraphMarks base, marks;
  marks.pen = at(base.pen);
  marks.square = at(base.square);
  marks.corner = at(base.corner);
  marks.round = at(base.round);
  marks.inner = at(base.inner);
  marks.legendMarker = at(base.legendMarker);
  marks.legendText = at(base.legendText);
  marks.notice = at(base.notice);
  return marks;
}

MarkerLevel ClassifyPoint(int64_t value, uint32_t totalLimit) {
  uint64_t size = VarianceMagnitude(value);
  if (size >= totalLimit) return MarkerLevel::kAlarm;
  if (size >= totalLimit / 2) return MarkerLevel::kWarning;
  return MarkerLevel::kNormal;
}
