// Signalling the service, asking the tray component, the audible alert and the drift file.
#include "monitor/service_signals.h"

#include <mutex>
#include <vector>

#include "platform/access_lists.h"
#include "platform/named_objects.h"
#include "platform/registry.h"
#include "sampling/client_socket.h"
#include "sampling/network.h"

const char kSettingsEventName[] = "ovmon-cpl-event";
const char kTriggerEventName[] = "ovmon-trigger-event";
const char kWorkingSignalName[] = "ovmon-working-signal";
const char kRingingEventName[] = "ovmon-audio-alert-ringing";

namespace {

const DWORD kSetAccess = EVENT_MODIFY_STATE | SYNCHRONIZE;  // 0x100002

// The objects made when the program loads and released when it unloads.
class CLoadTimeObjects {
 public:
  CLoadTimeObjects() {
    owned_.push_back(CreateGlobalEvent("audit-sync-trigger", true, OpenSecurityAttributes()));
    owned_.push_back(CreateGlobalEvent("audit-timeset-event", false, OpenSecurityAttributes()));
    for (const char* name : {"orvane-sync-status-ptpv2-enabled", "orvane-sync-status-ptpv2-slave",
                             "orvane-sync-status-ptpv2-master", "orvane-sync-status-ptpv2-status-change",
                             "orvane-sync-status-ptpv2-offset-change"})
      owned_.push_back(OpenGlobalEvent(name, SYNCHRONIZE));
    // Everyone may wait on the audio events; only administrators and SYSTEM ring or acknowledge.
    ringing_ = CreateGlobalEvent(kRingingEventName, true, GuardedEventAttributes());
    acknowledged_ = CreateGlobalEvent("ovmon-audio-alert-ack", true, GuardedEventAttributes());
  }
  ~CLoadTimeObjects() {
    for (HANDLE audio : {ringing_, acknowledged_}) {
      if (!audio) continue;
      ResetEvent(audio);
      CloseHandle(audio);
    }
    for (HANDLE handle : owned_)
      if (handle) CloseHandle(handle);
  }
  HANDLE Ringing() const { return ringing_; }
  HANDLE Acknowledged() const { return acknowledged_; }

 private:
  HANDLE ringing_ = nullptr;
  HANDLE acknowledged_ = nullptr;
  std::vector<HANDLE> owned_;
};

CLoadTimeObjects g_loadTimeObjects;

struct DriftFile {
  std::mutex lock;
  HANDLE file = INVALID_HANDLE_VALUE;
} g_drift;

bool SetEventByName(const char* name) {
  HANDLE event = OpenGlobalEvent(name, kSetAccess);
  if (!event) return false;
  SetEvent(event);
  CloseHandle(event);
  return true;
}

std::string DriftFilePath() {
  char directory[MAX_PATH] = "";
  GetSystemDirectoryA(directory, MAX_PATH);
  return std::string(directory) + "\\drift.ovex";
}

HANDLE OpenDriftHandle(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, nullptr);
}

// Takes ownership of a file this account may not open and gives it an open access list.
void ReclaimFile(const std::string& path) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  TOKEN_PRIVILEGES privileges = {1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
  LookupPrivilegeValueA(nullptr, SE_TAKE_OWNERSHIP_NAME, &privileges.Privileges[0].Luid);
  AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  BYTE user[256];
  DWORD size = sizeof user;
  if (GetTokenInformation(token, TokenUser, user, size, &size)) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor, reinterpret_cast<TOKEN_USER*>(user)->User.Sid, FALSE);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SetFileSecurityA(path.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &descriptor);
  }
  CloseHandle(token);
}

}  // namespace

bool SignalService(bool settingsChanged) {
  return SetEventByName(settingsChanged ? kSettingsEventName : kTriggerEventName);
}

bool IsServiceRunning() {
  HANDLE working = OpenGlobalEvent(kWorkingSignalName, SYNCHRONIZE);
  if (!working) return false;
  CloseHandle(working);
  return true;
}

bool IsScanInProgress() {
  HANDLE working = OpenGlobalEvent(kWorkingSignalName, SYNCHRONIZE);
  if (!working) return false;
  bool signalled = WaitForSingleObject(working, 0) == WAIT_OBJECT_0;
  CloseHandle(working);
  return signalled;
}

uint32_t PingTrayIcon(const std::string& command) {
  const uint32_t kShortAnswer = 0xFFFFFFFFu;
  if (uint32_t error = NetStartup()) return error;
  uint16_t port = static_cast<uint16_t>(
      ReadRegistryDword("\\\\Software\\Tallowin\\Orvane System Tray Icon\\Parameters", "ExtensionFlags", 9913));
  COV2Command channel;
  CClientSocket& socket = channel.Socket();
  if (uint32_t error = socket.Open("127.0.0.1", port, false, AF_INET)) return error;
  if (uint32_t error = channel.Send(command)) return error;
  if (uint32_t error = socket.SetRecvTimeout(2000)) return error;
  uint32_t answer = 0;
  int received = recv(socket.Handle(), reinterpret_cast<char*>(&answer), sizeof answer, 0);
  if (received == SOCKET_ERROR) return WSAGetLastError();
  return received == sizeof answer ? answer : kShortAnswer;
}

void AcknowledgeAudioAlert() {
  if (g_loadTimeObjects.Ringing()) ResetEvent(g_loadTimeObjects.Ringing());
  if (g_loadTimeObjects.Acknowledged()) SetEvent(g_loadTimeObjects.Acknowledged());
}

bool OpenDriftFile() {
  std::lock_guard<std::mutex> guard(g_drift.lock);
  if (g_drift.file != INVALID_HANDLE_VALUE) CloseHandle(g_drift.file);
  std::string path = DriftFilePath();
  g_drift.file = OpenDriftHandle(path);
  if (g_drift.file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    ReclaimFile(path);
    g_drift.file = OpenDriftHandle(path);
  }
  return g_drift.file != INVALID_HANDLE_VALUE;
}

void CloseDriftFile() {
  std::lock_guard<std::mutex> guard(g_drift.lock);
  if (g_drift.file != INVALID_HANDLE_VALUE) CloseHandle(g_drift.file);
  g_drift.file = INVALID_HANDLE_VALUE;
}
