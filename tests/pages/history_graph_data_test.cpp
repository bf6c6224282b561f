// The series, scale and legend of the history graph, computed from check summaries.
#include "pages/history_graph_data.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const int64_t kMax = std::numeric_limits<int64_t>::max();
const int64_t kMin = std::numeric_limits<int64_t>::min();

// Every plotted field holds a different value.
SummaryRecord Distinct() {
  SummaryRecord r;
  r.time = 1700000000;
  r.averages = {11, -22, 33, -44, 55};  // masters, slaves, independents, clients, total
  r.worst = {101, 102, 103, -104};
  r.referenceTime = 5000000000;          // 500000 ms
  r.slowestClock = 4999880000;           // 499988 ms
  r.fastestClock = 5000250000;           // 500025 ms
  return r;
}

TEST(HistoryGraphData, EachTypeTakesItsFields) {
  struct Case {
    int type;
    std::vector<int64_t> values;  // series 1 to 3
  } cases[] = {
      {0, {11}},          {1, {-22}},          {2, {33}},  {3, {11, -22, 33}},  {4, {-44}}, {5, {55}},
      {6, {7, -44, 55}},  {7, {-12}},          {8, {25}},  {9, {-12, 25}},      {10, {-104}},
  };
  SummaryRecord r = Distinct();
  for (const Case& c : cases) {
    EXPECT_EQ(GraphSeriesCount(c.type), int(c.values.size())) << c.type;
    EXPECT_EQ(GraphLegendEntries(c.type).size(), c.values.size() > 1 ? c.values.size() : 0u) << c.type;
    for (size_t s = 0; s < c.values.size(); ++s)
      EXPECT_EQ(GraphSeriesValue(c.type, int(s), r), c.values[s]) << "type " << c.type << " series " << s;
  }
}

TEST(HistoryGraphData, NamesAndLegendEntries) {
  EXPECT_STREQ(GraphTypeName(0), "Master Variance");
  EXPECT_STREQ(GraphTypeName(6), "Servers, Clients, and Total");
  EXPECT_STREQ(GraphTypeName(9), "Slowest vs. Fastest Clock");
  EXPECT_STREQ(GraphTypeName(10), "Worst Client Variance");
  EXPECT_EQ(GraphLegendEntries(3), (std::vector<std::string>{"- Masters", "- Slaves", "- Independent Servers"}));
  EXPECT_EQ(GraphLegendEntries(6), (std::vector<std::string>{"- Servers (all types)", "- Clients", "- Total"}));
  EXPECT_EQ(GraphLegendEntries(9), (std::vector<std::string>{"- Slowest", "- Fastest"}));
}

TEST(HistoryGraphData, StoredTypeOutsideTheListIsTheDefault) {
  EXPECT_EQ(ValidGraphType(0), 0);
  EXPECT_EQ(ValidGraphType(10), 10);
  EXPECT_EQ(ValidGraphType(11), 6);
  EXPECT_EQ(ValidGraphType(42), 6);
  EXPECT_EQ(ValidGraphType(0xFFFFFFFF), 6);
}

TEST(HistoryGraphData, ServersAverageTruncatesTowardZeroAndNeverOverflows) {
  struct Case {
    int64_t masters, slaves, independents, expected;
  } cases[] = {
      {1, 1, 2, 1},     {-1, -1, 0, 0},   {-1, -1, -2, -1},  {-5, 0, 0, -1},
      {kMax, kMax, kMax, kMax},           {kMin, kMin, kMin, kMin},     {kMax, kMin, 0, 0},
  };
  for (const Case& c : cases) {
    SummaryRecord r;
    r.averages = {c.masters, c.slaves, c.independents, 0, 0};
    EXPECT_EQ(GraphSeriesValue(6, 0, r), c.expected) << c.masters << " " << c.slaves << " " << c.independents;
  }
}

TEST(HistoryGraphData, ClockReadingsAreCutToMillisecondsBeforeTheDifference) {
  SummaryRecord r;
  r.slowestClock = -19999;  // -1 ms after truncation toward zero
  r.referenceTime = 9999;   // 0 ms
  r.fastestClock = 19999;   // 1 ms
  EXPECT_EQ(GraphSeriesValue(7, 0, r), -1);
  EXPECT_EQ(GraphSeriesValue(8, 0, r), 1);
  r.slowestClock = kMin;
  r.referenceTime = kMax;
  EXPECT_EQ(GraphSeriesValue(7, 0, r), kMin / 10000 - kMax / 10000);
}

