#include "service/monitor_service.h"

#include <algorithm>

#include "mail/smtp_engine.h"
#include "monitor/data_store.h"
#include "monitor/service_signals.h"
#include "platform/named_objects.h"
#include "platform/registry.h"
#include "sampling/system_clock.h"
#include "service/check_detail_text.h"
#include "service/check_run.h"
#include "service/check_store.h"
#include "service/monitored_machines.h"

namespace {

// Turns the working signal on for the life of a check.
class CWorking {
 public:
  explicit CWorking(HANDLE signal) : signal_(signal) { SetEvent(signal_); }
  ~CWorking() { ResetEvent(signal_); }
  CWorking(const CWorking&) = delete;
  CWorking& operator=(const CWorking&) = delete;

 private:
  HANDLE signal_;
};

std::string CheckLine(const SummaryRecord& record, size_t listed) {
  return "Check of " + std::to_string(listed) + " machines: " + std::to_string(record.counts[0]) +
         " answered, average variance " + std::to_string(record.averages[4]) + " ms; " +
         (record.status == kCheckAlert ? "ALERT: a variance test failed" : "all tests passed");
}

}  // namespace

CMonitorService::CMonitorService()
    : settingsEvent_(CreateGlobalEvent(kSettingsEventName, false)),
      triggerEvent_(CreateGlobalEvent(kTriggerEventName, false)),
      workingSignal_(CreateGlobalEvent(kWorkingSignalName, true)),
      ringing_(CreateGlobalEvent(kRingingEventName, true)) {}

CMonitorService::~CMonitorService() {
  for (HANDLE event : {settingsEvent_, triggerEvent_, workingSignal_, ringing_})
    if (event) CloseHandle(event);
}

bool CMonitorService::Ready() const { return settingsEvent_ && triggerEvent_ && workingSignal_; }

void CMonitorService::Reload() {
  LoadSettings(&settings_);
  ReadRegistryList("", kMonitoredMachinesValue, &machines_);
  log_.Configure(ServiceLogSettingsOf(settings_));
}

uint32_t CMonitorService::NextCheckTime(uint32_t now) const {
  uint64_t period = uint64_t(settings_.checkFrequency ? settings_.checkFrequency : 1) * 60;
  uint64_t next = uint64_t(lastAttempt_ ? lastAttempt_ : now) + period;
  return next > 0xFFFFFFFF ? 0xFFFFFFFF : uint32_t(next);
}

void CMonitorService::Run(HANDLE stop) {
  Reload();
  RemovePartialFiles(settings_.dataFolder);
  log_.Write(kLogInfo, "Orvane Monitor service started");
  bool due = true;
  for (;;) {
    if (due) CheckNow();
    uint32_t now = CurrentUnixSeconds(), next = NextCheckTime(now);
    DWORD wait = next > now ? DWORD(std::min<uint64_t>(uint64_t(next - now) * 1000, 0x7FFFFFFF)) : 0;
    HANDLE events[] = {stop, settingsEvent_, triggerEvent_};
    DWORD woke = WaitForMultipleObjects(3, events, FALSE, wait);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    if (woke == WAIT_OBJECT_0 + 1) {
      Reload();
      log_.Write(kLogInfo, "Settings changed; read again");
    }
    due = woke != WAIT_OBJECT_0 + 1;
  }
  log_.Write(kLogInfo, "Orvane Monitor service stopped");
}

bool CMonitorService::CheckNow() {
  lastAttempt_ = CurrentUnixSeconds();  // a check that fails waits for the next period too
  SummaryRecord record;
  std::string detail;
  bool stored;
  {
    CWorking working(workingSignal_);
    stored = CheckAndStore(&record, &detail);
  }
  if (!stored) return false;
  if (checked_) SetEvent(checked_);
  if (record.status == kCheckAlert) RaiseAlert(detail);
  return true;
}

bool CMonitorService::CheckAndStore(SummaryRecord* stored, std::string* storedDetail) {
  uint32_t time = CurrentUnixSeconds();
  time = UnusedCheckTime(settings_.dataFolder, time > lastTime_ ? time : lastTime_ + 1);  // a record of its own
  CheckOutcome outcome = RunCheck(settings_, machines_, &log_);
  if (outcome.stopped) {
    log_.Write(kLogWarning, "Check abandoned: the service is stopping");
    return false;
  }
  CheckPolicy policy{settings_.singleTest, settings_.singleLimit, settings_.totalTest,
                     settings_.totalLimit, settings_.slaveTest,  settings_.slaveLimit};
  SummaryRecord record = ComputeSummary(outcome.machines, policy, time, outcome.referenceTime);
  std::string detail = FormatCheckDetail(FormatUnixTime(time), outcome.reference, outcome.machines, record);
  if (!StoreCheck(settings_.dataFolder, record, detail)) {
    log_.Write(kLogError, "Could not store the check in " + settings_.dataFolder);
    return false;
  }
  lastTime_ = time;
  log_.Status(CheckLine(record, outcome.machines.size()), record.status == kCheckAlert);
  if (size_t removed = ApplyRetention(settings_, time)) log_.Write(kLogTrace, std::to_string(removed) + " old checks removed");
  *stored = record;
  *storedDetail = detail;
  return true;
}

void CMonitorService::RaiseAlert(const std::string& detail) {
  if (settings_.audioEnabled && ringing_) SetEvent(ringing_);
  if (settings_.mailEnabled) MailAlert(detail);
}

void CMonitorService::MailAlert(const std::string& detail) {
  CSMTPMessage message;
  message.format = settings_.mailFormat;
  message.priority = settings_.mailHighPriority ? 1 : 3;
  message.senderAddress = settings_.mailSenderAddress;
  message.senderName = settings_.mailSenderName;
  message.to = settings_.mailTo;
  message.cc = settings_.mailCc;
  message.bcc = settings_.mailBcc;
  message.subject = "Orvane Monitor alert: a variance test failed";
  message.AddHtmlElement("pre", EscapeHtml(detail), "");
  std::string report = DeliverMail(&message, settings_.mailServer, settings_.mailPort, settings_.mailSecurity,
                                   settings_.mailUserName, settings_.mailPassword);
  if (report.empty()) log_.Write(kLogInfo, "Alert mail sent");
  else log_.Write(kLogError, "Alert mail failed: " + report);
}
