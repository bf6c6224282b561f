#include "sampling/stop_event.h"

#include <atomic>

namespace {

std::atomic<HANDLE> g_stopEvent{nullptr};

}  // namespace

void InstallStopEvent(HANDLE event) { g_stopEvent = event; }

HANDLE StopEvent() { return g_stopEvent; }

bool StopRequested() {
  HANDLE event = g_stopEvent;
  return !event || WaitForSingleObject(event, 0) != WAIT_TIMEOUT;
}
