#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/host_name.h"

std::string OfficialHostName() {
  WSADATA data;
  bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  std::string result;
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) == 0) {
    result = name;
    addrinfo hints = {};
    hints.ai_flags = AI_CANONNAME;
    addrinfo* info = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &info) == 0) {
      if (info != nullptr && info->ai_canonname != nullptr && info->ai_canonname[0] != '\0')
        result = info->ai_canonname;
      freeaddrinfo(info);
    }
  }
  if (started) WSACleanup();
  return result;
}
