// The graph types and the series each takes from the records.
#include "pages/history_graph_data.h"

#include <algorithm>

#include "monitor/variance.h"

const std::array<uint32_t, kGraphScaleCount> kGraphScales = {
    1, 2, 3, 4, 5, 10, 25, 50, 100, 250, 500, 1000, 2500, 5000, 10000, 30000, 60000, 120000, 240000, 300000, 600000};

namespace {

const char* const kTypeNames[kGraphTypeCount] = {
    "Master Variance", "Slave Variance", "Indp. Server Variance", "All Servers", "Client Variance",
    "Total Variance", "Servers, Clients, and Total", "Slowest Clock Variance", "Fastest Clock Variance",
    "Slowest vs. Fastest Clock", "Worst Client Variance"};

const uint32_t kFallbackAutoScale = 500000;

// Indexes into SummaryRecord::averages.
enum { kMasters, kSlaves, kIndependents, kClients, kTotal };

// The servers' mean, summed wide so that no stored values can overflow it.
int64_t ServersAverage(const SummaryRecord& r) {
  __int128 sum = __int128(r.averages[kMasters]) + r.averages[kSlaves] + r.averages[kIndependents];
  return static_cast<int64_t>(sum / 3);
}

// A machine's clock against the reference, both readings cut to milliseconds first.
int64_t ClockVariance(int64_t reading, int64_t reference) { return reading / 10000 - reference / 10000; }

int64_t SingleSeriesValue(int type, const SummaryRecord& r) {
  switch (type) {
    case 0: return r.averages[kMasters];
    case 1: return r.averages[kSlaves];
    case 2: return r.averages[kIndependents];
    case 4: return r.averages[kClients];
    case 5: return r.averages[kTotal];
    case 7: return ClockVariance(r.slowestClock, r.referenceTime);
    case 8: return ClockVariance(r.fastestClock, r.referenceTime);
    case 10: return r.worst[kClients];
    default: return 0;
  }
}

std::string Count(uint64_t value, const char* unit) { return std::to_string(value) + unit; }

}  // namespace

const char* GraphTypeName(int type) { return kTypeNames[ValidGraphType(static_cast<uint32_t>(type))]; }

int ValidGraphType(uint32_t stored) {
  return stored < kGraphTypeCount ? static_cast<int>(stored) : kDefaultGraphType;
}

int GraphSeriesCount(int type) {
  switch (type) {
    case 3: case 6: return 3;
    case 9: return 2;
    default: return 1;
  }
}

std::vector<std::string> GraphLegendEntries(int type) {
  switch (type) {
    case 3: return {"- Masters", "- Slaves", "- Independent Servers"};
    case 6: return {"- Servers (all types)", "- Clients", "- Total"};
    case 9: return {"- Slowest", "- Fastest"};
    default: return {};
  }
}

int64_t GraphSeriesValue(int type, int series, const SummaryRecord& r) {
  switch (type) {
    case 3: return r.averages[series];
    case 6: return series == 0 ? ServersAverage(r) : series == 1 ? r.averages[kClients] : r.averages[kTotal];
    case 9: return SingleSeriesValue(series == 0 ? 7 : 8, r);
    default: return SingleSeriesValue(type, r);
  }
}

GraphData BuildGraphData(int type, const std::vector<SummaryRecord>& records) {
  GraphData data;
  data.type = ValidGraphType(static_cast<uint32_t>(type));
  data.cut = records.size() > kGraphPointLimit;
  size_t first = data.cut ? records.size() - kGraphPointLimit : 0;
  data.points = records.size() - first;
  for (int s = 0; s < GraphSeriesCount(data.type); ++s) {
    for (size_t i = first; i < records.size(); ++i) {
      int64_t value = GraphSeriesValue(data.type, s, records[i]);
      data.series[s].push_back(value);
      data.largest = std::max(data.largest, VarianceMagnitude(value));
    }
  }
  return data;
}

uint32_t AutoScale(uint64_t largest) {
  for (uint32_t scale : kGraphScales)
    if (scale >= 10 && uint64_t(scale) * 10 >= largest) return scale;
  return kFallbackAutoScale;
}

uint32_t EffectiveScale(uint32_t chosen, const GraphData& data) {
  return chosen == kAutoScale ? AutoScale(data.largest) : chosen;
}

std::string ScaleItemText(uint32_t scale) { return Count(scale, "x"); }

std::string ScaleText(uint32_t scale) {
  if (scale == 1) return "1 millisecond";
  if (scale == 1000) return "1 second";
  if (scale == 60000) return "1 minute";
  if (scale < 1000) return Count(scale, " milliseconds");
  if (scale < 60000) return Count(scale / 1000, " seconds");
  return Count(scale / 60000, " minutes");
}

std::string GraphLegendText(const GraphData& data, uint32_t scale) {
  std::string text = "Each point represents the ";
  text += GraphTypeName(data.type);
  text += " data from one Monitor sample. ";
  if (data.cut)
    text += "The most recent " + Count(data.points, " samples are shown. ");
  else
    text += Count(data.points, data.points == 1 ? " sample has been collected. " : " samples have been collected. ");
  return text + "Each vertical division represents " + ScaleText(scale) + ".";
}
