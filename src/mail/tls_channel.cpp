// The SSPI/Schannel client channel: handshake, encryption, decryption and shutdown.
#include "mail/tls_channel.h"

#include <algorithm>
#include <string>

#include "mail/mail_error.h"
#include "platform/registry.h"

namespace {

const ULONG kRequestFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                            ISC_REQ_USE_SUPPLIED_CREDS | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_EXTENDED_ERROR |
                            ISC_REQ_STREAM;
static_assert(kRequestFlags == 0xC19C, "client context request flags");
static_assert(kCredNoServerNameCheck == SCH_CRED_NO_SERVERNAME_CHECK, "SCHANNEL_CRED flags");
static_assert(kCredManualValidation == SCH_CRED_MANUAL_CRED_VALIDATION, "SCHANNEL_CRED flags");
static_assert(kCredNoDefaultCreds == SCH_CRED_NO_DEFAULT_CREDS, "SCHANNEL_CRED flags");
static_assert(kCredAutoValidation == SCH_CRED_AUTO_CRED_VALIDATION, "SCHANNEL_CRED flags");

const size_t kHandshakeBufferSize = 65536;
const uint32_t kPeerClosed = 10054;
// The most issuers the transcript names above the server certificate.
const int kMaxIssuers = 10;

bool ValidHandle(const SecHandle& handle) { return handle.dwLower != ~ULONG_PTR(0) || handle.dwUpper != ~ULONG_PTR(0); }

void Invalidate(SecHandle* handle) { handle->dwLower = handle->dwUpper = ~ULONG_PTR(0); }

// Receives some bytes; a closed connection is 10054.
uint32_t ReceiveSome(CMailSocket* socket, char* data, size_t size, size_t* got) {
  if (uint32_t error = socket->Receive(data, size, got)) return error;
  return *got == 0 ? kPeerClosed : 0;
}

std::string EncodedCertificate(PCCERT_CONTEXT certificate) {
  return std::string(reinterpret_cast<const char*>(certificate->pbCertEncoded), certificate->cbCertEncoded);
}

bool SelfSigned(PCCERT_CONTEXT certificate) {
  return CertCompareCertificateName(X509_ASN_ENCODING, &certificate->pCertInfo->Subject,
                                    &certificate->pCertInfo->Issuer);
}

uint32_t ReadSetting(const char* name, uint32_t fallback) {
  uint32_t value = ReadRegistryDword(kMailComponentKey, name, 0);
  if (value != 0) return value;
  WriteRegistryDword(kMailComponentKey, name, fallback);
  return fallback;
}

std::string CertificateName(const CERT_NAME_BLOB* name) {
  char text[1000];
  if (CertNameToStrA(X509_ASN_ENCODING, const_cast<CERT_NAME_BLOB*>(name),
                     CERT_X500_NAME_STR | CERT_NAME_STR_NO_PLUS_FLAG, text, sizeof text) <= 1)
    return "{unknown}";
  return text;
}

}  // namespace

TlsSettings ReadTlsSettings() {
  TlsSettings defaults;
  TlsSettings settings;
  settings.certFlags = ReadSetting("TLSIgnoreCertErrors", defaults.certFlags);
  settings.acceptableProtocols = ReadSetting("TLSAcceptableProtocols", defaults.acceptableProtocols);
  return settings;
}

void CTlsChannel::Log(int verbosity, char kind, const std::string& text) const {
  if (transcript_) transcript_->Write(MakeLogEntry(verbosity, kind, text));
}

