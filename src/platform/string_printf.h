// printf-style formatting into a std::string, for the short lines the system composes.
#pragma once
#include <cstdio>
#include <string>

// The text printf would write for format and args, cut at 511 bytes.
template <typename... Args>
std::string StringPrintf(const char* format, Args... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}
