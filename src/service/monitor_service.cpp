// CMonitorService: the events, the schedule, each check's run, store, log and alerts.
#include "service/monitor_service.h"

#include <algorithm>

#include "mail/deliver_mail.h"
#include "monitor/data_store.h"
#include "monitor/service_signals.h"
#include "monitor/service_state.h"
#include "platform/access_lists.h"
#include "platform/guarded_files.h"
#include "platform/named_objects.h"
#include "platform/object_names.h"
#include "platform/registry.h"
#include "sampling/system_clock.h"
#include "service/check_detail_text.h"
#include "service/check_run.h"
#include "service/check_schedule.h"
#include "service/metrics_file.h"
#include "service/retention.h"
#include "service/store_retention.h"
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

}  // namespace

CMonitorService::CMonitorService()
    : settingsEvent_(MakeEvent(kSettingsEventName, false)),
      triggerEvent_(MakeEvent(kTriggerEventName, false)),
      workingSignal_(MakeEvent(kWorkingSignalName, true)),
      ringing_(MakeEvent(kRingingEventName, true)) {
  runState_.started = CurrentUnixSeconds();
}

HANDLE CMonitorService::MakeEvent(const char* name, bool manualReset) {
  std::string why;
  HANDLE event = CreateServiceEvent(name, manualReset, &why);
  if (!event) problems_.push_back({"the event \"" + GlobalObjectName(name) + "\"", why});
  return event;
}

void CMonitorService::ReportProblems() {
  for (const auto& [where, why] : problems_) log_.StoreRefused(where, why);
}

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

uint64_t CMonitorService::CheckPeriodMs() const {
  return uint64_t(settings_.checkFrequency ? settings_.checkFrequency : 1) * 60000;
}

void CMonitorService::Run(HANDLE stop) {
  Reload();
  ReportProblems();
  CMonitorStore(settings_.dataFolder).RemovePartialFiles();
  GuardSecretKey(kSmtpKey);
  WriteServiceRunState(runState_);
  log_.Report(ServiceStartedEvent(machines_.size(), uint32_t(CheckPeriodMs() / 60000), settings_.dataFolder));
  CCheckSchedule schedule(CheckPeriodMs());
  for (;;) {
    CheckDue due = schedule.DueAt(GetTickCount64());
    if (due != CheckDue::kNothing) {
      schedule.Began(GetTickCount64());
      ResetEvent(triggerEvent_);  // the asks so far are answered by this check; later ones wait
      CheckNow();
      schedule.Ended(GetTickCount64(), due == CheckDue::kAsked);
    }
    DWORD wait = DWORD(std::min<uint64_t>(schedule.WaitFrom(GetTickCount64()), 0x7FFFFFFF));
    HANDLE events[] = {stop, settingsEvent_, triggerEvent_};
    DWORD woke = WaitForMultipleObjects(3, events, FALSE, wait);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    if (woke == WAIT_OBJECT_0 + 1) {
      Reload();
      schedule.SetPeriod(CheckPeriodMs());
      log_.Report(SettingsReadEvent(machines_.size(), uint32_t(CheckPeriodMs() / 60000), settings_.dataFolder));
    }
    if (woke == WAIT_OBJECT_0 + 2) schedule.Ask();
  }
  log_.Report(ServiceStoppedEvent(runState_.checks, runState_.alerts));
}

bool CMonitorService::CheckNow() {
  SummaryRecord record;
  std::string detail;
  bool stored;
  {
    CWorking working(workingSignal_);
    stored = CheckAndStore(&record, &detail);
  }
  if (!stored) return false;
  if (checked_) SetEvent(checked_);
  if (CheckRaisesAlert(record)) RaiseAlert(record, detail);
  return true;
}

// The key of a check beginning now, or 0 when none is left; says in the log when the clock jumped.
uint32_t CMonitorService::KeyForCheck(uint32_t now, bool* afterJump) {
  CheckKey key = ChooseCheckKey(StoredCheckKeys(settings_.dataFolder), now, uint32_t(CheckPeriodMs() / 1000));
  *afterJump = key.afterJump;
  if (key.time == 0)
    log_.StoreRefused(settings_.dataFolder, "no key is left for a check (the newest stored check holds the last one)");
  if (key.afterJump)
    log_.Write(kLogWarning, "The clock is far past the newest stored check (it jumped, or the service did not run); "
                            "that gap does not age the stored checks");
  if (key.time > now && key.time - now > kClockAheadSeconds)
    log_.Write(kLogWarning, "The clock reads " + FormatUnixTime(now) + ", behind the newest stored check: this check is "
                            "stored as " + FormatUnixTime(key.time));
  return key.time;
}

