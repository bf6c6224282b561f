// Running, installing, rescanning, purging and removing the service.
#include "service/service_host.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "monitor/data_store.h"
#include "monitor/service_signals.h"
#include "platform/access_lists.h"
#include "platform/folder_files.h"
#include "platform/guarded_files.h"
#include "platform/named_objects.h"
#include "platform/registry.h"
#include "platform/registry_encoding.h"
#include "platform/stop_event.h"
#include "sampling/network.h"
#include "sampling/system_clock.h"
#include "service/event_source.h"
#include "service/log_roll.h"
#include "service/monitor_service.h"
#include "service/service_log.h"

const char kServiceName[] = "Orvane Monitor";
const char kConsoleStopEventName[] = "ovmon-service-stop";

namespace {

SERVICE_STATUS_HANDLE g_statusHandle = nullptr;

void ReportState(DWORD state, DWORD exitCode = NO_ERROR) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  status.dwWin32ExitCode = exitCode;
  status.dwWaitHint = state == SERVICE_RUNNING ? 0 : 10000;
  SetServiceStatus(g_statusHandle, &status);
}

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*) {
  if (control != SERVICE_CONTROL_STOP && control != SERVICE_CONTROL_SHUTDOWN) return NO_ERROR;
  ReportState(SERVICE_STOP_PENDING);
  SetEvent(StopEvent());
  return NO_ERROR;
}

// The work shared by both ways of running: false when the service's objects could not be made.
bool Serve(HANDLE stop, void (*running)()) {
  NetStartup();
  SystemClock().Prepare();
  CMonitorService service;
  if (!service.Ready()) {
    service.Reload();
    service.ReportProblems();
    return false;
  }
  running();
  service.Run(stop);
  return true;
}

void WINAPI ServiceMain(DWORD, char**) {
  g_statusHandle = RegisterServiceCtrlHandlerExA(kServiceName, OnControl, nullptr);
  if (!g_statusHandle) return;
  ReportState(SERVICE_START_PENDING);
  bool served = Serve(StopEvent(), [] { ReportState(SERVICE_RUNNING); });
  ReportState(SERVICE_STOPPED, served ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR);
}

BOOL WINAPI OnConsoleBreak(DWORD) {
  SetEvent(StopEvent());
  return TRUE;
}

// Ends the console run when the named stop event is set.
DWORD WINAPI WatchStopEvent(void* named) {
  HANDLE events[] = {static_cast<HANDLE>(named), StopEvent()};
  if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) SetEvent(StopEvent());
  return 0;
}

}  // namespace

uint32_t RunAsService() {
  SERVICE_TABLE_ENTRYA table[] = {{const_cast<char*>(kServiceName), ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : GetLastError();
}

int RunInConsole() {
  std::string why;
  HANDLE named = CreateServiceEvent(kConsoleStopEventName, false, &why);
  if (!named) std::fprintf(stderr, "ovmonsvc: the stop event: %s; only Ctrl+C stops this run\n", why.c_str());
  if (named) ResetEvent(named);  // a stop meant for an earlier run
  HANDLE watcher = named ? CreateThread(nullptr, 0, WatchStopEvent, named, 0, nullptr) : nullptr;
  SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
  bool served = Serve(StopEvent(), [] {});
  SetEvent(StopEvent());
  if (watcher) {
    WaitForSingleObject(watcher, INFINITE);
    CloseHandle(watcher);
  }
  if (named) CloseHandle(named);
  return served ? 0 : 1;
}

uint32_t InstallService(const std::string& programPath) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!manager) return GetLastError();
  std::string command = "\"" + programPath + "\"";
  SC_HANDLE service = CreateServiceA(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                     SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
                                     nullptr, nullptr, nullptr);
  uint32_t result = service ? 0 : GetLastError();
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (!result) WriteRegistryDword("", "Service Installed", 1);
  if (!result) GuardSecretKey(kSmtpKey);  // the mail password's key, before anything is stored in it
  if (!result) result = RegisterEventMessages(programPath);
  return result;
}

