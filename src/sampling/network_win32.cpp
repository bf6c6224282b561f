// Winsock start-up, the name cache and this machine's names and address lists.
#include "sampling/network.h"

#include <mutex>
#include <vector>

#include "sampling/system_clock.h"

namespace {

// Everything NetStartup learns, under one lock.
struct NetworkState {
  std::mutex lock;
  bool started = false;
  bool listsBuilt = false;
  std::string hostName;
  LocalAddresses addresses;
  bool ipv4Usable = false;
  bool ipv6Usable = false;
  uint32_t timestampCapabilities = 0;
  double sendShare = 0;
  bool receiveTimestamps = true;
  LPFN_WSARECVMSG receiveMessage = nullptr;
  uint32_t cacheLifetimeMinutes = 0;
};

NetworkState& State() {
  static NetworkState state;
  return state;
}

CNameCache& NameCache() {
  static CNameCache cache;
  return cache;
}

// The system's version through ntdll, which does not pretend to be an older system.
OSVERSIONINFOW SystemVersion() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                                   reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                             : nullptr;
  if (rtlGetVersion) rtlGetVersion(&version);
  return version;
}

std::string QueryHostName() {
  char name[256] = "";
  if (gethostname(name, sizeof name) == 0 && name[0]) return name;
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size)) return name;
  return std::string();
}

std::string QueryDnsName() {
  char name[256] = "";
  DWORD size = sizeof name;
  if (GetComputerNameExA(ComputerNameDnsFullyQualified, name, &size)) return name;
  return std::string();
}

// The addresses the stack lists for a socket of one family.
void AddAddressList(SOCKET socket, LocalAddresses* lists) {
  std::vector<uint64_t> storage(256 / sizeof(uint64_t));
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = 0;
    DWORD size = DWORD(storage.size() * sizeof(uint64_t));
    if (WSAIoctl(socket, SIO_ADDRESS_LIST_QUERY, nullptr, 0, storage.data(), size, &needed, nullptr, nullptr) == 0) {
      auto* list = reinterpret_cast<SOCKET_ADDRESS_LIST*>(storage.data());
      for (INT i = 0; i < list->iAddressCount; ++i) {
        uint16_t port = 0;
        AddLocalAddress(lists, FromSocketAddress(list->Address[i].lpSockaddr, &port));
      }
      return;
    }
    if (WSAGetLastError() != WSAEFAULT || needed <= size) return;
    storage.resize(needed / sizeof(uint64_t) + 1);
  }
}

// The addresses the resolver gives for name in one family.
void AddResolvedAddresses(const std::string& name, int family, LocalAddresses* lists) {
  addrinfo hints = {};
  hints.ai_family = family;
  addrinfo* results = nullptr;
  if (name.empty() || getaddrinfo(name.c_str(), nullptr, &hints, &results) != 0) return;
  for (addrinfo* r = results; r; r = r->ai_next) {
    uint16_t port = 0;
    AddLocalAddress(lists, FromSocketAddress(r->ai_addr, &port));
  }
  freeaddrinfo(results);
}

// Whether a datagram socket of family can be created; adds its address list when it can.
bool ProbeFamily(int family, const std::string& localName, LocalAddresses* lists) {
  SOCKET socket = ::socket(family, SOCK_DGRAM, IPPROTO_UDP);
  if (socket == INVALID_SOCKET) return false;
  AddAddressList(socket, lists);
  closesocket(socket);
  AddResolvedAddresses(localName, family, lists);
  return true;
}

// Builds the lists into state (lock held); the socket library is held for the duration.
void BuildLocalInterfaces(NetworkState& state) {
  WSADATA data;
  bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  state.hostName = QueryHostName();
  OSVERSIONINFOW version = SystemVersion();
  bool newer = version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion > 1);
  std::string localName = newer ? "..localmachine" : state.hostName;
  state.addresses = LocalAddresses();
  state.ipv4Usable = ProbeFamily(AF_INET, localName, &state.addresses);
  state.ipv6Usable = ProbeFamily(AF_INET6, localName, &state.addresses);
  state.listsBuilt = true;
  if (started) WSACleanup();
}

