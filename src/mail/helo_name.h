// The name this machine introduces itself with in EHLO and HELO, when the registry's "FQDN"
// holds none yet.
#pragma once
#include <cstddef>
#include <string>

#include "platform/host_name.h"

// The host name, replaced by the lookup's official name when the lookup succeeded, and by
// "[a.b.c.d]" with the lookup's first IPv4 address when that name has no dot (not for 0.0.0.0 or
// 255.255.255.255); without any host name, the computer name, with ".smtp.local" appended when
// it has no dot.
std::string ChooseHeloName(const HostNameLookup& lookup, const std::string& computerName);

// The longest name EHLO and HELO carry.
constexpr size_t kHeloNameLimit = 255;
// Why name cannot stand in EHLO or HELO: "holds a line break" (the rest would go out as a
// command of its own) or "is longer than 255 characters"; empty when it can.
std::string HeloNameFault(const std::string& name);
