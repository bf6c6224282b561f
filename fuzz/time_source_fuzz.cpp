// Time-source lines come from the registry and from typed input: any bytes must parse
// without fault, and a line that parses must format to a line that parses back to the same
// fields (with the exceptions listed in time_source_round_trip.h).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/blank_text.h"
#include "sampling/time_source_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  std::string why;
  if (!CheckFormatRoundTrip(line, &why)) {
    std::fprintf(stderr, "round trip failed for \"%s\"\n%s\n", line.c_str(), why.c_str());
    std::abort();
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s", line.c_str());
  TrimBlanksInPlace(buffer);
  ProtocolFromKeyword(line);
  return 0;
}
