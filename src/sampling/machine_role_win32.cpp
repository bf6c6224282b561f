// Reading the machine's domain, role and domain controller from the system.
#include <windows.h>
#include <dsgetdc.h>
#include <lm.h>
#include <ntsecapi.h>

#include <mutex>

#include "platform/registry.h"
#include "platform/stop_event.h"
#include "sampling/installed_product.h"
#include "sampling/machine_role.h"
#include "sampling/system_clock.h"

namespace {

const DWORD kServerServiceNotStarted = 2114;
const DWORD kRetryMilliseconds = 55;
const uint32_t kServerStartWindowSeconds = 120;

std::string Narrow(const LSA_UNICODE_STRING& text, size_t limit) {
  char buffer[256] = "";
  int length = WideCharToMultiByte(CP_ACP, 0, text.Buffer, text.Length / sizeof(WCHAR), buffer,
                                   sizeof buffer - 1, nullptr, nullptr);
  return std::string(buffer, length > 0 ? length : 0).substr(0, limit);
}

// The primary domain from the local security policy.
void ReadPrimaryDomain(LocalMachineRole* role) {
  LSA_OBJECT_ATTRIBUTES attributes = {};
  LSA_HANDLE policy = nullptr;
  if (LsaOpenPolicy(nullptr, &attributes, POLICY_VIEW_LOCAL_INFORMATION, &policy) == 0) {
    POLICY_PRIMARY_DOMAIN_INFO* info = nullptr;
    if (LsaQueryInformationPolicy(policy, PolicyPrimaryDomainInformation, reinterpret_cast<void**>(&info)) == 0 &&
        info) {
      role->domainName = Narrow(info->Name, 63);
      role->joined = info->Sid != nullptr;
      LsaFreeMemory(info);
    }
    LsaClose(policy);
  }
  if (role->domainName.empty()) {
    role->domainName = "WORKGROUP";
    role->joined = false;
    role->workgroupIsComputerName = true;
  } else if (!role->joined) {
    role->workgroupIsComputerName = _stricmp(role->domainName.c_str(), role->computerName.c_str()) == 0;
  }
}

// Whether a young machine's server service may still start.
bool ServerMayStillStart() {
  uint32_t uptime = UptimeSeconds();
  if (uptime > kServerStartWindowSeconds) return false;
  return !(uptime == 0 && GetTickCount() >= 1500);
}

// Asks the server service for the machine's role; false when the stop event ended the wait.
bool AskServerService(LocalMachineRole* role) {
  role->networkRole = role->joined ? kRoleDomainMember : kRoleStandalone;
  for (;;) {
    SERVER_INFO_101* info = nullptr;
    NET_API_STATUS status = NetServerGetInfo(nullptr, 101, reinterpret_cast<BYTE**>(&info));
    if (status == NERR_Success && info) {
      role->networkRole = NetworkRoleFromServerType(info->sv101_type, role->joined);
      role->cluster = (info->sv101_type & 0x01000000) != 0;
      NetApiBufferFree(info);
      return true;
    }
    if (info) NetApiBufferFree(info);
    if (status != kServerServiceNotStarted || !ServerMayStillStart()) return true;
    HANDLE stop = StopEvent();
    if (!stop)
      Sleep(kRetryMilliseconds);
    else if (WaitForSingleObject(stop, kRetryMilliseconds) == WAIT_OBJECT_0)
      return false;
  }
}

void FindDomainController(LocalMachineRole* role) {
  if (role->networkRole == kRolePrimaryController) {
    role->domainControllerName = role->computerName;
    return;
  }
  if (!role->joined) return;
  DOMAIN_CONTROLLER_INFOA* info = nullptr;
  if (DsGetDcNameA(nullptr, role->domainName.c_str(), nullptr, nullptr, DS_IS_FLAT_NAME | DS_PDC_REQUIRED, &info) !=
          ERROR_SUCCESS ||
      !info)
    return;
  std::string name = info->DomainControllerName ? info->DomainControllerName : "";
  size_t start = name.find_first_not_of('\\');
  role->domainControllerName = start == std::string::npos ? "" : name.substr(start, 63);
  NetApiBufferFree(info);
}

ProductInstallation ReadInstallation() {
  const char serverParameters[] = "\\\\Software\\Tallowin\\Orvane Server\\Parameters";
  ProductInstallation installed;
  installed.clientInstalled = RegistryKeyExists(kClientServiceKey);
  installed.serverInstalled = RegistryKeyExists(kServerServiceKey);
  installed.slaveModeSet = RegistryValueExists(serverParameters, "Slave Mode");
  installed.slaveMode = ReadRegistryBool(serverParameters, "Slave Mode", false);
  return installed;
}

}  // namespace

const LocalMachineRole& DetectLocalMachineRole() {
  static std::mutex lock;
  static LocalMachineRole role;
  static bool detected = false;
  std::lock_guard<std::mutex> guard(lock);
  if (detected) return role;
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof computer;
  GetComputerNameA(computer, &size);
  role.computerName = std::string(computer).substr(0, 15);
  ReadPrimaryDomain(&role);
  bool stopped = false;
  if (ReadRegistryDword("\\\\System\\CurrentControlSet\\Services\\LanmanServer", "Start", 4) != 2)
    role.networkRole = role.joined ? kRoleDomainMember : kRoleStandalone;
  else
    stopped = !AskServerService(&role);
  if (!stopped) FindDomainController(&role);
  role.productRole = ProductRole(ReadInstallation(), role.networkRole, role.joined);
  detected = true;
  return role;
}