uint32_t CTlsChannel::AcquireTlsCredentials() {
  if (!GetModuleHandleA("secur32.dll")) return GetLastError();
  table_ = InitSecurityInterfaceA();
  if (!table_) return GetLastError();
  TlsSettings settings = ReadTlsSettings();
  certFlags_ = settings.certFlags;
  SCHANNEL_CRED credential = {};
  credential.dwVersion = SCHANNEL_CRED_VERSION;
  credential.grbitEnabledProtocols = settings.acceptableProtocols;
  credential.dwFlags = credentialFlags_ = SchannelCredentialFlags(certFlags_);
  TimeStamp expiry;
  SECURITY_STATUS status = table_->AcquireCredentialsHandleA(
      nullptr, const_cast<SEC_CHAR*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr, &credential, nullptr, nullptr,
      &credentials_, &expiry);
  if (status != SEC_E_OK) {
    table_ = nullptr;
    Invalidate(&credentials_);
  }
  return static_cast<uint32_t>(status);
}

uint32_t CTlsChannel::SendToken(const SecBuffer& token) {
  return socket_->SendAll(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
}

bool CTlsChannel::HoldsContext() const { return ValidHandle(context_); }

void CTlsChannel::DeleteContext() {
  if (table_ && ValidHandle(context_)) table_->DeleteSecurityContext(&context_);
  Invalidate(&context_);
}

uint32_t CTlsChannel::FailHandshake(uint32_t status) {
  Log(kTranscriptErrors, 'E', "Unable to complete SSL handshake: " + DescribeMailError(status));
  DeleteContext();
  active_ = false;  // a renegotiation that failed ends the channel too
  return status;
}

uint32_t CTlsChannel::TlsHandshake(CMailSocket* socket, const std::string& serverName) {
  socket_ = socket;
  serverName_ = serverName;
  encryptedIn_.clear();
  plainIn_.clear();
  lastReceiveStatus_ = SEC_E_OK;
  uint32_t result = AcquireTlsCredentials();
  if (result != 0) return result;
  SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
  SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
  ULONG attributes = 0;
  TimeStamp expiry;
  SECURITY_STATUS status = table_->InitializeSecurityContextA(
      &credentials_, nullptr, const_cast<SEC_CHAR*>(serverName_.c_str()), kRequestFlags, 0, SECURITY_NATIVE_DREP,
      nullptr, 0, &context_, &outDesc, &attributes, &expiry);
  if (status != SEC_I_CONTINUE_NEEDED) {
    if (out.pvBuffer) table_->FreeContextBuffer(out.pvBuffer);
    Invalidate(&context_);
    return FailHandshake(static_cast<uint32_t>(status));
  }
  if (out.cbBuffer > 0 && SendToken(out) != 0) status = SEC_E_INTERNAL_ERROR;
  if (out.pvBuffer) table_->FreeContextBuffer(out.pvBuffer);
  if (status != SEC_I_CONTINUE_NEEDED) return FailHandshake(static_cast<uint32_t>(status));
  result = TlsHandshakeLoop(true);
  if (result != 0) return result;
  status = table_->QueryContextAttributesA(&context_, SECPKG_ATTR_STREAM_SIZES, &streamSizes_);
  if (status != SEC_E_OK) {
    DeleteContext();
    return static_cast<uint32_t>(status);
  }
  active_ = true;
  return 0;
}

uint32_t CTlsChannel::TlsHandshakeLoop(bool readFirst) {
  std::vector<char> input(kHandshakeBufferSize);
  // A renegotiation starts from the bytes that asked for it.
  size_t held = readFirst ? 0 : std::min(encryptedIn_.size(), input.size());
  std::copy_n(encryptedIn_.data(), held, input.data());
  bool mayRead = readFirst;
  SECURITY_STATUS status = SEC_I_CONTINUE_NEEDED;
  while (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE ||
         status == SEC_I_INCOMPLETE_CREDENTIALS) {
    if (held == 0 || status == SEC_E_INCOMPLETE_MESSAGE) {
      if (mayRead) {
        // A handshake message larger than the whole buffer is no message this client takes.
        if (held == input.size()) return FailHandshake(static_cast<uint32_t>(SEC_E_ILLEGAL_MESSAGE));
        size_t got = 0;
        if (uint32_t error = ReceiveSome(socket_, input.data() + held, input.size() - held, &got))
          return FailHandshake(error);
        held += got;
      } else {
        mayRead = true;
      }
    }
    SecBuffer in[2] = {{static_cast<ULONG>(held), SECBUFFER_TOKEN, input.data()}, {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    TimeStamp expiry;
    status = table_->InitializeSecurityContextA(&credentials_, &context_, nullptr, kRequestFlags, 0,
                                               SECURITY_NATIVE_DREP, &inDesc, 0, nullptr, &outDesc, &attributes,
                                               &expiry);
    bool sendable = status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED ||
                    (FAILED(status) && (attributes & ISC_RET_EXTENDED_ERROR));
    if (sendable && out.cbBuffer > 0 && out.pvBuffer && SendToken(out) != 0) status = SEC_E_INTERNAL_ERROR;
    if (out.pvBuffer) table_->FreeContextBuffer(out.pvBuffer);
    if (status == SEC_E_INCOMPLETE_MESSAGE) continue;
    if (status == SEC_E_OK) {
      if (in[1].BufferType == SECBUFFER_EXTRA)
        encryptedIn_.assign(input.data() + held - in[1].cbBuffer, in[1].cbBuffer);
      else
        encryptedIn_.clear();
      return CheckServer();
    }
    if (FAILED(status)) return FailHandshake(static_cast<uint32_t>(status));
    if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
      status = SEC_I_CONTINUE_NEEDED;
      continue;
    }
    if (in[1].BufferType == SECBUFFER_EXTRA) {
      std::copy_n(input.data() + held - in[1].cbBuffer, in[1].cbBuffer, input.data());
      held = in[1].cbBuffer;
    } else {
      held = 0;
    }
  }
  return FailHandshake(static_cast<uint32_t>(status));
}

uint32_t CTlsChannel::CheckServer() {
  PCCERT_CONTEXT certificate = nullptr;
  SecPkgContext_ConnectionInfo info = {};
  SECURITY_STATUS status = table_->QueryContextAttributesA(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
  if (status == SEC_E_OK) status = table_->QueryContextAttributesA(&context_, SECPKG_ATTR_CONNECTION_INFO, &info);
  if (status != SEC_E_OK) {
    Log(kTranscriptErrors, 'E', "Unable to obtain server certificate: " + DescribeMailError(status));
    if (certificate) CertFreeCertificateContext(certificate);
    DeleteContext();
    return static_cast<uint32_t>(status);
  }
  connection_ = {info.dwProtocol, info.aiCipher, info.dwCipherStrength, info.aiHash, info.dwHashStrength,
                 info.aiExch, info.dwExchStrength};
  LogCertificateNames(certificate);
  LogConnectionInfo();
  uint32_t result = ChecksCertificateChain(certFlags_) ? VerifyServerCertificate(certificate) : 0;
  CertFreeCertificateContext(certificate);
  if (result != 0) DeleteContext();
  return result;
}

uint32_t CTlsChannel::VerifyServerCertificate(PCCERT_CONTEXT certificate) {
  if (!certificate) return static_cast<uint32_t>(SEC_E_CERT_UNKNOWN);
  wchar_t name[512];
  if (MultiByteToWideChar(CP_ACP, 0, serverName_.c_str(), -1, name, 512) == 0)
    return static_cast<uint32_t>(SEC_E_INSUFFICIENT_MEMORY);
  LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH), const_cast<LPSTR>(szOID_SERVER_GATED_CRYPTO),
                    const_cast<LPSTR>(szOID_SGC_NETSCAPE)};
  CERT_CHAIN_PARA chainPara = {};
  chainPara.cbSize = sizeof chainPara;
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 3;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                               &chain)) {
    uint32_t error = GetLastError();
    Log(kTranscriptErrors, 'E', "CertGetCertificateChain: " + DescribeMailError(error));
    return error;
  }
  Log(kTranscriptTraffic, 'I', "CertGetCertificateChain okay");
  HTTPSPolicyCallbackData https = {};
  https.cbStruct = sizeof https;
  https.dwAuthType = AUTHTYPE_SERVER;
  https.fdwChecks = certFlags_;
  https.pwszServerName = name;
  CERT_CHAIN_POLICY_PARA policy = {};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &https;
  CERT_CHAIN_POLICY_STATUS policyStatus = {};
  policyStatus.cbSize = sizeof policyStatus;
  uint32_t result = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &policyStatus)
                        ? policyStatus.dwError
                        : GetLastError();
  if (result != 0) Log(kTranscriptErrors, 'E', "CertVerifyCertificateChainPolicy: " + DescribeMailError(result));
  CertFreeCertificateChain(chain);
  return result;
}