std::vector<SummaryRecord> Records(size_t count) {
  std::vector<SummaryRecord> records(count);
  for (size_t i = 0; i < count; ++i) {
    records[i].time = 1700000000 + uint32_t(i);
    records[i].averages[0] = int64_t(i) + 1;  // masters: 1, 2, ...
  }
  return records;
}

TEST(HistoryGraphData, PlotsTheThirtyNewestOfMore) {
  GraphData data = BuildGraphData(0, Records(45));
  EXPECT_TRUE(data.cut);
  EXPECT_EQ(data.points, 30u);
  ASSERT_EQ(data.series[0].size(), 30u);
  EXPECT_EQ(data.series[0].front(), 16);
  EXPECT_EQ(data.series[0].back(), 45);
  EXPECT_TRUE(data.series[1].empty());
  EXPECT_EQ(GraphLegendText(data, 10),
            "Each point represents the Master Variance data from one Monitor sample. "
            "The most recent 30 samples are shown. Each vertical division represents 10 milliseconds.");

  data = BuildGraphData(0, Records(30));
  EXPECT_FALSE(data.cut);
  EXPECT_EQ(data.points, 30u);
  EXPECT_EQ(data.series[0].front(), 1);
}

TEST(HistoryGraphData, CollectedSentenceCountsTheSamples) {
  struct Case {
    size_t count;
    const char* sentence;
  } cases[] = {{0, "0 samples have been collected. "},
               {1, "1 sample has been collected. "},
               {2, "2 samples have been collected. "}};
  for (const Case& c : cases) {
    GraphData data = BuildGraphData(6, Records(c.count));
    EXPECT_EQ(GraphLegendText(data, 1000),
              std::string("Each point represents the Servers, Clients, and Total data from one Monitor sample. ") +
                  c.sentence + "Each vertical division represents 1 second.");
  }
}

TEST(HistoryGraphData, LargestMagnitudeCoversOnlyTheTypesSeries) {
  SummaryRecord r = Distinct();
  r.averages = {-95, 7000, -300, 1, 2};
  EXPECT_EQ(BuildGraphData(0, {r}).largest, 95u);
  EXPECT_EQ(BuildGraphData(3, {r}).largest, 7000u);
  EXPECT_EQ(BuildGraphData(6, {r}).largest, 2201u);  // (-95 + 7000 - 300) / 3
  r.averages[0] = kMin;
  EXPECT_EQ(BuildGraphData(0, {r}).largest, uint64_t(kMax) + 1);
}

TEST(HistoryGraphData, AutoScalePicksTheFirstDivisionWhoseTenfoldReachesTheLargest) {
  struct Case {
    uint64_t largest;
    uint32_t scale;
  } cases[] = {
      {0, 10},           {5, 10},           {95, 10},          {100, 10},       {101, 25},
      {250, 25},         {251, 50},         {6000000, 600000}, {6000001, 500000},
      {7000000, 500000}, {std::numeric_limits<uint64_t>::max(), 500000},
  };
  for (const Case& c : cases) EXPECT_EQ(AutoScale(c.largest), c.scale) << c.largest;
  GraphData data;
  data.largest = 101;
  EXPECT_EQ(EffectiveScale(kAutoScale, data), 25u);
  EXPECT_EQ(EffectiveScale(2, data), 2u);
}

TEST(HistoryGraphData, ScaleTexts) {
  struct Case {
    uint32_t scale;
    const char* text;
  } cases[] = {
      {1, "1 millisecond"},  {2, "2 milliseconds"},  {999, "999 milliseconds"}, {1000, "1 second"},
      {2500, "2 seconds"},   {59999, "59 seconds"},  {60000, "1 minute"},       {120000, "2 minutes"},
      {500000, "8 minutes"}, {600000, "10 minutes"},
  };
  for (const Case& c : cases) EXPECT_EQ(ScaleText(c.scale), c.text) << c.scale;
  EXPECT_EQ(ScaleItemText(2500), "2500x");
  EXPECT_EQ(kGraphScales.front(), 1u);
  EXPECT_EQ(kGraphScales.back(), 600000u);
}

}  // namespace
