// What the history graph plots: the eleven graph types, the series values they take from the
// check summaries, the vertical scale and the legend sentence under the chart.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/summary_record.h"

constexpr int kGraphTypeCount = 11;
constexpr int kDefaultGraphType = 6;  // "Servers, Clients, and Total"
constexpr size_t kGraphPointLimit = 30;
constexpr uint32_t kAutoScale = 0;
constexpr size_t kGraphScaleCount = 21;

// Milliseconds per vertical division the user can choose.
extern const std::array<uint32_t, kGraphScaleCount> kGraphScales;

// The type's name, also the window caption while it is shown.
const char* GraphTypeName(int type);
// A stored type number, or the default type when it is not one.
int ValidGraphType(uint32_t stored);
// How many series the type plots (1 to 3).
int GraphSeriesCount(int type);
// The legend entries of the type, one per series ("- Masters"); none for one-series types.
std::vector<std::string> GraphLegendEntries(int type);
// The value in milliseconds of series (0 to 2) of the type for one record.
int64_t GraphSeriesValue(int type, int series, const SummaryRecord& record);

struct GraphData {
  int type = kDefaultGraphType;
  std::array<std::vector<int64_t>, 3> series;  // one value per point in each series the type has
  size_t points = 0;
  bool cut = false;       // more records were stored than plotted
  uint64_t largest = 0;   // largest magnitude over the type's series
};

// The series of the type over the newest records (at most 30, oldest first); records are oldest first.
GraphData BuildGraphData(int type, const std::vector<SummaryRecord>& records);
// The division for "Auto": the first table entry of at least 10 whose tenfold reaches largest.
uint32_t AutoScale(uint64_t largest);
// The scale in use: the chosen one, or the automatic one for kAutoScale.
uint32_t EffectiveScale(uint32_t chosen, const GraphData& data);
// The scale list's item text for a table entry ("250x").
std::string ScaleItemText(uint32_t scale);
// A division in words ("1 second", "250 milliseconds", "2 minutes").
std::string ScaleText(uint32_t scale);
// The explanatory sentences shown under the chart.
std::string GraphLegendText(const GraphData& data, uint32_t scale);
