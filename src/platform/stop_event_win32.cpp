// The process's stop event: set once, waited on by every long operation.
#include "platform/stop_event.h"

#include <atomic>

namespace {

std::atomic<HANDLE> g_stopEvent{nullptr};

// The process's own stop event, made when the program loads and installed until it unloads.
class CProcessStopEvent {
 public:
  CProcessStopEvent() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) { InstallStopEvent(event_); }
  ~CProcessStopEvent() {
    if (StopEvent() == event_) InstallStopEvent(nullptr);
    if (event_) CloseHandle(event_);
  }
  CProcessStopEvent(const CProcessStopEvent&) = delete;
  CProcessStopEvent& operator=(const CProcessStopEvent&) = delete;

 private:
  HANDLE event_;
};

CProcessStopEvent g_processStopEvent;

}  // namespace

void InstallStopEvent(HANDLE event) { g_stopEvent = event; }

HANDLE StopEvent() { return g_stopEvent; }

bool StopRequested() {
  HANDLE event = g_stopEvent;
  return !event || WaitForSingleObject(event, 0) != WAIT_TIMEOUT;
}
