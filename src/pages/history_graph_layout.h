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

// The sizes of the graph's marks, given in pixels at 96 DPI, at the DPI the graph is drawn at.
struct GraphMarks {
  int pen = 1;           // width of the series' lines, the grid and the markers' outlines
  int square = 3;        // half the side of series 1's rounded square
  int corner = 1;        // the rounding of that square
  int round = 4;         // half the size of series 2's circle and series 3's triangle
  int inner = 2;         // half the side of the small square over the triangle
  int legendMarker = 4;  // a legend line's marker, right of the plot origin
  int legendText = 12;   // a legend line's text, right of the plot origin
  int notice = 30;       // x and y of the notice shown instead of a chart

  bool operator==(const GraphMarks&) const = default;
};

// The marks at dpi, each rounded to the nearest pixel.
GraphMarks GraphMarksAt(int dpi);

enum class MarkerLevel { kNormal, kWarning, kAlarm };

// Alarm at or above the total limit, warning at or above half of it.
MarkerLevel ClassifyPoint(int64_t value, uint32_t totalLimit);
