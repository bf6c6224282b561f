// Which product of the family is installed beside the Monitor: its registry key, below which
// the shared keyring lives.
#pragma once
#include <string>

// "\\Software\Tallowin\Orvane Client" when the client service is installed, else
// "\\Software\Tallowin\Orvane Server" when the server service is, else empty.
std::string GetInstalledProductKey();

// The two product services' keys, as registry subkey arguments.
inline constexpr char kClientServiceKey[] = "\\\\System\\CurrentControlSet\\Services\\Orvane Client";
inline constexpr char kServerServiceKey[] = "\\\\System\\CurrentControlSet\\Services\\Orvane Server";
