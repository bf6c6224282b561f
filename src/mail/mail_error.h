// Result codes as they appear in mail error texts and the SMTP transcript, and the SMTP
// engine's own codes with their descriptions.
#pragma once
#include <cstdint>
#include <string>

// Result codes of a session besides system, socket and security codes.
constexpr uint32_t kSMTPUnexpectedReply = 8225;  // a final reply line with another code than expected
constexpr uint32_t kSMTPNoStartTls = 8231;       // security 2 and the server offers no STARTTLS
constexpr uint32_t kSMTPNoAuthMechanism = 1741;  // AUTH LOGIN failed or not offered, AUTH PLAIN not offered
constexpr uint32_t kSMTPNoSender = 1392;         // the mail file holds no envelope sender line
constexpr uint32_t kSMTPConnectionLost = 10054;  // the peer closed the connection

// "error %u: <description>", or "error 0x%08X: <description>" for codes that are 0 or
// negative as signed numbers. The engine's own codes (8225, 8231, 1741) are described by their
// meaning in a session; every other code by DescribeError, and a TLS status for which the
// system has no text by its meaning (tls_error.h).
std::string DescribeMailError(uint32_t code);
