// The name this machine goes by in mail stamps (Windows only).
#pragma once
#include <string>

// The platform host name, replaced by the official (canonical) name a lookup of it
// returns when the lookup succeeds; empty when even the host name is unavailable.
std::string OfficialHostName();
