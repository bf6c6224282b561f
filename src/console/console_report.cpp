// The texts and JSON that ovmonctl prints for samples, the service, its checks and settings.
#include "console/console_report.h"

#include <algorithm>
#include <vector>

#include "monitor/check_verdicts.h"
#include "monitor/settings_schema.h"
#include "platform/string_printf.h"
#include "sampling/ip_literal.h"
#include "sampling/sample_report.h"
#include "sampling/time_source.h"

namespace {

// What the server said of itself, as the strip chart shows it.
std::string ServerFacts(const TimeSample& sample) {
  if (sample.protocol == kProtocolNtp)
    return StringPrintf("NTPv%u stratum %u leap %s ref ", unsigned(sample.version), unsigned(sample.stratum),
                        LeapName(sample.leap)) +
           ReferenceIdText(sample, false);
  if (!IsOv2Protocol(sample.protocol)) return ProtocolName(sample.protocol);
  return std::string(ProtocolName(sample.protocol)) + " serial " + SerialText(sample.serial) + " role " +
         ServerRoleText(sample.role);
}

uint64_t Magnitude(int64_t value) {
  return value < 0 ? uint64_t(0) - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

std::string Counts(const SummaryRecord& r) {
  return StringPrintf("%u (masters %u, slaves %u, independents %u, clients %u)", r.counts[0], r.counts[1],
                      r.counts[2], r.counts[3], r.counts[4]);
}

std::string Averages(const SummaryRecord& r) {
  return StringPrintf("masters %lld, slaves %lld, independents %lld, clients %lld, total %lld",
                      static_cast<long long>(r.averages[0]), static_cast<long long>(r.averages[1]),
                      static_cast<long long>(r.averages[2]), static_cast<long long>(r.averages[3]),
                      static_cast<long long>(r.averages[4]));
}

std::string Worst(const SummaryRecord& r) {
  return StringPrintf("masters %lld, slaves %lld, independents %lld, clients %lld", static_cast<long long>(r.worst[0]),
                      static_cast<long long>(r.worst[1]), static_cast<long long>(r.worst[2]),
                      static_cast<long long>(r.worst[3]));
}

void WriteInt64Array(CJsonWriter& json, const std::string& name, const int64_t* values, size_t count) {
  json.Key(name).BeginArray();
  for (size_t i = 0; i < count; ++i) json.Integer(values[i]);
  json.End();
}

}  // namespace

std::string StripChartLine(const TimeSample& sample) {
  return IsoTimeFrom100ns(sample.receiveTime) +
         StringPrintf("  delta %+1.7f s  latency %1.7f s  ", TicksToSeconds(sample.delta), TicksToSeconds(sample.latency)) +
         FormatIpAddress(sample.address) + "  " + ServerFacts(sample);
}

std::string FailedStripChartLine(uint64_t now, uint32_t code, const std::string& description) {
  return IsoTimeFrom100ns(now) + StringPrintf("  error %d: ", int32_t(code)) + description;
}

CJsonWriter& WriteSampleJson(CJsonWriter& json, const TimeSample& s) {
  json.Member("server", s.server).Member("address", FormatIpAddress(s.address));
  json.Member("protocol", ProtocolName(s.protocol)).Member("protocolCode", unsigned(s.protocol));
  json.Member("errorCode", s.errorCode).Member("errorText", s.errorText);
  json.Key("delta").Fixed(TicksToSeconds(s.delta), 7).Key("latency").Fixed(TicksToSeconds(s.latency), 7);
  json.Member("delta100ns", s.delta).Member("latency100ns", s.latency);
  json.Member("receiveTime", IsoTimeFrom100ns(s.receiveTime)).Member("receiveCorrection100ns", s.receiveCorrection);
  json.Member("version", unsigned(s.version)).Member("stratum", unsigned(s.stratum));
  json.Member("leap", LeapName(s.leap)).Member("leapCode", unsigned(s.leap));
  json.Member("mode", unsigned(s.mode)).Member("precision", int(s.precision)).Member("poll", unsigned(s.poll));
  json.Member("referenceId", ReferenceIdText(s, false));
  json.Member("rootDelay", s.rootDelay).Member("rootDispersion", s.rootDispersion);
  json.Member("serial", s.serial).Member("role", s.role);
  json.Member("requestAuth", unsigned(s.requestAuth)).Member("replyAuth", unsigned(s.replyAuth));
  return json.Member("digestType", s.digestType).Member("replyLength", s.replyLength);
}

const char* CheckStateName(uint32_t status) {
  switch (status) {
    case 1: return "alert";
    case 2: return "in progress";
    case 3: return "passed";
    default: return "unknown";
  }
}

const char* ServiceStateName(bool running, bool checking) {
  return !running ? "not running" : checking ? "checking" : "running";
}

std::string SummaryText(const std::string& label, const SummaryRecord& r) {
  if (r.time == 0) return label + ": none\n";
  std::string text = label + ": " + IsoTimeFromUnix(r.time) + ", " + CheckStateName(r.status) + "\n";
  text += "  Machines: " + Counts(r) + "\n";
  text += "  Average variance (ms): " + Averages(r) + "\n";
  text += "  Worst variance (ms): " + Worst(r) + "\n";
  std::string unmeasured = UnmeasuredText(r);
  if (!unmeasured.empty()) text += "  Not measured: " + unmeasured + "\n";
  for (const CheckVerdict& verdict : {MasterSlaveVerdict(r), SingleMachineVerdict(r), TotalVarianceVerdict(r)}) {
    std::string words = verdict.text.substr(0, verdict.text.find_last_not_of(' ') + 1);
    text += "  " + words + "\n";
  }
  return text;
}

CJsonWriter& WriteSummaryJson(CJsonWriter& json, const SummaryRecord& r) {
  if (r.time == 0) return json.Key("time").String("");
  json.Member("time", IsoTimeFromUnix(r.time)).Member("timeSeconds", r.time);
  json.Member("state", CheckStateName(r.status)).Member("status", r.status);
  json.Key("machines").BeginObject().Member("total", r.counts[0]).Member("masters", r.counts[1]);
  json.Member("slaves", r.counts[2]).Member("independents", r.counts[3]).Member("clients", r.counts[4]);
  json.Member("unanswered", r.unansweredMachines).End();
  json.Member("referenceAnswered", !(r.checkFlags & kCheckReferenceUnanswered));
  json.Member("notMeasured", UnmeasuredText(r));
  WriteInt64Array(json, "averageVarianceMs", r.averages.data(), r.averages.size());
  WriteInt64Array(json, "worstVarianceMs", r.worst.data(), r.worst.size());
  json.Key("limits").BeginObject();
  json.Member("unit", r.limitUnit).Member("singleMachine", r.singleLimit).Member("total", r.totalLimit);
  json.Member("masterSlave", r.slaveLimit).Member("singleMachineTest", r.singleTest != 0);
  return json.Member("totalTest", r.totalTest != 0).Member("masterSlaveTest", r.slaveTest != 0).End();
}

std::string HistoryLine(const SummaryRecord& r) {
  std::string unmeasured = UnmeasuredText(r);
  return IsoTimeFromUnix(r.time) +
         StringPrintf("  %-8s  machines %u  worst %llu ms  total average %lld ms", CheckStateName(r.status),
                      r.counts[0], static_cast<unsigned long long>(WorstVariance(r)),
                      static_cast<long long>(r.averages[4])) +
         (unmeasured.empty() ? "" : "  (" + unmeasured + ")");
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

namespace {

const char kCsvHeader[] =
    "time,state,status,machines_answering,masters,slaves,independents,clients,unanswered,reference_answered,"
    "average_masters_ms,average_slaves_ms,average_independents_ms,average_clients_ms,average_total_ms,"
    "worst_masters_ms,worst_slaves_ms,worst_independents_ms,worst_clients_ms,single_machine_test,"
    "single_machine_limit_ms,total_variance_test,total_variance_limit_ms,master_slave_test,master_slave_limit_ms,"
    "not_measured";

std::string CsvRow(const SummaryRecord& r) {
  std::vector<std::string> fields = {IsoTimeFromUnix(r.time), CheckStateName(r.status), std::to_string(r.status)};
  for (uint32_t count : r.counts) fields.push_back(std::to_string(count));
  fields.push_back(std::to_string(r.unansweredMachines));
  fields.push_back(r.checkFlags & kCheckReferenceUnanswered ? "0" : "1");
  for (int64_t average : r.averages) fields.push_back(std::to_string(average));
  for (int64_t worst : r.worst) fields.push_back(std::to_string(worst));
  for (auto [enabled, limit] : {std::pair{r.singleTest, r.singleLimit}, std::pair{r.totalTest, r.totalLimit},
                                std::pair{r.slaveTest, r.slaveLimit}}) {
    fields.push_back(enabled ? "1" : "0");
    fields.push_back(std::to_string(LimitThreshold(limit, r.limitUnit)));
  }
  fields.push_back(UnmeasuredText(r));
  std::string row;
  for (const std::string& field : fields) row += (row.empty() ? "" : ",") + CsvField(field);
  return row + "\r\n";
}

}  // namespace

std::string HistoryCsv(const std::vector<SummaryRecord>& records) {
  std::string text = std::string(kCsvHeader) + "\r\n";
  for (const SummaryRecord& record : records) text += CsvRow(record);
  return text;
}

uint64_t WorstVariance(const SummaryRecord& record) {
  uint64_t worst = 0;
  for (int64_t value : record.worst) worst = std::max(worst, Magnitude(value));
  return worst;
}

namespace {

// The code of a check by its worst variance against the thresholds, or by its own state.
int VarianceCode(const SummaryRecord& record, uint64_t worst, const PluginLimits& limits) {
  if (!limits.warnMs && !limits.critMs) {
    switch (record.status) {
      case kCheckQuiet: return kPluginOk;
      case kCheckAlert: return kPluginCritical;
      case kCheckUnknown: return kPluginWarning;
      default: return kPluginUnknown;
    }
  }
  if (limits.critMs && worst > *limits.critMs) return kPluginCritical;
  return limits.warnMs && worst > *limits.warnMs ? kPluginWarning : kPluginOk;
}

// A check that left something unmeasured never passes: nothing answered is CRITICAL, some gaps WARNING.
int UnmeasuredCode(const SummaryRecord& record) {
  if (record.status == kCheckQuiet) return kPluginOk;
  if (record.counts[0] == 0) return kPluginCritical;
  return record.unansweredMachines || (record.checkFlags & kCheckReferenceUnanswered) ? kPluginWarning : kPluginOk;
}

std::string PerformanceData(const SummaryRecord& record, uint64_t worst, const PluginLimits& limits) {
  auto threshold = [](std::optional<uint32_t> value) { return value ? std::to_string(*value) : std::string(); };
  return " | worst=" + std::to_string(worst) + "ms;" + threshold(limits.warnMs) + ";" + threshold(limits.critMs) +
         ";0 total_average=" + std::to_string(record.averages[4]) + "ms machines=" + std::to_string(record.counts[0]) +
         " unanswered=" + std::to_string(record.unansweredMachines);
}

}  // namespace

PluginAnswer JudgeCheck(const SummaryRecord* record, bool serviceRunning, const PluginLimits& limits) {
  if (!serviceRunning) return {kPluginUnknown, "OVMON UNKNOWN - the monitor service is not running"};
  if (!record || record->time == 0) return {kPluginUnknown, "OVMON UNKNOWN - no check has been stored"};
  if (limits.now > record->time && limits.now - record->time > limits.maxAgeSeconds)
    return {kPluginUnknown, "OVMON UNKNOWN - the last check, at " + IsoTimeFromUnix(record->time) + ", is " +
                                std::to_string(limits.now - record->time) + " seconds old"};
  uint64_t worst = WorstVariance(*record);
  int code = std::max(VarianceCode(*record, worst, limits), UnmeasuredCode(*record));
  static const char* const kWords[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};
  std::string unmeasured = UnmeasuredText(*record);
  std::string line = StringPrintf("OVMON %s - check at ", kWords[code]) + IsoTimeFromUnix(record->time) + " " +
                     CheckStateName(record->status) + (unmeasured.empty() ? "" : " (" + unmeasured + ")") +
                     StringPrintf(", %u machines, worst variance %llu ms", record->counts[0],
                                  static_cast<unsigned long long>(worst));
  return {code, line + PerformanceData(*record, worst, limits)};
}

namespace {

// The sections of the listing, in order, by the subkey that holds their values.
const char* const kListedKeys[] = {kParametersKey, kSummariesKey, kSmtpKey, kEventViewerKey,
                                   kOtherAlertsKey, kAudioKey, kTextLogKey};

std::string Section(const char* title) { return std::string("[") + title + "]\n"; }

std::string Line(const char* name, const std::string& text) { return std::string(name) + " = " + text + "\n"; }

// The values of one subkey, in save order.
std::string ListedKey(const std::vector<SettingsValue>& schema, const std::string& subkey) {
  std::string text = Section(subkey.empty() ? "Parameters" : subkey.c_str() + 1);
  for (const SettingsValue& value : schema)
    if (value.subkey == subkey)
      for (const std::string& item : SettingsValueTexts(value)) text += Line(value.name, item);
  return text;
}

std::string ListedDiscovery(NetworkDiscoverySettings& d) {
  std::string text = Section("Network discovery") + Line(kUseManagerSettings, d.useManagerSettings ? "True" : "False");
  for (const RegistryValue& value : DiscoverySchema(d))
    for (const std::string& item : RegistryFieldTexts(value.field)) text += Line(value.name, item);
  return text;
}

}  // namespace

std::string SettingsListing(const CMonitorSettings& settings) {
  CMonitorSettings listed = settings;
  std::vector<SettingsValue> schema = SettingsSchema(listed);
  std::string text;
  for (const char* subkey : kListedKeys) text += ListedKey(schema, subkey) + "\n";
  return text + ListedDiscovery(listed.discovery);
}
