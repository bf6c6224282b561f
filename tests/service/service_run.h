// The service's work on a thread of the test process (so it sees the sandboxed registry), with
// an event set after every stored check; ends with the process stop event, as the service does.
#pragma once
#include <windows.h>

#include <thread>

#include "platform/stop_event.h"
#include "service/monitor_service.h"

class CServiceRun {
 public:
  // events, when given, receives the service's Event Viewer entries.
  explicit CServiceRun(EventLogSink events = nullptr) : checked_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    ResetEvent(StopEvent());
    service_.NotifyChecks(checked_);
    if (events) service_.SendEventsTo(std::move(events));
    thread_ = std::thread([this] { service_.Run(StopEvent()); });
  }
  ~CServiceRun() {
    Stop();
    CloseHandle(checked_);
  }
  CServiceRun(const CServiceRun&) = delete;
  CServiceRun& operator=(const CServiceRun&) = delete;

  // Waits for the next stored check; false after timeoutMs.
  bool NextCheck(DWORD timeoutMs = 60000) { return WaitForSingleObject(checked_, timeoutMs) == WAIT_OBJECT_0; }
  // Stops the service's work and waits for it to end.
  void Stop() {
    if (!thread_.joinable()) return;
    SetEvent(StopEvent());
    thread_.join();
    ResetEvent(StopEvent());
  }

 private:
  HANDLE checked_;
  CMonitorService service_;
  std::thread thread_;
};
