// Texts of mail result codes and the SMTP reply codes behind them.
#include "mail/mail_error.h"

#include <cstdio>

#include "mail/tls_error.h"
#include "platform/describe_error.h"

namespace {

// What the engine means by its own codes; the system's texts for these numbers describe
// directory services and RPC, or nothing at all.
const char* EngineCodeText(uint32_t code) {
  switch (code) {
    case kSMTPUnexpectedReply:
      return "Unexpected reply from the mail server";
    case kSMTPNoStartTls:
      return "The mail server does not offer STARTTLS, which the security setting requires";
    case kSMTPNoAuthMechanism:
      return "No usable login (AUTH LOGIN failed or is not offered, and AUTH PLAIN is not offered)";
    default:
      return nullptr;
  }
}

}  // namespace

std::string DescribeMailError(uint32_t code) {
  char description[512];
  const char* own = EngineCodeText(code);
  std::string text = own ? own : PreferredErrorText(code, DescribeError(code, description, sizeof description));
  char prefix[32];
  std::snprintf(prefix, sizeof prefix,
                static_cast<int32_t>(code) > 0 ? "error %u: " : "error 0x%08X: ", code);
  return prefix + text;
}
