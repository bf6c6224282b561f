// Divisions, labels, point placement and marker classes of the history graph.
#include "pages/history_graph_layout.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(HistoryGraphLayout, GeometryOfTheDivisions) {
  struct Case {
    int height, division, margin, zeroY;
  } cases[] = {
      {200, 10, -4, 96}, {219, 10, 5, 105}, {400, 20, 0, 200}, {20, 1, -9, 1}, {0, 0, -9, -9}, {5, 0, -7, -7},
  };
  for (const Case& c : cases) {
    GraphGeometry g = ComputeGraphGeometry(c.height);
    EXPECT_EQ(g.division, c.division) << c.height;
    EXPECT_EQ(g.margin, c.margin) << c.height;
    EXPECT_EQ(g.zeroY, c.zeroY) << c.height;
    EXPECT_EQ(GraphLineY(g, 10), g.zeroY) << c.height;
  }
}

TEST(HistoryGraphLayout, LinesAndLabelsAroundZero) {
  GraphGeometry g = ComputeGraphGeometry(219);
  EXPECT_EQ(GraphLineY(g, 1), 15);
  EXPECT_EQ(GraphLineY(g, 19), 195);
  EXPECT_EQ(GraphLabelTop(g, 1, 13), 9);
  EXPECT_EQ(GraphLabelTop(g, 19, 13), 189);
  EXPECT_EQ(GraphLabelText(250, 1), "2250");
  EXPECT_EQ(GraphLabelText(250, 10), "0");
  EXPECT_EQ(GraphLabelText(250, 19), "-2250");
  EXPECT_EQ(GraphLabelText(600000, 19), "-5400000");
  EXPECT_EQ(GraphWidestLabel(10), "-90 ");
  EXPECT_EQ(GraphWidestLabel(500000), "-4500000 ");
}

TEST(HistoryGraphLayout, PointsSpreadFromTheOriginAndScaleAboutZero) {
  GraphGeometry g = ComputeGraphGeometry(219);  // division 10, zero line 105
  CGraphPlacer placer(g, 40, 340, 3, 100);     // step 100
  struct Case {
    size_t index;
    int64_t value;
    int x, y;
  } cases[] = {
      {0, 0, 40, 105},    {1, 100, 140, 95},   {2, -100, 240, 115},  {0, 900, 40, 15},
      {0, -900, 40, 195}, {1, 55, 140, 100},   {1, -55, 140, 110},   {2, 1, 240, 105},
  };
  for (const Case& c : cases) {
    GraphPoint p = placer.Place(c.index, c.value);
    EXPECT_EQ(p.x, c.x) << c.index << " " << c.value;
    EXPECT_EQ(p.y, c.y) << c.index << " " << c.value;
  }
  CGraphPlacer uneven(g, 10, 110, 30, 100);  // step 3.33...
  EXPECT_EQ(uneven.Place(29, 0).x, 106);
}

TEST(HistoryGraphLayout, EqualValuesLieOnOneLine) {
  GraphGeometry g = ComputeGraphGeometry(300);
  CGraphPlacer placer(g, 0, 300, 30, 10);
  for (size_t i = 0; i < 30; ++i) EXPECT_EQ(placer.Place(i, 42).y, placer.Place(0, 42).y) << i;
}

TEST(HistoryGraphLayout, HugeValuesLandFarOutsideWithoutOverflow) {
  GraphGeometry g = ComputeGraphGeometry(400);
  CGraphPlacer placer(g, 0, 300, 2, 1);
  GraphPoint high = placer.Place(0, std::numeric_limits<int64_t>::max());
  GraphPoint low = placer.Place(1, std::numeric_limits<int64_t>::min());
  EXPECT_LT(high.y, -100000);
  EXPECT_GT(low.y, 100000);
  EXPECT_EQ(CGraphPlacer(g, 0, 300, 0, 0).Place(0, 5).x, 0);
}

TEST(HistoryGraphLayout, MarkerClassesByTheTotalLimit) {
  struct Case {
    int64_t value;
    uint32_t limit;
    MarkerLevel level;
  } cases[] = {
      {0, 750, MarkerLevel::kNormal},     {374, 750, MarkerLevel::kNormal},   {375, 750, MarkerLevel::kWarning},
      {-375, 750, MarkerLevel::kWarning}, {749, 750, MarkerLevel::kWarning},  {750, 750, MarkerLevel::kAlarm},
      {-751, 750, MarkerLevel::kAlarm},   {2, 5, MarkerLevel::kWarning},      {1, 5, MarkerLevel::kNormal},
      {0, 0, MarkerLevel::kAlarm},        {std::numeric_limits<int64_t>::min(), 0xFFFFFFFF, MarkerLevel::kAlarm},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyPoint(c.value, c.limit), c.level) << c.value << " " << c.limit;
}

// The marks are given at 96 DPI and grow with the DPI, rounded to the nearest pixel.
TEST(HistoryGraphLayout, MarksScaleWithTheDpi) {
  struct Case {
    int dpi;
    GraphMarks marks;
  } cases[] = {
      {96, {1, 3, 1, 4, 2, 4, 12, 30}},
      {120, {1, 4, 1, 5, 3, 5, 15, 38}},
      {144, {2, 5, 2, 6, 3, 6, 18, 45}},
      {192, {2, 6, 2, 8, 4, 8, 24, 60}},
  };
  for (const Case& c : cases) EXPECT_EQ(GraphMarksAt(c.dpi), c.marks) << c.dpi;
}

}  // namespace