namespace {

// Stops the service of the service manager when it runs, and waits up to 30 s for its process to end.
void StopAndWait(SC_HANDLE service) {
  SERVICE_STATUS_PROCESS status = {};
  DWORD size = 0;
  if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &size) ||
      !status.dwProcessId)
    return;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId);
  SERVICE_STATUS stopping;
  ControlService(service, SERVICE_CONTROL_STOP, &stopping);
  if (!process) return;
  WaitForSingleObject(process, 30000);
  CloseHandle(process);
}

// Runs action on the installed service opened with access; the error when it cannot be opened.
template <typename Action>
uint32_t WithService(DWORD access, Action action) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return GetLastError();
  SC_HANDLE service = OpenServiceA(manager, kServiceName, access);
  uint32_t result = service ? action(service) : GetLastError();
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return result;
}

// Waits up to timeoutMs while the service manager reports the service starting: a start returns
// before the service has made its events (Wine's "net start" does not wait for it to run).
void WaitWhileStarting(uint32_t timeoutMs) {
  WithService(SERVICE_QUERY_STATUS, [timeoutMs](SC_HANDLE service) {
    SERVICE_STATUS status = {};
    for (DWORD start = GetTickCount(); QueryServiceStatus(service, &status) &&
                                       status.dwCurrentState == SERVICE_START_PENDING && GetTickCount() - start < timeoutMs;)
      Sleep(100);  // the service manager tells no one when a start ends; it is asked again
    return 0u;
  });
}

void DeleteLogAndArchives(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  std::string folder = path.substr(0, slash + 1), name = path.substr(slash + 1);
  if (!FolderRefusal(folder).empty()) return;  // never delete through a link or in a folder another account owns
  std::vector<std::string> names = FilesMatching(folder, name.substr(0, name.rfind('.')) + ".*");
  for (const std::string& archive : ArchivesToDelete(name, names, kRollDeleteOld, 0)) DeleteFolderFile(folder, archive);
  DeleteFolderFile(folder, name);
}

}  // namespace

uint32_t PurgeServiceData() {
  WithService(SERVICE_STOP | SERVICE_QUERY_STATUS, [](SC_HANDLE service) {
    StopAndWait(service);
    return 0u;
  });
  CMonitorSettings settings;
  LoadSettings(&settings);
  // Only the stored checks: the data folder is a registry value and may be any folder.
  CMonitorStore(settings.dataFolder).DeleteAll();
  RemoveDirectoryA(settings.mailQueueFolder.c_str());
  std::string queueParent = settings.mailQueueFolder.substr(0, settings.mailQueueFolder.find_last_of('\\', settings.mailQueueFolder.size() - 2));
  RemoveDirectoryA(queueParent.c_str());  // the mail component's folder, when this made it and nothing else uses it
  DeleteLogAndArchives(ServiceLogPath());
  RemoveEventMessages();
  bool removed = DeleteRegistryKey("\\") || !RegistryKeyExists("\\");
  uint32_t result = removed ? 0 : GetLastError();
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tallowin");  // the company's key, when no other product is left in it
  return result;
}

uint32_t RescanAndWait(uint32_t timeoutMs) {
  WaitWhileStarting(timeoutMs);
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, BuildSettingsKeyPath("").c_str(), 0, KEY_NOTIFY, &key)) return ERROR_SERVICE_NOT_ACTIVE;
  HANDLE changed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);
  SummaryRecord before = ReadCheckCopy(CheckCopy::kLastCheck);
  uint32_t result = SignalService(false) ? 0 : ERROR_SERVICE_NOT_ACTIVE;
  for (DWORD start = GetTickCount(); !result;) {
    if (ReadCheckCopy(CheckCopy::kLastCheck) != before) break;
    DWORD spent = GetTickCount() - start;
    if (spent >= timeoutMs || WaitForSingleObject(changed, timeoutMs - spent) != WAIT_OBJECT_0) result = WAIT_TIMEOUT;
    else RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);
  }
  CloseHandle(changed);
  RegCloseKey(key);
  return result;
}

uint32_t RemoveService() {
  uint32_t result = WithService(SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS, [](SC_HANDLE service) {
    StopAndWait(service);
    return DeleteService(service) ? 0u : uint32_t(GetLastError());
  });
  if (!result) DeleteRegistryValue("", "Service Installed");
  if (!result) RemoveEventMessages();
  return result;
}
