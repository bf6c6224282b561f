// A registry copy of a check ("Check Results", "Check Results (alert)") as anyone with the key may
// leave it: whatever its bytes, the reading gives the stored record back byte for byte, the
// conversion of the older layout, or no check at all.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "monitor/summary_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SummaryRecord record = SummaryFromValue(std::string(reinterpret_cast<const char*>(data), size));
  if (size == kSummarySize) {
    SummaryBytes again = EncodeSummary(record);
    if (!std::equal(again.begin(), again.end(), data)) std::abort();
  } else if (size == kOldSummarySize) {
    if (record.tag != kConvertedSummaryTag || !(record == ConvertOldSummary(data))) std::abort();
  } else if (!(record == SummaryRecord())) {
    std::abort();
  }
  return 0;
}
