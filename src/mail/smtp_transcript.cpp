// The SMTP transcript's lines and the verbosity each needs.
#include "mail/smtp_transcript.h"

#include <cstdio>

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

SMTPLogEntry LogReplyTooLong(size_t lines) {
  return MakeLogEntry(kTranscriptErrors, 'E', "Reply longer than " + std::to_string(lines) + " lines");
}

SMTPLogEntry LogSessionTimeLimit(uint32_t limitMs) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", limitMs / 1000.0);
  return MakeLogEntry(kTranscriptErrors, 'E', std::string("Session took longer than ") + seconds + " s");
}

SMTPLogEntry LogBadHeloName(const std::string& fault) {
  return MakeLogEntry(kTranscriptErrors, 'E', "The EHLO name (registry value \"FQDN\") " + fault);
}

SMTPLogEntry LogEnvelopeLineTooLong(size_t limit) {
  return MakeLogEntry(kTranscriptErrors, 'E',
                      "Envelope line longer than " + std::to_string(limit) + " bytes in the mail file");
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
