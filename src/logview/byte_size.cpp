// Formatting byte counts for the log viewer's status bar.
#include "logview/byte_size.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr uint64_t kKiB = 1024, kMiB = kKiB * 1024, kGiB = kMiB * 1024;

std::string Scaled(uint64_t n, uint64_t unit, const char* suffix) {
  char text[48];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(n) / static_cast<double>(unit));
  std::string number = text;
  if (number.size() > 3 && number.compare(number.size() - 3, 3, ".00") == 0) number.resize(number.size() - 3);
  return number + suffix;
}

}  // namespace

std::string FormatByteSize(uint64_t n) {
  if (n < kKiB) {
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu64 " byte%s", n, n == 1 ? "" : "s");
    return text;
  }
  if (n < kMiB) return Scaled(n, kKiB, " KB");
  if (n < kGiB) return Scaled(n, kMiB, " MB");
  return Scaled(n, kGiB, " GB");
}
