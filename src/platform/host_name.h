// The name this machine goes by in mail stamps and greetings.
#pragma once
#include <string>

// What a lookup of this machine's host name found.
struct HostNameLookup {
  std::string hostName;      // the platform host name; empty when unavailable
  bool found = false;        // a lookup of hostName succeeded
  std::string officialName;  // the lookup's official (canonical) name; may be empty
  std::string firstIpv4;     // the lookup's first IPv4 address, dotted; empty when it gave none
};

// This machine's NetBIOS computer name; empty when unavailable (Windows only).
std::string ComputerName();
// Looks this machine's host name up (Windows only).
HostNameLookup LookUpHostName();
// The platform host name, replaced by the official (canonical) name a lookup of it
// returns when the lookup succeeds; empty when even the host name is unavailable (Windows only).
std::string OfficialHostName();
