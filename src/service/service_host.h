// Running the Monitor service: under the service control manager (its stop control ends the
// work and SERVICE_STOPPED is reported), or in a console until Ctrl+C or the stop event; and
// adding it to or removing it from the service control manager.
#pragma once
#include <cstdint>
#include <string>

// The service's name with the service control manager.
extern const char kServiceName[];
// Name of the event that stops a console run, by the naming rule.
extern const char kConsoleStopEventName[];

// Hands this thread to the service control manager; ERROR_FAILED_SERVICE_CONTROLLER_CONNECT when
// the program was not started as a service, else 0 after the service stopped.
uint32_t RunAsService();
// Runs the service's work in this console; returns 0 after Ctrl+C, Ctrl+Break or the stop event, 1 when it could not start.
int RunInConsole();
// Sets "ovmon-trigger-event" as "Rescan Now" does and waits up to timeoutMs for the check's
// "Check Results"; 0, ERROR_SERVICE_NOT_ACTIVE when no service runs, or WAIT_TIMEOUT.
uint32_t RescanAndWait(uint32_t timeoutMs);
// Adds the service (automatic start, this program with no arguments), sets "Service Installed" and
// registers this program as the event source's message file; 0 or the error.
uint32_t InstallService(const std::string& programPath);
// Stops the installed service (waiting for its process), then removes what the service and the
// applet left on this machine: the stored checks and detail files
// with their data folder, the log and its archives, an empty mail queue folder, the event source's
// registration and the product's registry key; 0 or the error of the registry key.
uint32_t PurgeServiceData();
// Stops the service (waiting for its process), removes it, clears "Service Installed" and removes
// the event source's registration; 0 or the error.
uint32_t RemoveService();
