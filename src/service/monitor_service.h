// The Monitor service's work: it owns the three events the applet opens, re-reads the settings
// when "ovmon-cpl-event" is set, and runs a check at start, every "Check Frequency (minutes)"
// and whenever "ovmon-trigger-event" is set (a burst merged, see check_schedule.h), signalling
// "ovmon-working-signal" meanwhile.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "monitor/check_metrics.h"
#include "monitor/settings.h"
#include "service/check_summary.h"
#include "service/service_log.h"

class CMonitorService {
 public:
  // Creates the service's events by the naming rule with the guarded access list (everyone may
  // wait on them); an event of a foreign owner or list found in their place is not used.
  CMonitorService();
  // Closes them: the applet then sees no service.
  ~CMonitorService();
  CMonitorService(const CMonitorService&) = delete;
  CMonitorService& operator=(const CMonitorService&) = delete;

  // Whether all three events could be created and trusted.
  bool Ready() const;
  // Writes to the log (as the settings configure it) why an event was not created or not trusted.
  void ReportProblems();
  // Runs until stop is set.
  void Run(HANDLE stop);
  // Loads the settings and the monitored machines again.
  void Reload();
  // Runs one check, stores it, announces it, then raises its alerts; false when it was stopped or
  // could not be stored.
  bool CheckNow();
  // An event set after every stored check (for whoever waits on checks).
  void NotifyChecks(HANDLE event) { checked_ = event; }
  // The clock that keys the checks (seconds since 1970); tests move it.
  void UseClock(std::function<uint32_t()> clock) { clock_ = std::move(clock); }
  // Sends the service's Event Viewer entries to sink instead of the Event Log (tests record them).
  void SendEventsTo(EventLogSink sink) { log_.SendEventsTo(std::move(sink)); }

 private:
  HANDLE MakeEvent(const char* name, bool manualReset);
  uint32_t KeyForCheck(uint32_t now, bool* afterJump);
  bool CheckAndStore(SummaryRecord* stored, std::string* storedDetail);
  uint64_t CheckPeriodMs() const;
  void RecordCheck(const SummaryRecord& record, const std::array<uint32_t, 4>& unanswered, uint32_t durationMs);
  void RaiseAlert(const SummaryRecord& record, const std::string& detail);
  void MailAlert(const SummaryRecord& record, const std::string& detail);

  std::vector<std::pair<std::string, std::string>> problems_;  // where and why; made first: the events add to it
  HANDLE settingsEvent_ = nullptr;
  HANDLE triggerEvent_ = nullptr;
  HANDLE workingSignal_ = nullptr;
  HANDLE ringing_ = nullptr;
  HANDLE checked_ = nullptr;
  CMonitorSettings settings_;
  std::vector<std::string> machines_;
  CServiceLog log_;
  std::function<uint32_t()> clock_;
  ServiceRunState runState_;
};
