// The certificate policy of the TLS channel: what the registry value "TLSIgnoreCertErrors"
// asks of the Schannel provider and of the channel's own certificate check.
#pragma once
#include <cstdint>

// Certificate policy: let the provider validate the server certificate itself.
constexpr uint32_t kCertProviderValidates = 0x10000000;
// Certificate policy: accept any certificate.
constexpr uint32_t kCertAcceptAny = 0xFFFF;
// The ignore bit for a server name that does not match the certificate.
constexpr uint32_t kCertIgnoreNameMismatch = 0x1000;

// SCHANNEL_CRED flags (the values of schannel.h, for code built without it).
constexpr uint32_t kCredNoServerNameCheck = 0x4;  // SCH_CRED_NO_SERVERNAME_CHECK
constexpr uint32_t kCredManualValidation = 0x8;   // SCH_CRED_MANUAL_CRED_VALIDATION
constexpr uint32_t kCredNoDefaultCreds = 0x10;    // SCH_CRED_NO_DEFAULT_CREDS
constexpr uint32_t kCredAutoValidation = 0x20;    // SCH_CRED_AUTO_CRED_VALIDATION

// The SCHANNEL_CRED flags of a policy: never the default client credentials; the provider's
// automatic validation for kCertProviderValidates, else manual validation, and without the
// provider's own name check when the policy ignores name mismatches.
uint32_t SchannelCredentialFlags(uint32_t certFlags);
// Whether the channel checks the certificate chain itself (every policy but kCertAcceptAny
// and kCertProviderValidates).
bool ChecksCertificateChain(uint32_t certFlags);
