// The words for SSPI and certificate statuses.
#include "mail/tls_error.h"

#include "platform/error_text.h"

namespace {

struct StatusText {
  uint32_t code;
  const char* text;
};

// The statuses of the security provider during a handshake, an encryption or a decryption,
// and of the certificate chain check.
const StatusText kStatusTexts[] = {
    {0x80090300, "Not enough memory for the security operation"},
    {0x80090301, "The security handle is not valid"},
    {0x80090302, "The security provider does not support this operation"},
    {0x80090303, "The server name is unknown to the security provider"},
    {0x80090304, "The security provider failed internally"},
    {0x80090305, "The security package is not installed"},
    {0x80090308, "The server sent a security token that is not valid"},
    {0x80090309, "The security provider could not pack the data"},
    {0x8009030C, "The logon was refused"},
    {0x8009030D, "The security credentials are not recognised"},
    {0x8009030E, "No security credentials are available"},
    {0x8009030F, "A message was altered on its way (integrity check failed)"},
    {0x80090310, "A message arrived out of sequence"},
    {0x80090311, "No authority could be contacted, or no protocol version is shared with the server"},
    {0x80090317, "The security context has expired"},
    {0x80090318, "The security message is incomplete"},
    {0x80090320, "The credentials are incomplete"},
    {0x80090321, "A buffer given to the security provider is too small"},
    {0x80090322, "The server's certificate names another server"},
    {0x80090324, "The clocks of this computer and the server differ too much"},
    {0x80090325, "The server's certificate chain ends in a root that is not trusted"},
    {0x80090326, "The server sent a TLS message that is not valid"},
    {0x80090327, "The server's certificate is unknown or missing"},
    {0x80090328, "The server's certificate has expired"},
    {0x80090329, "Encryption failed"},
    {0x80090330, "Decryption failed"},
    {0x80090331, "The client and server share no protocol version or cipher suite"},
    {0x80090349, "The server's certificate is not meant for server authentication"},
    {0x80090350, "The server tried to downgrade the protocol"},
    {0x80090352, "The certificate authority that issued the server's certificate is not trusted"},
    {0x80092010, "The server's certificate has been revoked"},
    {0x80092012, "The revocation status of the server's certificate could not be checked"},
    {0x80092013, "The revocation server was offline, so the certificate could not be checked"},
    {0x80096004, "The signature of a certificate in the server's chain is not valid"},
    {0x80096019, "A certificate in the server's chain breaks its basic constraints"},
    {0x800B0101, "A certificate in the server's chain has expired or is not yet valid"},
    {0x800B0102, "The validity periods of the server's certificate chain do not nest"},
    {0x800B0103, "A certificate in the server's chain is used in a role it was not issued for"},
    {0x800B0104, "A certificate in the server's chain breaks its path length limit"},
    {0x800B0105, "A certificate in the server's chain has an unknown critical extension"},
    {0x800B0106, "The server's certificate is not meant for this purpose"},
    {0x800B0107, "A certificate in the server's chain was not issued by the certificate above it"},
    {0x800B0108, "A certificate in the server's chain is malformed"},
    {0x800B0109, "The server's certificate chain ends in a root certificate that is not trusted"},
    {0x800B010A, "The server's certificate chain could not be built up to a trusted root"},
    {0x800B010B, "The certificate check failed"},
    {0x800B010C, "A certificate in the server's chain has been revoked by its issuer"},
    {0x800B010D, "The server's certificate chain ends in a test root that is not trusted"},
    {0x800B010E, "The revocation of the server's certificate could not be checked"},
    {0x800B010F, "The server's certificate does not carry the name the server was reached by"},
    {0x800B0110, "The server's certificate is not valid for the requested usage"},
    {0x800B0111, "A certificate in the server's chain is explicitly distrusted"},
    {0x800B0112, "A certificate authority in the server's chain is not trusted"},
    {0x800B0113, "The server's certificate has a policy that is not valid"},
    {0x800B0114, "The server's certificate has a name that is not valid or is not permitted"},
};

}  // namespace

const char* TlsStatusText(uint32_t code) {
  for (const StatusText& entry : kStatusTexts)
    if (entry.code == code) return entry.text;
  return nullptr;
}

std::string PreferredErrorText(uint32_t code, const std::string& systemText) {
  const char* own = TlsStatusText(code);
  return own && systemText == Win32FallbackText(code) ? own : systemText;
}
