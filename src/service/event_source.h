// Event Viewer's registration of the service's event source "Orvane Monitor" (the Application
// log's key of that name): the program whose message table holds the events' texts and their
// categories, and the event types the source reports.
#pragma once
#include <cstdint>
#include <string>

// The source's key, as a registry path from HKEY_LOCAL_MACHINE's root ("\\\\SYSTEM\\...").
extern const char kEventSourceKey[];

// Registers programPath as the source's message and category file; 0 or the registry error.
uint32_t RegisterEventMessages(const std::string& programPath);
// Removes the source's key; 0 also when there was none.
uint32_t RemoveEventMessages();
