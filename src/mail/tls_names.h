// Names of TLS protocols and algorithms for the connection line of the SMTP transcript.
#pragma once
#include <cstdint>
#include <string>

// Protocol name of an SP_PROT_* value ("TLS 1.2"), "0x%x" when unlisted.
std::string TlsProtocolName(uint32_t protocol);
// Cipher name of an ALG_ID ("AES256"), "0x%x" when unlisted.
std::string TlsCipherName(uint32_t algorithm);
// Hash name of an ALG_ID ("SHA"), "0x%x" when unlisted.
std::string TlsHashName(uint32_t algorithm);
// Key-exchange name of an ALG_ID ("ECDH"), "0x%x" when unlisted.
std::string TlsExchangeName(uint32_t algorithm);

// The facts of an established connection.
struct TlsConnectionFacts {
  uint32_t protocol = 0;
  uint32_t cipher = 0;
  uint32_t cipherStrength = 0;
  uint32_t hash = 0;
  uint32_t hashStrength = 0;
  uint32_t exchange = 0;
  uint32_t exchangeStrength = 0;
};

// "Security %s, cipher %s (%u), hash %s (%u), keyxchg %s (%u)".
std::string FormatTlsConnection(const TlsConnectionFacts& facts);
