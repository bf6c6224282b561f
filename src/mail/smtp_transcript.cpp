#include "mail/smtp_transcript.h"

#include "mail/mail_error.h"

bool ShouldWrite(const SMTPLogEntry& entry, int verbosity) { return verbosity >= entry.verbosity; }

SMTPLogEntry MakeLogEntry(int verbosity, char kind, const std::string& text) {
  SMTPLogEntry entry;
  entry.verbosity = verbosity;
  entry.line = std::string("  ") + kind + ": " + text + "\r\n";
  return entry;
}

SMTPLogEntry LogCreateSocketFailed(uint32_t error) {
  return MakeLogEntry(kTranscriptErrors, 'E', "Create socket " + DescribeMailError(error));
}

SMTPLogEntry LogConnectFailed(const std::string& address, uint32_t error) {
  return MakeLogEntry(kTranscriptErrors, 'E',
                      "Connect to " + address + " failed; " + DescribeMailError(error));
}

SMTPLogEntry LogSocketError(uint32_t error) {
  return MakeLogEntry(kTranscriptErrors, 'E', "Socket " + DescribeMailError(error));
}

SMTPLogEntry LogLostConnection() {
  SMTPLogEntry entry;
  entry.verbosity = kTranscriptErrors;
  entry.line = " E: Lost connection\r\n";
  return entry;
}

SMTPLogEntry LogProtocolError(uint32_t expected, uint32_t got) {
  return MakeLogEntry(kTranscriptErrors, 'E',
                      "Protocol error: expected " + std::to_string(static_cast<int>(expected)) +
                          " but got " + std::to_string(static_cast<int>(got)));
}

SMTPLogEntry LogNoStartTls() {
  return MakeLogEntry(kTranscriptErrors, 'E', "Server does not support STARTTLS");
}

SMTPLogEntry LogOverflow(const std::string& held) {
  return MakeLogEntry(kTranscriptWarnings, 'W', "Overflow without CRLF (" + held + ")");
}

SMTPLogEntry LogLookingUp(const std::string& server) {
  return MakeLogEntry(kTranscriptProgress, 'I', "Looking up " + server);
}

SMTPLogEntry LogConnected(const std::string& address) {
  return MakeLogEntry(kTranscriptProgress, 'I', "Connected to " + address);
}

SMTPLogEntry LogSent(const std::string& command, SMTPSentKind kind) {
  const std::string& shown = kind == SMTPSentKind::kCredential ? std::string("{password}")
                             : kind == SMTPSentKind::kBody     ? std::string("{mail body}")
                                                               : command;
  return MakeLogEntry(kTranscriptTraffic, 'S', shown);
}

SMTPLogEntry LogReceived(const std::string& line) {
  return MakeLogEntry(kTranscriptTraffic, 'R', line);
}
