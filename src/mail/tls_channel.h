// The client TLS channel the SMTP engine runs its conversation in: SSPI with the
// Schannel provider over the engine's connected socket, and a certificate check of
// its own whose strictness the registry sets.
#pragma once
#include <winsock2.h>
#include <windows.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mail/mail_component.h"
#include "mail/tls_names.h"
#include "mail/transcript_writer.h"


// Certificate policy: let the provider validate the server certificate itself.
constexpr uint32_t kCertProviderValidates = 0x10000000;
// Certificate policy: accept any certificate.
constexpr uint32_t kCertAcceptAny = 0xFFFF;

struct TlsSettings {
  uint32_t certFlags = 0x3300;          // "TLSIgnoreCertErrors"
  uint32_t acceptableProtocols = 0xAA0;  // "TLSAcceptableProtocols"
};

// Reads the two values; a missing or 0 value becomes its default, which is written back.
TlsSettings ReadTlsSettings();

class CTlsChannel {
 public:
  // A channel writing its diagnostics to transcript.
  explicit CTlsChannel(const CTranscriptWriter* transcript) : transcript_(transcript) {}
  ~CTlsChannel() { TlsRelease(); }
  CTlsChannel(const CTlsChannel&) = delete;
  CTlsChannel& operator=(const CTlsChannel&) = delete;

  // Runs the client handshake on a connected socket, checking the certificate for serverName.
  uint32_t TlsHandshake(SOCKET socket, const std::string& serverName);
  // Encrypts and sends all bytes.
  uint32_t TlsSend(const char* data, size_t size);
  // Receives and decrypts up to size bytes into data; *received is set on success.
  uint32_t TlsReceive(char* data, size_t size, size_t* received);
  // Sends the close notification; the channel is inactive afterwards.
  uint32_t TlsShutdown();
  // Frees credentials and context and empties the buffers.
  void TlsRelease();
  // Whether a handshake completed: sends and receives go through the channel.
  bool Active() const { return active_; }

 private:
  uint32_t AcquireTlsCredentials();
  uint32_t TlsHandshakeLoop(bool readFirst);
  uint32_t CheckServer();
  uint32_t VerifyServerCertificate(PCCERT_CONTEXT certificate);
  void LogCertificateNames(PCCERT_CONTEXT certificate);
  void LogConnectionInfo();
  bool SendToken(const SecBuffer& token);
  void DeleteContext();
  void Log(int verbosity, char kind, const std::string& text) const;

  const CTranscriptWriter* transcript_;
  SOCKET socket_ = INVALID_SOCKET;
  std::string serverName_;
  bool active_ = false;
  uint32_t certFlags_ = 0;
  PSecurityFunctionTableA table_ = nullptr;
  CredHandle credentials_ = {~ULONG_PTR(0), ~ULONG_PTR(0)};
  CtxtHandle context_ = {~ULONG_PTR(0), ~ULONG_PTR(0)};
  SecPkgContext_StreamSizes streamSizes_ = {};
  TlsConnectionFacts connection_;
  std::string encryptedIn_;
  std::string plainIn_;
  SECURITY_STATUS lastReceiveStatus_ = SEC_E_OK;
};
