// The platform's Netlogon digest functions (looked up by name in netapi32.dll or
// logoncli.dll) and directory services (domain controller location, local security policy,
// server information).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
// clang-format off
#include <ntsecapi.h>
#include <dsgetdc.h>
#include <lm.h>
// clang-format on

#include <mutex>
#include <vector>

#include "sampling/ip_literal.h"
#include "sampling/keyring.h"
#include "sampling/netlogon.h"
#include "sampling/network.h"

namespace {

typedef NET_API_STATUS(WINAPI* GetParentDomainFn)(LPWSTR server, LPWSTR* domain, PBOOL pdcSameSite);
typedef LONG(WINAPI* ComputeClientDigestFn)(LPWSTR server, LPWSTR domain, LPBYTE message, ULONG size,
                                            CHAR newDigest[16], CHAR oldDigest[16]);
typedef LONG(WINAPI* ComputeServerDigestFn)(LPWSTR server, ULONG rid, LPBYTE message, ULONG size,
                                            CHAR newDigest[16], CHAR oldDigest[16]);
typedef LONG(WINAPI* GetTrustRidFn)(LPWSTR server, LPWSTR domain, PULONG rid);

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? n : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
  wide.resize(wcslen(wide.c_str()));
  return wide;
}

std::string Narrow(const wchar_t* text, size_t length) {
  if (!text || length == 0) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text, int(length), nullptr, 0, nullptr, nullptr);
  std::string narrow(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, int(length), &narrow[0], n, nullptr, nullptr);
  return narrow;
}

// A wide text argument, or nullptr for an empty text.
LPWSTR Argument(std::wstring& text) { return text.empty() ? nullptr : &text[0]; }

class CPlatformNetlogon : public INetlogon {
 public:
  bool DigestFunctionsAvailable() override {
    Load();
    return getParentDomain_ && computeClientDigest_ && computeServerDigest_;
  }
  bool TrustRidAvailable() override {
    Load();
    return getTrustRid_ != nullptr;
  }

  uint32_t GetTimeServiceParentDomain(const std::string& server, std::string* domain) override {
    domain->clear();
    if (!DigestFunctionsAvailable()) return kNetlogonUnavailable;
    std::wstring serverName = Widen(server);
    LPWSTR name = nullptr;
    BOOL sameSite = FALSE;
    NET_API_STATUS status = getParentDomain_(Argument(serverName), &name, &sameSite);
    if (name) {
      *domain = Narrow(name, wcslen(name));
      NetApiBufferFree(name);
    }
    return status;
  }

  uint32_t ComputeClientDigest(const std::string& domain, const uint8_t* data, size_t length,
                               uint8_t newDigest[16], uint8_t oldDigest[16]) override {
    if (!DigestFunctionsAvailable()) return kNetlogonUnavailable;
    std::wstring domainName = Widen(domain);
    std::vector<BYTE> message(data, data + length);
    return uint32_t(computeClientDigest_(nullptr, Argument(domainName), message.data(), ULONG(length),
                                         reinterpret_cast<CHAR*>(newDigest), reinterpret_cast<CHAR*>(oldDigest)));
  }

  uint32_t GetTrustRid(const std::string& domain, uint32_t* rid) override {
    if (!TrustRidAvailable()) return kNetlogonUnavailable;
    std::wstring domainName = Widen(domain);
    ULONG value = 0;
    LONG status = getTrustRid_(nullptr, Argument(domainName), &value);
    if (status == 0) *rid = value;
    return uint32_t(status);
  }

