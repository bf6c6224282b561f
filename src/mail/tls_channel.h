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
#include "mail/mail_socket.h"
#include "mail/tls_names.h"
#include "mail/tls_policy.h"
#include "mail/transcript_writer.h"

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

  // Runs the client handshake on a connected socket, checking the certificate for serverName;
  // a failed handshake leaves no context.
  uint32_t TlsHandshake(CMailSocket* socket, const std::string& serverName);
  // Encrypts and sends all bytes.
  uint32_t TlsSend(const char* data, size_t size);
  // Receives and decrypts up to size bytes into data; *received is set on success. A record
  // longer than the provider can take fails with SEC_E_ILLEGAL_MESSAGE.
  uint32_t TlsReceive(char* data, size_t size, size_t* received);
  // Sends the close notification; the channel is inactive afterwards.
  uint32_t TlsShutdown();
  // Frees credentials and context and empties the buffers.
  void TlsRelease();
  // Whether a handshake completed: sends and receives go through the channel.
  bool Active() const { return active_; }
  // Whether a handshake has begun on the connection since the last release: the peer then
  // takes TLS records only.
  bool Engaged() const { return socket_ != nullptr; }
  // Whether a security context is held.
  bool HoldsContext() const;
  // The SCHANNEL_CRED flags the provider was given for the last handshake (0 before one).
  uint32_t CredentialFlags() const { return credentialFlags_; }

 private:
  uint32_t AcquireTlsCredentials();
  uint32_t TlsHandshakeLoop(bool readFirst);
  uint32_t FailHandshake(uint32_t status);
  uint32_t CheckServer();
  uint32_t VerifyServerCertificate(PCCERT_CONTEXT certificate);
  void LogCertificateNames(PCCERT_CONTEXT certificate);
  void LogIssuers(PCCERT_CONTEXT certificate);
  void LogConnectionInfo();
  uint32_t SendToken(const SecBuffer& token);
  void DeleteContext();
  void Log(int verbosity, char kind, const std::string& text) const;

  const CTranscriptWriter* transcript_;
  CMailSocket* socket_ = nullptr;
  std::string serverName_;
  bool active_ = false;
  uint32_t certFlags_ = 0;
  uint32_t credentialFlags_ = 0;
  PSecurityFunctionTableA table_ = nullptr;
  CredHandle credentials_ = {~ULONG_PTR(0), ~ULONG_PTR(0)};
  CtxtHandle context_ = {~ULONG_PTR(0), ~ULONG_PTR(0)};
  SecPkgContext_StreamSizes streamSizes_ = {};
  TlsConnectionFacts connection_;
  std::string encryptedIn_;
  std::string plainIn_;
  SECURITY_STATUS lastReceiveStatus_ = SEC_E_OK;
};
