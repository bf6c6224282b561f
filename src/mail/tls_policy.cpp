// The certificate policy read from "TLSIgnoreCertErrors" and applied to a chain.
#include "mail/tls_policy.h"

uint32_t SchannelCredentialFlags(uint32_t certFlags) {
  if (certFlags == kCertProviderValidates) return kCredNoDefaultCreds | kCredAutoValidation;
  uint32_t flags = kCredNoDefaultCreds | kCredManualValidation;
  if (certFlags & kCertIgnoreNameMismatch) flags |= kCredNoServerNameCheck;
  return flags;
}

bool ChecksCertificateChain(uint32_t certFlags) {
  return certFlags != kCertAcceptAny && certFlags != kCertProviderValidates;
}