NetworkState& StateWithLists() {
  NetworkState& state = State();
  if (!state.listsBuilt) BuildLocalInterfaces(state);
  return state;
}

LPFN_WSARECVMSG FindReceiveMessage() {
  SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (socket == INVALID_SOCKET) return nullptr;
  GUID id = WSAID_WSARECVMSG;
  LPFN_WSARECVMSG function = nullptr;
  DWORD bytes = 0;
  if (WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function, sizeof function, &bytes,
               nullptr, nullptr) != 0)
    function = nullptr;
  closesocket(socket);
  return function;
}

// The timestamping control of Windows 10 (the headers declare it only for that target).
const DWORD kTimestampingControl = _WSAIOW(IOC_VENDOR, 235);
const ULONG kTimestampingRx = 0x1, kTimestampingTx = 0x2;
struct TimestampingConfig {
  ULONG Flags;
  USHORT TxTimestampsBuffered;
};

bool SetTimestamping(SOCKET socket, ULONG flags, USHORT transmitBuffered) {
  TimestampingConfig config = {};
  config.Flags = flags;
  config.TxTimestampsBuffered = transmitBuffered;
  DWORD bytes = 0;
  return WSAIoctl(socket, kTimestampingControl, &config, sizeof config, nullptr, 0, &bytes, nullptr, nullptr) == 0;
}

const int kTimestampOptionName = 0x3009;

bool SetTimestampOption(SOCKET socket, bool on) {
  const DWORD value[2] = {on ? 1u : 0u, 0};
  return setsockopt(socket, SOL_SOCKET, kTimestampOptionName, reinterpret_cast<const char*>(value),
                    sizeof value) == 0;
}

// Which receive-timestamp mechanisms the stack offers (systems of version 10 and later).
uint32_t ProbeTimestampCapabilities(LPFN_WSARECVMSG receiveMessage) {
  if (!receiveMessage || SystemVersion().dwMajorVersion < 10) return 0;
  SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (socket == INVALID_SOCKET) return 0;
  uint32_t capabilities = 0;
  if (SetTimestamping(socket, kTimestampingRx | kTimestampingTx, 20))
    capabilities = kTimestampControlRx | kTimestampControlTx;
  else if (SetTimestamping(socket, kTimestampingRx, 0))
    capabilities = kTimestampControlRx;
  if (SetTimestampOption(socket, true)) capabilities |= kTimestampOption;
  closesocket(socket);
  return capabilities;
}

// Where a send call lets its datagram go, for the platforms whose share was measured: Wine
// (found by the name its ntdll exports), where the call makes two requests to the Wine server
// around the system's send, the first twice as long as the second.
double SendShareOfThisPlatform() {
  const double kWineSendShare = 2.0 / 3.0;
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") ? kWineSendShare : 0;
}

uint64_t NowSeconds() { return SystemClock().Now() / 10000000ull; }

bool SameTextNoCase(const std::string& a, const std::string& b) {
  return !a.empty() && a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(),
                                                              int(a.size()), b.c_str(), int(b.size())) == CSTR_EQUAL;
}

}  // namespace

uint32_t NetStartup() {
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.started) return 0;
  WSADATA data;
  int code = WSAStartup(MAKEWORD(2, 2), &data);
  if (code != 0) return uint32_t(code);
  state.started = true;
  state.receiveMessage = FindReceiveMessage();
  BuildLocalInterfaces(state);
  state.timestampCapabilities = ProbeTimestampCapabilities(state.receiveMessage);
  state.sendShare = state.timestampCapabilities == 0 ? SendShareOfThisPlatform() : 0;
  return 0;
}

void NetCleanup() {
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!state.started) return;
  state.receiveMessage = nullptr;
  state.timestampCapabilities = 0;
  state.sendShare = 0;
  state.addresses = LocalAddresses();
  state.listsBuilt = false;
  state.started = false;
  WSACleanup();
}

void RefreshLocalInterfaces() {
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  BuildLocalInterfaces(state);
}

LocalAddresses LocalInterfaceAddresses() {
  NetworkState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return StateWithLists().addresses;
}

