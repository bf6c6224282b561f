// Message bodies are markup of any quality: the text conversion must end, never crash,
// and leave no tag opener, no run of three line breaks and no surrounding white space.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mail/html_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = HtmlToText(std::string(reinterpret_cast<const char*>(data), size));
  if (text.find('<') != std::string::npos) std::abort();
  if (text.find("\r\n\r\n\r\n") != std::string::npos) std::abort();
  if (!text.empty()) {
    const std::string space = " \t\r\n";
    if (space.find(text.front()) != std::string::npos ||
        space.find(text.back()) != std::string::npos)
      std::abort();
  }
  return 0;
}