void CTlsChannel::LogCertificateNames(PCCERT_CONTEXT certificate) {
  if (!transcript_ || !transcript_->Wants(kTranscriptCertificates)) return;
  Log(kTranscriptCertificates, 'I', "Cert subject: \"" + CertificateName(&certificate->pCertInfo->Subject) + "\"");
  Log(kTranscriptCertificates, 'I', "Cert issuer: \"" + CertificateName(&certificate->pCertInfo->Issuer) + "\"");
  LogIssuers(certificate);
}

// Names each issuer above the certificate in its store. The server chose what that store holds:
// the walk ends at a self-signed certificate, at one it has named already (certificates that
// name each other as issuer) and after kMaxIssuers.
void CTlsChannel::LogIssuers(PCCERT_CONTEXT certificate) {
  std::vector<std::string> seen;
  PCCERT_CONTEXT current = CertDuplicateCertificateContext(certificate);
  for (int depth = 0; current && depth < kMaxIssuers; ++depth) {
    DWORD flags = 0;
    PCCERT_CONTEXT issuer = CertGetIssuerCertificateFromStore(certificate->hCertStore, current, nullptr, &flags);
    CertFreeCertificateContext(current);
    current = nullptr;
    if (!issuer) break;
    std::string encoded = EncodedCertificate(issuer);
    bool again = std::find(seen.begin(), seen.end(), encoded) != seen.end();
    if (!again) {
      Log(kTranscriptCertificates, 'I', "CA Subject: \"" + CertificateName(&issuer->pCertInfo->Subject) + "\"");
      Log(kTranscriptCertificates, 'I', "CA Issuer: \"" + CertificateName(&issuer->pCertInfo->Issuer) + "\"");
      seen.push_back(encoded);
    }
    if (again || SelfSigned(issuer))
      CertFreeCertificateContext(issuer);
    else
      current = issuer;
  }
  if (current) CertFreeCertificateContext(current);
}

