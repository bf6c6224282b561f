#include "mail/smtp_engine.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "mail/mail_error.h"
#include "mail/smtp_command.h"
#include "platform/registry.h"

namespace {

const DWORD kSendTimeout = 1000;
const DWORD kReceiveTimeout = 60000;
const size_t kMailFileHeaderSize = 24;

// Reads one envelope line of up to 1023 bytes without its CR and LF; false at end of file.
bool ReadEnvelopeLine(FILE* mail, std::string* line) {
  char buffer[1024];
  if (!std::fgets(buffer, sizeof buffer, mail)) return false;
  *line = buffer;
  line->erase(std::remove(line->begin(), line->end(), '\r'), line->end());
  line->erase(std::remove(line->begin(), line->end(), '\n'), line->end());
  return true;
}

std::string AddressText(const addrinfo* address) {
  char text[257] = "";
  DWORD length = sizeof text;
  WSAAddressToStringA(address->ai_addr, static_cast<DWORD>(address->ai_addrlen), nullptr, text, &length);
  return text;
}

}  // namespace

CSMTPEngine::CSMTPEngine(std::string server, uint16_t port, uint32_t security, std::string userName,
                         std::string password)
    : server_(std::move(server)),
      userName_(std::move(userName)),
      password_(std::move(password)),
      port_(port),
      security_(security) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

CSMTPEngine::~CSMTPEngine() {
  if (tls_.Active()) tls_.TlsShutdown();
  CloseSocket();
  tls_.TlsRelease();
  SecureZeroMemory(&password_[0], password_.size());
  WSACleanup();
}

void CSMTPEngine::CloseSocket() {
  if (socket_ == INVALID_SOCKET) return;
  closesocket(socket_);
  socket_ = INVALID_SOCKET;
}

uint32_t CSMTPEngine::Connect() {
  if (tls_.Active()) tls_.TlsShutdown();
  CloseSocket();
  lineBuffer_.Clear();
  std::string portText = std::to_string(port_ == 0 ? 25 : port_);
  Log(LogLookingUp(server_));
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* addresses = nullptr;
  if (int error = getaddrinfo(server_.c_str(), portText.c_str(), &hints, &addresses)) return error;
  uint32_t lastError = 0;
  for (const addrinfo* address = addresses; address; address = address->ai_next) {
    std::string text = AddressText(address);
    SOCKET candidate = WSASocketA(address->ai_family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, 0);
    if (candidate == INVALID_SOCKET) {
      lastError = WSAGetLastError();
      Log(LogCreateSocketFailed(lastError));
      continue;
    }
    if (connect(candidate, address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0) {
      lastError = WSAGetLastError();
      Log(LogConnectFailed(text, lastError));
      closesocket(candidate);
      continue;
    }
    Log(LogConnected(text));
    setsockopt(candidate, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&kSendTimeout), sizeof kSendTimeout);
    setsockopt(candidate, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kReceiveTimeout),
               sizeof kReceiveTimeout);
    socket_ = candidate;
    lastError = 0;
    break;
  }
  freeaddrinfo(addresses);
  return lastError;
}

