// The envelope at the front of a mail file is read from a file on disk, which anything may
// have changed: every read gives a whole line without CR or LF and within the limit, a longer
// line is refused rather than cut, and the reading ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mail/envelope_reader.h"

namespace {
void Check(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!file) return 0;
  std::string line;
  size_t reads = 0, taken = 0;
  for (EnvelopeRead read; (read = ReadEnvelopeLine(file, &line)) == EnvelopeRead::kLine;) {
    Check(line.size() <= kEnvelopeLineLimit);
    Check(line.find_first_of("\r\n") == std::string::npos);
    taken += line.size();
    Check(++reads <= size && taken <= size);
  }
  std::fclose(file);
  return 0;
}