void CTlsChannel::LogConnectionInfo() { Log(kTranscriptTraffic, 'I', FormatTlsConnection(connection_)); }

uint32_t CTlsChannel::TlsSend(const char* data, size_t size) {
  size_t maximum = streamSizes_.cbMaximumMessage;
  std::vector<char> record(streamSizes_.cbHeader + maximum + streamSizes_.cbTrailer);
  for (size_t offset = 0; offset < size; offset += maximum) {
    size_t piece = std::min(maximum, size - offset);
    std::copy_n(data + offset, piece, record.data() + streamSizes_.cbHeader);
    SecBuffer buffers[4] = {
        {streamSizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
        {static_cast<ULONG>(piece), SECBUFFER_DATA, record.data() + streamSizes_.cbHeader},
        {streamSizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + streamSizes_.cbHeader + piece},
        {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    SECURITY_STATUS status = table_->EncryptMessage(&context_, 0, &desc, 0);
    if (FAILED(status)) return static_cast<uint32_t>(status);
    size_t length = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
    if (uint32_t error = socket_->SendAll(record.data(), length)) return error;
  }
  return 0;
}

uint32_t CTlsChannel::TlsReceive(char* data, size_t size, size_t* received) {
  if (!table_) return static_cast<uint32_t>(SEC_E_INVALID_HANDLE);
  const size_t largestRecord = streamSizes_.cbHeader + streamSizes_.cbMaximumMessage + streamSizes_.cbTrailer;
  while (plainIn_.empty()) {
    if (lastReceiveStatus_ == SEC_E_INCOMPLETE_MESSAGE || encryptedIn_.empty()) {
      // The provider had the largest record it takes and still asked for more: the peer's
      // record header claims a length no record may have.
      if (encryptedIn_.size() >= largestRecord) return static_cast<uint32_t>(SEC_E_ILLEGAL_MESSAGE);
      char chunk[1024];
      size_t got = 0;
      if (uint32_t error = ReceiveSome(socket_, chunk, sizeof chunk, &got)) return error;
      encryptedIn_.append(chunk, got);
    }
    size_t limit = std::min(encryptedIn_.size(), largestRecord);
    SecBuffer buffers[4] = {{static_cast<ULONG>(limit), SECBUFFER_DATA, &encryptedIn_[0]},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    SECURITY_STATUS status = table_->DecryptMessage(&context_, &desc, 0, nullptr);
    lastReceiveStatus_ = status;
    if (status == SEC_E_INCOMPLETE_MESSAGE) continue;
    if (status == SEC_I_CONTEXT_EXPIRED) return kPeerClosed;
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) return static_cast<uint32_t>(status);
    size_t consumed = 0, plainBytes = 0;
    const SecBuffer* extra = nullptr;
    for (const SecBuffer& buffer : buffers) {
      if (buffer.BufferType == SECBUFFER_DATA) {
        plainIn_.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
        plainBytes += buffer.cbBuffer;
      }
      if (buffer.BufferType == SECBUFFER_EXTRA) extra = &buffer;
      if (buffer.BufferType == SECBUFFER_STREAM_HEADER || buffer.BufferType == SECBUFFER_DATA ||
          buffer.BufferType == SECBUFFER_STREAM_TRAILER)
        consumed += buffer.cbBuffer;
    }
    if (extra) consumed = limit - extra->cbBuffer;
    encryptedIn_.erase(0, std::min(consumed, encryptedIn_.size()));
    if (status == SEC_I_RENEGOTIATE) {
      uint32_t result = TlsHandshakeLoop(false);
      if (result != 0) return result;
    } else if (plainBytes == 0 && !extra) {
      return kPeerClosed;  // a close notification that the provider reports as an empty record
    }
  }
  size_t count = std::min(size, plainIn_.size());
  std::copy_n(plainIn_.data(), count, data);
  plainIn_.erase(0, count);
  *received = count;
  return 0;
}

uint32_t CTlsChannel::TlsShutdown() {
  active_ = false;
  if (!table_ || !ValidHandle(context_)) return 0;
  DWORD type = SCHANNEL_SHUTDOWN;
  SecBuffer token = {sizeof type, SECBUFFER_TOKEN, &type};
  SecBufferDesc tokenDesc = {SECBUFFER_VERSION, 1, &token};
  table_->ApplyControlToken(&context_, &tokenDesc);
  SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
  SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
  ULONG attributes = 0;
  TimeStamp expiry;
  SECURITY_STATUS status = table_->InitializeSecurityContextA(&credentials_, &context_, nullptr, kRequestFlags, 0,
                                                              SECURITY_NATIVE_DREP, nullptr, 0, &context_, &outDesc,
                                                              &attributes, &expiry);
  uint32_t result = SUCCEEDED(status) && out.pvBuffer && out.cbBuffer > 0 ? SendToken(out) : 0;
  if (out.pvBuffer) table_->FreeContextBuffer(out.pvBuffer);
  return result;
}

void CTlsChannel::TlsRelease() {
  if (table_ && ValidHandle(credentials_)) table_->FreeCredentialsHandle(&credentials_);
  DeleteContext();
  Invalidate(&credentials_);
  table_ = nullptr;
  active_ = false;
  socket_ = nullptr;
  encryptedIn_.clear();
  plainIn_.clear();
}
