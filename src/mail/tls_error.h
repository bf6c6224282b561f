// Words for the security statuses the TLS channel can return: the SSPI (SEC_E_*) and
// certificate-trust (CERT_E_*, TRUST_E_*, CRYPT_E_*) codes. They stand in only where the system
// has no text of its own for a code (Windows has one for each; some platforms have none).
#pragma once
#include <cstdint>
#include <string>

// What a TLS or certificate status means, or nullptr for a code that is not one of them.
const char* TlsStatusText(uint32_t code);
// The text for code: systemText, unless that is the fall-back of a code without a system text
// ("Win32 error 0x... (no description available)") and the code is a TLS status.
std::string PreferredErrorText(uint32_t code, const std::string& systemText);
