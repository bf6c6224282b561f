// The events the service reports, each with its ID, category and inserts.
#include "service/service_events.h"

#include "monitor/check_verdicts.h"
#include "monitor/variance.h"
#include "platform/iso_time.h"
#include "service/check_detail_text.h"

namespace {

using K = ServiceEventKind;

// The message table's entries; service_messages.mc holds the same texts under the same IDs.
const std::vector<ServiceEventInfo> kEvents = {
    {K::kServiceStarted, 100, kCategoryService, kLogInfo, false, false,
     "The Orvane Monitor service started: %1 monitored machines, a check every %2 minutes, checks stored in %3.", 3},
    {K::kServiceStopped, 101, kCategoryService, kLogInfo, false, false,
     "The Orvane Monitor service stopped after %1 checks since it started, %2 of which raised an alert.", 2},
    {K::kSettingsRead, 102, kCategoryService, kLogInfo, false, false,
     "The Orvane Monitor service read its settings again: %1 monitored machines, a check every %2 minutes, "
     "checks stored in %3.",
     3},
    {K::kCheckPassed, 200, kCategoryCheck, kLogInfo, true, true,
     "Check of %1 machines at %2: %3 answered, average variance %4 ms, worst variance %5 ms; all enabled variance "
     "tests passed.",
     5},
    {K::kCheckAlerted, 201, kCategoryCheck, kLogError, true, true,
     "Check of %1 machines at %2: %3 answered, average variance %4 ms, worst variance %5 ms; ALERT: %6.", 6},
    {K::kMachinesUnanswered, 202, kCategoryCheck, kLogError, true, true, "Check at %1: %2: %3 (%4).", 4},
    {K::kReferenceUnanswered, 203, kCategoryCheck, kLogError, true, true,
     "Check at %1: %2: the reference clock did not answer (%3); the variances were taken against this machine's "
     "clock.",
     3},
    {K::kMailSent, 300, kCategoryAlert, kLogInfo, false, true,
     "The alert mail of the check at %1 was sent through %2 to %3 recipients.", 3},
    {K::kMailFailed, 301, kCategoryAlert, kLogError, false, true,
     "The alert mail of the check at %1 could not be sent through %2: %3", 3},
    {K::kLogRolled, 400, kCategoryStorage, kLogInfo, false, false,
     "The service log %1 was rolled into %2; %3 old archives were deleted.", 3},
    {K::kStoreRefused, 401, kCategoryStorage, kLogError, false, true,
     "The Orvane Monitor service wrote nothing to %1: %2.", 2},
    {K::kMessage, 1000, kCategoryService, kLogInfo, false, false, "%1", 1},
};

ServiceEvent Make(ServiceEventKind kind, std::vector<std::string> inserts) {
  return {kind, std::move(inserts), EventInfo(kind).level};
}

std::string Number(uint64_t value) { return std::to_string(value); }
std::string Signed(int64_t value) { return std::to_string(value); }

// The largest worst variance by its size, with its sign.
int64_t WorstOf(const SummaryRecord& record) {
  int64_t worst = 0;
  for (int64_t value : record.worst)
    if (VarianceMagnitude(value) > VarianceMagnitude(worst)) worst = value;
  return worst;
}

// The failed tests' verdicts, without the limits' padding: "At least one machine's variance exceeds 1000 ms".
std::string FailedTests(const SummaryRecord& record) {
  std::string failed;
  for (const CheckVerdict& verdict : {SingleMachineVerdict(record), TotalVarianceVerdict(record), MasterSlaveVerdict(record)}) {
    if (verdict.state != kVerdictFailed) continue;
    failed += (failed.empty() ? "" : "; ") + verdict.text.substr(0, verdict.text.find_last_not_of(' ') + 1);
  }
  return failed;
}

ServiceEvent VerdictEvent(const SummaryRecord& r) {
  std::string listed = Number(uint64_t(r.counts[0]) + r.unansweredMachines), when = IsoTimeFromUnix(r.time);
  std::vector<std::string> inserts = {listed, when, Number(r.counts[0]), Signed(r.averages[4]), Signed(WorstOf(r))};
  if (r.status == kCheckQuiet) return Make(K::kCheckPassed, inserts);
  inserts.push_back(FailedTests(r));
  return Make(K::kCheckAlerted, inserts);
}

}  // namespace

