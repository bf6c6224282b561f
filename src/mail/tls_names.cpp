// The names of TLS protocols and algorithms.
#include "mail/tls_names.h"

#include <cstdio>

namespace {

struct NameEntry {
  uint32_t value;
  const char* name;
};

template <size_t N>
std::string Lookup(const NameEntry (&table)[N], uint32_t value) {
  for (const NameEntry& entry : table)
    if (entry.value == value) return entry.name;
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

const NameEntry kProtocols[] = {
    {0, "None"},     {1, "PCT1"},     {2, "PCT1"},      {4, "SSL2"},      {8, "SSL2"},
    {16, "SSL3"},    {32, "SSL3"},    {64, "TLS 1.0"},  {128, "TLS 1.0"}, {256, "TLS 1.1"},
    {512, "TLS 1.1"}, {1024, "TLS 1.2"}, {2048, "TLS 1.2"},
};

const NameEntry kCiphers[] = {
    {0x2000, "N/A"},     {0x2200, "DSA"},     {0x2400, "RSA"},      {0x4C04, "PCT1"},  {0x6601, "DES"},
    {0x6602, "RC2"},     {0x6603, "3DES"},    {0x6604, "DESX"},     {0x6609, "3DES112"}, {0x660A, "Skipjack"},
    {0x660B, "TEK"},     {0x660C, "DES40"},   {0x660D, "RC5"},      {0x660E, "AES128"}, {0x660F, "AES192"},
    {0x6610, "AES256"},  {0x6611, "AES"},     {0x6801, "RC4"},      {0x6802, "SEAL"},  {0x8001, "MD2"},
    {0x8002, "MD4"},     {0x8003, "MD5"},     {0x8004, "SHA"},      {0x8005, "MAC"},   {0x8009, "HMAC"},
    {0x800B, "HROWF"},   {0x800C, "SHA256"},  {0x800D, "SHA384"},   {0x800E, "SHA512"}, {0xA001, "ECMQV"},
    {0xA003, "HUGHESMD5"}, {0xA400, "RSA"},   {0xAA01, "DH-ST"},    {0xAA02, "DH-EPHEM"}, {0xAA03, "DH-ANY"},
    {0xAA04, "KEA"},     {0xAA05, "ECDH"},
};

const NameEntry kHashes[] = {
    {0x8001, "MD2"}, {0x8002, "MD4"}, {0x8003, "MD5"}, {0x8004, "SHA"},
    {0x800C, "SHA"}, {0x800D, "SHA"}, {0x800E, "SHA"},
};

const NameEntry kExchanges[] = {
    {0x2200, "RSA"},  {0x2400, "RSA"}, {0xA400, "RSA"},  {0x2203, "ECDSA"},
    {0xA001, "ECDQV"}, {0xAA02, "DHE"}, {0xAA04, "KEA"}, {0xAA05, "ECDH"}, {0xAE06, "ECDH"},
};

}  // namespace

std::string TlsProtocolName(uint32_t protocol) { return Lookup(kProtocols, protocol); }
std::string TlsCipherName(uint32_t algorithm) { return Lookup(kCiphers, algorithm); }
std::string TlsHashName(uint32_t algorithm) { return Lookup(kHashes, algorithm); }
std::string TlsExchangeName(uint32_t algorithm) { return Lookup(kExchanges, algorithm); }

std::string FormatTlsConnection(const TlsConnectionFacts& f) {
  char text[256];
  std::snprintf(text, sizeof text, "Security %s, cipher %s (%u), hash %s (%u), keyxchg %s (%u)",
                TlsProtocolName(f.protocol).c_str(), TlsCipherName(f.cipher).c_str(), f.cipherStrength,
                TlsHashName(f.hash).c_str(), f.hashStrength, TlsExchangeName(f.exchange).c_str(),
                f.exchangeStrength);
  return text;
}
