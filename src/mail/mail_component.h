// The mail component's registry key below HKEY_LOCAL_MACHINE: the message counter, the
// EHLO name and the TLS settings live there.
#pragma once

// As a registry subkey argument ("\\" + path from the root).
inline constexpr char kMailComponentKey[] = "\\\\Software\\Classes\\Tln\\TLServiceSMTP";
// The same path from the root, for the raw registry calls.
inline constexpr const char* kMailComponentPath = kMailComponentKey + 2;
