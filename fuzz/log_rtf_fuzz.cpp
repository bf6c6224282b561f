// Log files hold whatever was written into them: the renderer must end, never crash, and give
// a document whose groups balance, that holds no NUL byte and that ends as a document does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "logview/log_rtf.h"

namespace {

// Control words and escapes skipped, the braces that remain must open and close in pairs.
bool GroupsBalance(const std::string& rtf) {
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\')
      ++i;
    else if (rtf[i] == '{')
      ++depth;
    else if (rtf[i] == '}' && --depth < 0)
      return false;
  }
  return depth == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  LogRtfOptions options = {(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0, (data[0] & 8) != 0};
  bool truncated = (data[0] & 16) != 0;
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string rtf = BuildLogRtf(bytes, truncated, options);
  if (!GroupsBalance(rtf)) std::abort();
  if (rtf.find('\0') != std::string::npos) std::abort();
  if (rtf.size() < 6 || rtf.compare(rtf.size() - 6, 6, "\\par }") != 0) std::abort();
  if (rtf.size() > 8 * bytes.size() + 512) std::abort();  // a colour, a break and escapes per line at most
  return 0;
}
