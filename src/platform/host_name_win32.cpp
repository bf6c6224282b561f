// This machine's computer name, host name and first IPv4 address from Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/host_name.h"

namespace {

std::string FirstIpv4(const addrinfo* info) {
  for (; info; info = info->ai_next) {
    if (info->ai_family != AF_INET) continue;
    char text[16] = "";
    const in_addr& address = reinterpret_cast<const sockaddr_in*>(info->ai_addr)->sin_addr;
    return inet_ntop(AF_INET, &address, text, sizeof text) ? text : "";
  }
  return std::string();
}

}  // namespace

HostNameLookup LookUpHostName() {
  WSADATA data;
  bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  HostNameLookup lookup;
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) == 0) {
    lookup.hostName = name;
    addrinfo hints = {};
    hints.ai_flags = AI_CANONNAME;
    addrinfo* info = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &info) == 0) {
      lookup.found = true;
      if (info != nullptr && info->ai_canonname != nullptr) lookup.officialName = info->ai_canonname;
      lookup.firstIpv4 = FirstIpv4(info);
      freeaddrinfo(info);
    }
  }
  if (started) WSACleanup();
  return lookup;
}

std::string OfficialHostName() {
  HostNameLookup lookup = LookUpHostName();
  return lookup.found && !lookup.officialName.empty() ? lookup.officialName : lookup.hostName;
}

std::string ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? name : "";
}
