// What the service would have given the Event Log, recorded through the log's sink (Wine's Event
// Log keeps nothing to read back); entries may come from the service's own thread.
#pragma once
#include <mutex>
#include <vector>

#include "service/service_log.h"

class CEventRecorder {
 public:
  // The sink to hand to SendEventsTo; it lives as long as the recorder.
  EventLogSink Sink() {
    return [this](const EventLogEntry& entry) {
      std::lock_guard<std::mutex> hold(lock_);
      entries_.push_back(entry);
    };
  }
  // Every entry so far, in order.
  std::vector<EventLogEntry> Entries() {
    std::lock_guard<std::mutex> hold(lock_);
    return entries_;
  }
  // Their event IDs, in order.
  std::vector<DWORD> Ids() {
    std::vector<DWORD> ids;
    for (const EventLogEntry& entry : Entries()) ids.push_back(entry.id);
    return ids;
  }

 private:
  std::mutex lock_;
  std::vector<EventLogEntry> entries_;
};
