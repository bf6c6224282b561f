// A time as a user types it on ovmonctl's command line: whatever the text, a time that is read
// is a real UTC moment that writes back as the same moment.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/iso_time.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  uint32_t seconds = 0, again = 0;
  if (!ParseIsoTime(text, &seconds)) return 0;
  std::string written = IsoTimeFromUnix(seconds);
  if (!ParseIsoTime(written, &again) || again != seconds) std::abort();
  // What was read is what was typed, up to the seconds and zone it may leave out.
  if (written.compare(0, 10, text, 0, 10) != 0) std::abort();
  return 0;
}