bool CMonitorService::CheckAndStore(SummaryRecord* stored, std::string* storedDetail) {
  std::string refusal = FolderRefusal(settings_.dataFolder);
  if (!refusal.empty()) {
    log_.StoreRefused(settings_.dataFolder, refusal + "; no check is stored");
    return false;
  }
  uint32_t now = clock_ ? clock_() : CurrentUnixSeconds();
  bool afterJump = false;
  uint32_t time = KeyForCheck(now, &afterJump);
  if (time == 0) return false;
  ULONGLONG began = GetTickCount64();
  CheckOutcome outcome = RunCheck(settings_, machines_, &log_);
  uint32_t durationMs = uint32_t(std::min<ULONGLONG>(GetTickCount64() - began, 0xFFFFFFFF));
  if (outcome.stopped) {
    log_.Write(kLogWarning, "Check abandoned: the service is stopping");
    return false;
  }
  CheckPolicy policy{settings_.singleTest, settings_.singleLimit, settings_.totalTest,
                     settings_.totalLimit, settings_.slaveTest,  settings_.slaveLimit};
  SummaryRecord record =
      ComputeSummary(outcome.machines, policy, time, outcome.referenceTime, outcome.referenceAnswered);
  if (afterJump) record.checkFlags |= kCheckAfterClockJump;
  std::string detail = FormatCheckDetail(FormatUnixTime(time), outcome.reference, outcome.machines, record);
  if (!CMonitorStore(settings_.dataFolder).StoreCheck(record, detail, CheckRaisesAlert(record))) {
    log_.StoreRefused(settings_.dataFolder, "the check's summary could not be written");
    return false;
  }
  for (const ServiceEvent& event : CheckEvents(record, outcome.machines, outcome.referenceFailures)) log_.Report(event);
  RecordCheck(record, UnansweredPerClass(outcome.machines), durationMs);
  RetentionRules rules{settings_.retentionDays, settings_.retentionRecords, uint32_t(CheckPeriodMs() / 1000)};
  if (size_t removed = ApplyRetention(settings_.dataFolder, rules, now))
    log_.Write(kLogTrace, std::to_string(removed) + " old checks removed");
  *stored = record;
  *storedDetail = detail;
  return true;
}

// Counts a stored check in the run state and writes that and the metrics file.
void CMonitorService::RecordCheck(const SummaryRecord& record, const std::array<uint32_t, 4>& unanswered,
                                  uint32_t durationMs) {
  ++runState_.checks;
  runState_.alerts += CheckRaisesAlert(record) ? 1 : 0;
  runState_.lastCheck = record.time;
  runState_.lastCheckMs = durationMs;
  runState_.unanswered = unanswered;
  WriteServiceRunState(runState_);
  std::string metrics = MetricsFilePath();
  if (metrics.empty()) return;
  std::string refusal = WriteMetricsFile(metrics, FormatMetrics(record, runState_));
  if (!refusal.empty()) log_.StoreRefused(metrics, refusal);
}

void CMonitorService::RaiseAlert(const SummaryRecord& record, const std::string& detail) {
  if (settings_.audioEnabled && ringing_) SetEvent(ringing_);
  if (settings_.mailEnabled) MailAlert(record, detail);
}

void CMonitorService::MailAlert(const SummaryRecord& record, const std::string& detail) {
  CSMTPMessage message;
  message.format = settings_.mailFormat;
  message.priority = settings_.mailHighPriority ? 1 : 3;
  message.senderAddress = settings_.mailSenderAddress;
  message.senderName = settings_.mailSenderName;
  message.to = settings_.mailTo;
  message.cc = settings_.mailCc;
  message.bcc = settings_.mailBcc;
  message.subject = "Orvane Monitor alert: " + CheckHeadline(record);
  message.AddHtmlElement("pre", EscapeHtml(detail), "");
  std::string report = DeliverMail(&message, settings_.mailServer, settings_.mailPort, settings_.mailSecurity,
                                   settings_.mailUserName, settings_.mailPassword);
  std::string server = settings_.mailServer + ":" + std::to_string(settings_.mailPort);
  size_t recipients = message.to.size() + message.cc.size() + message.bcc.size();
  log_.Report(report.empty() ? MailSentEvent(record.time, server, recipients)
                             : MailFailedEvent(record.time, server, report));
}
