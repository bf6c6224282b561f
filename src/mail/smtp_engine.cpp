// The SMTP conversation: greeting, EHLO, STARTTLS, AUTH, envelope and DATA.
#include "mail/smtp_engine.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "mail/deliver_mail.h"
#include "mail/envelope_reader.h"
#include "mail/helo_name.h"
#include "mail/smtp_command.h"

namespace {

const size_t kMailFileHeaderSize = 24;

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
  socket_.Close();
  tls_.TlsRelease();
  SecureZeroMemory(&password_[0], password_.size());
  WSACleanup();
}

uint32_t CSMTPEngine::Connect() {
  if (tls_.Active()) tls_.TlsShutdown();
  socket_.Close();
  tls_.TlsRelease();
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
    if ((lastError = socket_.Create(address->ai_family)) != 0) {
      Log(LogCreateSocketFailed(lastError));
      continue;
    }
    if ((lastError = socket_.Connect(address->ai_addr, static_cast<int>(address->ai_addrlen))) != 0) {
      Log(LogConnectFailed(text, lastError));
      socket_.Close();
      continue;
    }
    Log(LogConnected(text));
    break;
  }
  freeaddrinfo(addresses);
  return lastError;
}

uint32_t CSMTPEngine::SendRaw(const char* data, size_t size) {
  return tls_.Active() ? tls_.TlsSend(data, size) : socket_.SendAll(data, size);
}

uint32_t CSMTPEngine::Receive(char* data, size_t size, size_t* received) {
  return tls_.Active() ? tls_.TlsReceive(data, size, received) : socket_.Receive(data, size, received);
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
    if (uint32_t error = Receive(chunk, lineBuffer_.FreeSpace(), &received)) {
      Log(LogSocketError(error));
      return error;
    }
    if (received == 0) {
      Log(LogLostConnection());
      return kSMTPConnectionLost;
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
    if (error != 0) {
      Log(LogSocketError(error));
      return error;
    }
  }
  return ReadReply(expected, parseEhlo);
}

uint32_t CSMTPEngine::ReadReply(uint32_t expected, bool parseEhlo) {
  for (size_t lines = 0; lines < kMaxReplyLines; ++lines) {
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
  Log(LogReplyTooLong(kMaxReplyLines));
  return kSMTPUnexpectedReply;
}

uint32_t CSMTPEngine::Ehlo() {
  capabilities_ = SMTPCapabilities();
  esmtp_ = false;
  std::string name = GetHeloName();
  std::string fault = HeloNameFault(name);
  if (!fault.empty()) {
    Log(LogBadHeloName(fault));
    return ERROR_INVALID_PARAMETER;
  }
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
  if (uint32_t error = tls_.TlsHandshake(&socket_, server_)) return error;
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
  EnvelopeRead read = ReadEnvelopeLine(mail, &line);
  if (read == EnvelopeRead::kEnd) return kSMTPNoSender;
  if (read == EnvelopeRead::kLine) {
    std::string mailFrom = MailFromCommand(line);
    if (Command(mailFrom, 250) != 0) {
      if (uint32_t error = Command(mailFrom, 250)) return error;
    }
    while ((read = ReadEnvelopeLine(mail, &line)) == EnvelopeRead::kLine && !line.empty()) {
      if (uint32_t error = Command(RcptToCommand(line), 250)) return error;
    }
  }
  if (read != EnvelopeRead::kTooLong) return 0;
  Log(LogEnvelopeLineTooLong(kEnvelopeLineLimit));
  return ERROR_INVALID_DATA;
}

uint32_t CSMTPEngine::SendBody(FILE* mail) {
  std::string text;
  char chunk[1023];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, mail)) > 0;) text.append(chunk, got);
  return Command(DataCommandText(text), 250, SMTPSentKind::kBody);
}

uint32_t CSMTPEngine::Greet() {
  if (uint32_t error = Connect()) return error;
  if (security_ == 3) {
    if (uint32_t error = tls_.TlsHandshake(&socket_, server_)) return error;
  }
  if (uint32_t error = Command(std::string(), 220)) return error;
  if (uint32_t error = Ehlo()) return error;
  if (uint32_t error = StartTls()) return error;
  return Authenticate();
}

uint32_t CSMTPEngine::Converse(FILE* mail) {
  if (Connected()) {
    lineBuffer_.Clear();
  } else if (uint32_t error = Greet()) {
    return error;
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
  socket_.StartSession();
  uint32_t result = std::fseek(mail, kMailFileHeaderSize, SEEK_SET) == 0 ? Converse(mail) : kSMTPNoSender;
  std::fclose(mail);
  if (result != 0 && socket_.SessionOver()) Log(LogSessionTimeLimit(socket_.SessionLimitMs()));
  *lastReply = lastReply_;
  return result;
}

void CSMTPEngine::Quit() {
  if (!Connected()) return;
  // Once a handshake has begun the peer reads TLS records only: clear text would be a protocol error.
  if (tls_.Active() || !tls_.Engaged()) SendRaw(kSMTPQuit, std::strlen(kSMTPQuit));
  if (tls_.Active()) tls_.TlsShutdown();
  socket_.Close();
}
