// Mailbox texts come from the registry and from typed input: any bytes must parse safely,
// and a parsed address always keeps its '@'.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mail/mailbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Mailbox m = ParseMailbox(text);
  if (!m.address.empty() && m.address.find('@') == std::string::npos) std::abort();
  FormatMailbox(m.address, m.name);
  return 0;
}
