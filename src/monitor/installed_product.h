// Which product of the family is installed beside the Monitor: its registry key, below which
// the shared keyring lives.
#pragma once
#include <string>

// "\\Software\Tallowin\Orvane Client" when the client service is installed, else
// "\\Software\Tallowin\Orvane Server" when the server service is, else empty.
std::string GetInstalledProductKey();