bool Ipv4Usable() {
  std::lock_guard<std::mutex> guard(State().lock);
  return StateWithLists().ipv4Usable;
}

bool Ipv6Usable() {
  std::lock_guard<std::mutex> guard(State().lock);
  return StateWithLists().ipv6Usable;
}

std::string LocalHostName() {
  std::lock_guard<std::mutex> guard(State().lock);
  return StateWithLists().hostName;
}

uint32_t ReceiveTimestampCapabilities() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().timestampCapabilities;
}

double MeasuredSendShare() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().sendShare;
}

LPFN_WSARECVMSG ReceiveMessageFunction() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().receiveMessage;
}

void SetReceiveTimestamps(bool on) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().receiveTimestamps = on;
}

void EnableReceiveTimestamps(SOCKET socket) {
  uint32_t capabilities;
  bool on;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    capabilities = State().timestampCapabilities;
    on = State().receiveTimestamps;
  }
  if ((capabilities & kTimestampControlRx) && SetTimestamping(socket, on ? kTimestampingRx : 0, 0)) return;
  if (capabilities & kTimestampOption) SetTimestampOption(socket, on);
}

void SetNameCacheLifetime(uint32_t minutes) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().cacheLifetimeMinutes = minutes;
}

void ClearNameCache() { NameCache().Clear(); }

bool IsLocalName(const std::string& text) {
  if (text.empty() || SameTextNoCase(text, LocalHostName()) || SameTextNoCase(text, QueryDnsName())) return true;
  IpLiteral address = ParseAddressLiteral(text);
  return address.family != 0 && IsLocalAddress(address);
}

bool IsLocalAddress(const IpLiteral& address) { return IsLocalIp(address, LocalInterfaceAddresses()); }

IpLiteral ResolveName(const std::string& text) {
  IpLiteral literal = ParseAddressLiteral(text);
  if (literal.family == 4) return literal;
  uint32_t lifetime;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    lifetime = State().cacheLifetimeMinutes;
  }
  IpLiteral cached;
  if (NameCache().Lookup(text, NowSeconds(), lifetime, &cached)) return cached;
  if (literal.family == 6 || !IsHostNameText(text)) return literal;
  addrinfo hints = {};
  hints.ai_family = Ipv4Usable() ? AF_INET : AF_INET6;
  addrinfo* results = nullptr;
  if (getaddrinfo(text.c_str(), nullptr, &hints, &results) != 0 || !results) return IpLiteral();
  uint16_t port = 0;
  IpLiteral found = FromSocketAddress(results->ai_addr, &port);
  freeaddrinfo(results);
  found.port = 0;
  if (found.family == 4) NameCache().Store(text, found, NowSeconds());
  return found;
}

int ToSocketAddress(const IpLiteral& address, uint16_t port, sockaddr_storage* socketAddress) {
  *socketAddress = sockaddr_storage();
  if (address.family == 4) {
    auto* v4 = reinterpret_cast<sockaddr_in*>(socketAddress);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    memcpy(&v4->sin_addr, address.bytes, 4);
    return int(sizeof(sockaddr_in));
  }
  if (address.family == 6) {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(socketAddress);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    memcpy(&v6->sin6_addr, address.bytes, 16);
    v6->sin6_scope_id = address.scopeId;
    return int(sizeof(sockaddr_in6));
  }
  return 0;
}

IpLiteral FromSocketAddress(const sockaddr* socketAddress, uint16_t* port) {
  IpLiteral address;
  *port = 0;
  if (!socketAddress) return address;
  if (socketAddress->sa_family == AF_INET) {
    auto* v4 = reinterpret_cast<const sockaddr_in*>(socketAddress);
    address.family = 4;
    memcpy(address.bytes, &v4->sin_addr, 4);
    *port = ntohs(v4->sin_port);
  } else if (socketAddress->sa_family == AF_INET6) {
    auto* v6 = reinterpret_cast<const sockaddr_in6*>(socketAddress);
    address.family = 6;
    memcpy(address.bytes, &v6->sin6_addr, 16);
    address.scopeId = v6->sin6_scope_id;
    *port = ntohs(v6->sin6_port);
  }
  address.port = *port;
  return address;
}