uint32_t CSMTPEngine::SendRaw(const char* data, size_t size) {
  if (tls_.Active()) return tls_.TlsSend(data, size);
  while (size > 0) {
    int sent = send(socket_, data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
    if (sent == SOCKET_ERROR) return WSAGetLastError();
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return 0;
}

uint32_t CSMTPEngine::Receive(char* data, size_t size, size_t* received) {
  if (tls_.Active()) return tls_.TlsReceive(data, size, received);
  int got = recv(socket_, data, static_cast<int>(size), 0);
  if (got == SOCKET_ERROR) return WSAGetLastError();
  *received = static_cast<size_t>(got);
  return 0;
}

uint32_t CSMTPEngine::ReadLine(std::string* line) {
  char chunk[CSMTPLineBuffer::kCapacity];
  for (;;) {
    if (lineBuffer_.TakeLine(line)) {
      Log(LogReceived(*line));
      return 0;
    }
    if (lineBuffer_.Overflowing()) Log(LogOverflow(lineBuffer_.TakeAll()));
    size_t received = 0;
    uint32_t error = Receive(chunk, lineBuffer_.FreeSpace(), &received);
    if (error == kSMTPConnectionLost || (error == 0 && received == 0)) {
      Log(LogLostConnection());
      return kSMTPConnectionLost;
    }
    if (error != 0) {
      Log(LogSocketError(error));
      return error;
    }
    lineBuffer_.Append(chunk, received);
  }
}

uint32_t CSMTPEngine::Command(const std::string& command, uint32_t expected, SMTPSentKind kind, bool parseEhlo) {
  if (!command.empty()) {
    Log(LogSent(command, kind));
    // The text and its CR LF leave in one send: two small sends would wait on the peer's delayed ACK.
    std::string line = command + "\r\n";
    uint32_t error = SendRaw(line.data(), line.size());
    SecureZeroMemory(&line[0], line.size());
    if (error != 0) return error;
  }
  for (;;) {
    std::string line;
    if (uint32_t error = ReadLine(&line)) return error;
    switch (JudgeReplyLine(line, expected, parseEhlo, &capabilities_, &lastReply_)) {
      case SMTPVerdict::kReadMore:
        continue;
      case SMTPVerdict::kAccepted:
        return 0;
      case SMTPVerdict::kRejected:
        Log(LogProtocolError(expected, lastReply_));
        return kSMTPUnexpectedReply;
    }
  }
}

uint32_t CSMTPEngine::Ehlo() {
  capabilities_ = SMTPCapabilities();
  esmtp_ = false;
  std::string name = GetHeloName();
  uint32_t error = Command(EhloCommand(name), 250, SMTPSentKind::kCommand, true);
  if (error == 0) {
    esmtp_ = true;
    return 0;
  }
  if (error == kSMTPUnexpectedReply && lastReply_ >= 500)
    return Command(HeloCommand(name), 250, SMTPSentKind::kCommand, true);
  return error;
}

uint32_t CSMTPEngine::StartTls() {
  if (tls_.Active() || security_ == 0) return 0;
  if (!capabilities_.startTls) {
    if (security_ != 2) return 0;
    Log(LogNoStartTls());
    return kSMTPNoStartTls;
  }
  if (uint32_t error = Command(kSMTPStartTls, 220)) return error;
  if (uint32_t error = tls_.TlsHandshake(socket_, server_)) return error;
  return Ehlo();
}

uint32_t CSMTPEngine::Authenticate() {
  if (!esmtp_ || userName_.empty() || password_.empty()) return 0;
  if (capabilities_.authLogin && Command(kSMTPAuthLogin, 334) == 0 &&
      Command(AuthLoginAnswer(userName_), 334) == 0 &&
      Command(AuthLoginAnswer(password_), 235, SMTPSentKind::kCredential) == 0)
    return 0;
  if (!capabilities_.authPlain) return kSMTPNoAuthMechanism;
  if (uint32_t error = Command(kSMTPAuthPlain, 334)) return error;
  return Command(AuthPlainAnswer(userName_, password_), 235, SMTPSentKind::kCredential);
}

uint32_t CSMTPEngine::SendEnvelope(FILE* mail) {
  std::string line;
  if (!ReadEnvelopeLine(mail, &line)) return kSMTPNoSender;
  std::string mailFrom = MailFromCommand(line);
  if (Command(mailFrom, 250) != 0) {
    if (uint32_t error = Command(mailFrom, 250)) return error;
  }
  while (ReadEnvelopeLine(mail, &line) && !line.empty()) {
    if (uint32_t error = Command(RcptToCommand(line), 250)) return error;
  }
  return 0;
}

uint32_t CSMTPEngine::SendBody(FILE* mail) {
  std::string text;
  char chunk[1023];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, mail)) > 0;) text.append(chunk, got);
  return Command(DataCommandText(text), 250, SMTPSentKind::kBody);
}

uint32_t CSMTPEngine::Converse(FILE* mail) {
  if (Connected()) {
    lineBuffer_.Clear();
  } else {
    if (uint32_t error = Connect()) return error;
    if (security_ == 3) {
      if (uint32_t error = tls_.TlsHandshake(socket_, server_)) return error;
    }
    if (uint32_t error = Command(std::string(), 220)) return error;
    if (uint32_t error = Ehlo()) return error;
    if (uint32_t error = StartTls()) return error;
    if (uint32_t error = Authenticate()) return error;
  }
  if (uint32_t error = SendEnvelope(mail)) return error;
  if (uint32_t error = Command(kSMTPData, 354)) return error;
  return SendBody(mail);
}

uint32_t CSMTPEngine::Send(const std::string& path, uint32_t* lastReply, FILE* transcript, int verbosity) {
  transcript_ = CTranscriptWriter(transcript, verbosity);
  lastReply_ = 0;
  FILE* mail = std::fopen(path.c_str(), "rb");
  if (!mail) return static_cast<uint32_t>(errno);
  uint32_t result = std::fseek(mail, kMailFileHeaderSize, SEEK_SET) == 0 ? Converse(mail) : kSMTPNoSender;
  std::fclose(mail);
  *lastReply = lastReply_;
  return result;
}

void CSMTPEngine::Quit() {
  if (!Connected()) return;
  SendRaw(kSMTPQuit, std::strlen(kSMTPQuit));
  if (tls_.Active()) tls_.TlsShutdown();
  CloseSocket();
}