 private:
  // Each module is used when already loaded, else loaded; a function missing from one is
  // looked for in the other.
  void Load() {
    std::call_once(loaded_, [this] {
      HMODULE modules[2];
      const char* names[2] = {"netapi32.dll", "logoncli.dll"};
      for (int i = 0; i < 2; ++i) {
        modules[i] = GetModuleHandleA(names[i]);
        if (!modules[i]) modules[i] = LoadLibraryA(names[i]);
      }
      auto find = [&](const char* function) -> FARPROC {
        for (HMODULE module : modules)
          if (module)
            if (FARPROC proc = GetProcAddress(module, function)) return proc;
        return nullptr;
      };
      getParentDomain_ = reinterpret_cast<GetParentDomainFn>(
          reinterpret_cast<void*>(find("NetLogonGetTimeServiceParentDomain")));
      computeClientDigest_ = reinterpret_cast<ComputeClientDigestFn>(
          reinterpret_cast<void*>(find("I_NetlogonComputeClientDigest")));
      computeServerDigest_ = reinterpret_cast<ComputeServerDigestFn>(
          reinterpret_cast<void*>(find("I_NetlogonComputeServerDigest")));
      getTrustRid_ = reinterpret_cast<GetTrustRidFn>(reinterpret_cast<void*>(find("I_NetlogonGetTrustRid")));
    });
  }

  std::once_flag loaded_;
  GetParentDomainFn getParentDomain_ = nullptr;
  ComputeClientDigestFn computeClientDigest_ = nullptr;
  ComputeServerDigestFn computeServerDigest_ = nullptr;
  GetTrustRidFn getTrustRid_ = nullptr;
};

class CPlatformDirectory : public IDomainDirectory {
 public:
  uint32_t LookupPrimaryController(const std::string& domain, DomainControllerInfo* info) override {
    PDOMAIN_CONTROLLER_INFOA dc = nullptr;
    DWORD status = DsGetDcNameA(nullptr, domain.c_str(), nullptr, nullptr, DS_PDC_REQUIRED | DS_IP_REQUIRED, &dc);
    if (status != ERROR_SUCCESS) return status;
    auto text = [](const char* s) { return s ? std::string(s) : std::string(); };
    info->forestName = text(dc->DnsForestName);
    info->domainName = text(dc->DomainName);
    info->controllerName = text(dc->DomainControllerName);
    info->controllerAddress = text(dc->DomainControllerAddress);
    NetApiBufferFree(dc);
    return 0;
  }

  MachineDomainFacts ThisMachine() override {
    MachineDomainFacts facts;
    LSA_OBJECT_ATTRIBUTES attributes = {};
    LSA_HANDLE policy = nullptr;
    if (LsaOpenPolicy(nullptr, &attributes, POLICY_VIEW_LOCAL_INFORMATION, &policy) == 0) {
      PPOLICY_PRIMARY_DOMAIN_INFO primary = nullptr;
      if (LsaQueryInformationPolicy(policy, PolicyPrimaryDomainInformation, reinterpret_cast<PVOID*>(&primary)) ==
              0 &&
          primary) {
        facts.domainName = Narrow(primary->Name.Buffer, primary->Name.Length / sizeof(WCHAR));
        facts.joined = primary->Sid != nullptr;
        LsaFreeMemory(primary);
      }
      LsaClose(policy);
    }
    if (facts.joined) {
      LPBYTE buffer = nullptr;
      if (NetServerGetInfo(nullptr, 101, &buffer) == NERR_Success && buffer) {
        facts.isPrimaryController = (reinterpret_cast<SERVER_INFO_101*>(buffer)->sv101_type & SV_TYPE_DOMAIN_CTRL) != 0;
        NetApiBufferFree(buffer);
      }
    }
    return facts;
  }

  bool IsOwnAddress(const std::string& address) override;
};

}  // namespace

INetlogon& PlatformNetlogon() {
  static CPlatformNetlogon netlogon;
  return netlogon;
}

IDomainDirectory& PlatformDomainDirectory() {
  static CPlatformDirectory directory;
  return directory;
}

// Loopback and link-local addresses, and every address of this computer's interfaces.
bool CPlatformDirectory::IsOwnAddress(const std::string& address) {
  IpLiteral literal = ParseAddressLiteral(address);
  return literal.family != 0 && IsLocalAddress(literal);
}
