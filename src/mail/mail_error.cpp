#include "mail/mail_error.h"

#include <cstdio>

#include "platform/describe_error.h"

std::string DescribeMailError(uint32_t code) {
  char description[512];
  DescribeError(code, description, sizeof description);
  char prefix[32];
  std::snprintf(prefix, sizeof prefix,
                static_cast<int32_t>(code) > 0 ? "error %u: " : "error 0x%08X: ", code);
  return prefix + std::string(description);
}
