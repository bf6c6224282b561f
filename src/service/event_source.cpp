// Registering and removing the event source "Orvane Monitor".
#include "service/event_source.h"

#include <windows.h>

#include "platform/registry.h"
#include "service/service_events.h"

const char kEventSourceKey[] = "\\\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Orvane Monitor";

uint32_t RegisterEventMessages(const std::string& programPath) {
  DWORD size = DWORD(programPath.size() + 1);
  bool written =
      WriteRegistryValue(kEventSourceKey, "EventMessageFile", REG_EXPAND_SZ, programPath.c_str(), size) &&
      WriteRegistryValue(kEventSourceKey, "CategoryMessageFile", REG_EXPAND_SZ, programPath.c_str(), size) &&
      WriteRegistryDword(kEventSourceKey, "CategoryCount", kEventCategoryCount) &&
      WriteRegistryDword(kEventSourceKey, "TypesSupported",
                         EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE);
  return written ? 0 : GetLastError();
}

uint32_t RemoveEventMessages() {
  return DeleteRegistryKey(kEventSourceKey) || !RegistryKeyExists(kEventSourceKey) ? 0 : GetLastError();
}