const std::vector<ServiceEventInfo>& ServiceEventTable() { return kEvents; }

const ServiceEventInfo& EventInfo(ServiceEventKind kind) {
  for (const ServiceEventInfo& info : kEvents)
    if (info.kind == kind) return info;
  return kEvents.back();
}

std::string FormatEventText(const ServiceEvent& event) {
  const char* text = EventInfo(event.kind).text;
  std::string formatted;
  for (const char* at = text; *at; ++at) {
    if (at[0] == '%' && at[1] >= '1' && at[1] <= '9') {
      size_t index = size_t(at[1] - '1');
      if (index < event.inserts.size()) formatted += event.inserts[index];
      ++at;
    } else {
      formatted += *at;
    }
  }
  return formatted;
}

ServiceEvent ServiceStartedEvent(size_t machines, uint32_t minutes, const std::string& dataFolder) {
  return Make(K::kServiceStarted, {Number(machines), Number(minutes), dataFolder});
}

ServiceEvent ServiceStoppedEvent(uint32_t checks, uint32_t alerts) {
  return Make(K::kServiceStopped, {Number(checks), Number(alerts)});
}

ServiceEvent SettingsReadEvent(size_t machines, uint32_t minutes, const std::string& dataFolder) {
  return Make(K::kSettingsRead, {Number(machines), Number(minutes), dataFolder});
}

std::vector<ServiceEvent> CheckEvents(const SummaryRecord& r, const std::vector<MachineResult>& machines,
                                      const std::string& referenceFailures) {
  std::vector<ServiceEvent> events;
  std::string when = IsoTimeFromUnix(r.time);
  if (r.status == kCheckQuiet || r.status == kCheckAlert) events.push_back(VerdictEvent(r));
  if (r.status == kCheckQuiet) return events;
  std::string verdict = r.status == kCheckAlert ? "ALERT" : "UNKNOWN";
  if (r.unansweredMachines > 0 || r.counts[0] == 0) {
    SummaryRecord machinesAlone = r;  // what the machines left unmeasured, the reference aside
    machinesAlone.checkFlags &= uint8_t(~kCheckReferenceUnanswered);
    std::string reasons = machines.empty() ? "\"Monitored Machines\" lists no machine" : UnansweredReasons(machines);
    events.push_back(Make(K::kMachinesUnanswered, {when, verdict, UnmeasuredText(machinesAlone), reasons}));
  }
  if (r.checkFlags & kCheckReferenceUnanswered)
    events.push_back(Make(K::kReferenceUnanswered, {when, verdict, referenceFailures}));
  return events;
}

ServiceEvent MailSentEvent(uint32_t checkTime, const std::string& server, size_t recipients) {
  return Make(K::kMailSent, {IsoTimeFromUnix(checkTime), server, Number(recipients)});
}

ServiceEvent MailFailedEvent(uint32_t checkTime, const std::string& server, const std::string& report) {
  return Make(K::kMailFailed, {IsoTimeFromUnix(checkTime), server, report});
}

ServiceEvent LogRolledEvent(const std::string& log, const std::string& archive, size_t deleted) {
  return Make(K::kLogRolled, {log, archive, Number(deleted)});
}

ServiceEvent StoreRefusedEvent(const std::string& where, const std::string& why) {
  return Make(K::kStoreRefused, {where, why});
}

ServiceEvent MessageEvent(LogLevel level, const std::string& text) { return {K::kMessage, {text}, level}; }
