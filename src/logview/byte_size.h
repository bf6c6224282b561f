// Byte counts as the log viewer's status bar shows them ("1 byte", "1.50 KB", "512 KB").
#pragma once
#include <cstdint>
#include <string>

// n in bytes below 1 KiB, else in KB, MB or GB with two decimals, a ".00" dropped.
std::string FormatByteSize(uint64_t n);
