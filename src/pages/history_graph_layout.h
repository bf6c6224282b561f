// Where the history graph puts things: nineteen divisions around a zero line, their labels,
// the plotted points and the colour class of each point's marker.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kGraphDivisions = 19;  // labelled lines k = 1 .. 19; k = 10 is the zero line

struct GraphGeometry {
  int division = 0;  // pixels per division
  int margin = 0;    // space above the first and below the last line
  int zeroY = 0;     // the zero line
};

struct GraphPoint {
  int x = 0;
  int y = 0;
};

// The divisions of a drawing area height pixels high.
GraphGeometry ComputeGraphGeometry(int height);
// The y of line k (1 to 19).
int GraphLineY(const GraphGeometry& geometry, int k);
// The top of the label of line k for text textHeight pixels high.
int GraphLabelTop(const GraphGeometry& geometry, int k, int textHeight);
// The label of line k: the milliseconds it stands for.
std::string GraphLabelText(uint32_t scale, int k);
// The text whose width sets the labels' right edge (the lowest label and a space).
std::string GraphWidestLabel(uint32_t scale);

// Places the points of a series: evenly from the plot origin to the right edge, values
// scaled about the zero line. Values far beyond the area land far outside it, never overflowing.
class CGraphPlacer {
 public:
  // Points of count values, x from originX to rightEdge, scale milliseconds per division.
  CGraphPlacer(const GraphGeometry& geometry, int originX, int rightEdge, size_t count, uint32_t scale);
  // Point index of a series with value (milliseconds).
  GraphPoint Place(size_t index, int64_t value) const;

 private:
  GraphGeometry geometry_;
  int originX_;
  double step_;
  uint32_t scale_;
};

enum class MarkerLevel { kNormal, kWarning, kAlarm };

// Alarm at or above the total limit, warning at or above half of it.
MarkerLevel ClassifyPoint(int64_t value, uint32_t totalLimit);
