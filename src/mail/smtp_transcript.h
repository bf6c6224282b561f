// The lines of the SMTP transcript file and the verbosity that writes each.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Least verbosity at which each class of entry is written.
const int kTranscriptErrors = 1;
const int kTranscriptWarnings = 2;
const int kTranscriptProgress = 3;
const int kTranscriptTraffic = 4;
const int kTranscriptCertificates = 5;

// One transcript entry: the least verbosity that writes it and the whole line, CR LF included.
struct SMTPLogEntry {
  int verbosity = kTranscriptErrors;
  std::string line;
};

// How a sent command appears in the transcript.
enum class SMTPSentKind {
  kCommand,     // as sent
  kCredential,  // "{password}"
  kBody,        // "{mail body}"
};

// Whether an entry belongs in a transcript of the given verbosity (0..5).
bool ShouldWrite(const SMTPLogEntry& entry, int verbosity);
// "  <kind>: <text>\r\n" at the given verbosity; kind is 'E', 'W', 'I', 'S' or 'R'.
SMTPLogEntry MakeLogEntry(int verbosity, char kind, const std::string& text);
// "  E: Create socket error ...".
SMTPLogEntry LogCreateSocketFailed(uint32_t error);
// "  E: Connect to <address> failed; error ...".
SMTPLogEntry LogConnectFailed(const std::string& address, uint32_t error);
// "  E: Socket error ..." for a failed receive.
SMTPLogEntry LogSocketError(uint32_t error);
// " E: Lost connection" (one leading space) when the peer closed the connection.
SMTPLogEntry LogLostConnection();
// "  E: Protocol error: expected <expected> but got <got>".
SMTPLogEntry LogProtocolError(uint32_t expected, uint32_t got);
// "  E: Server does not support STARTTLS".
SMTPLogEntry LogNoStartTls();
// "  E: Reply longer than <lines> lines" when a reply does not end.
SMTPLogEntry LogReplyTooLong(size_t lines);
// "  E: Session took longer than <limit in seconds> s" when the session's time ran out.
SMTPLogEntry LogSessionTimeLimit(uint32_t limitMs);
// "  E: The EHLO name (registry value \"FQDN\") <fault>".
SMTPLogEntry LogBadHeloName(const std::string& fault);
// "  E: Envelope line longer than <limit> bytes in the mail file".
SMTPLogEntry LogEnvelopeLineTooLong(size_t limit);
// "  W: Overflow without CRLF (<held text>)".
SMTPLogEntry LogOverflow(const std::string& held);
// "  I: Looking up <server>".
SMTPLogEntry LogLookingUp(const std::string& server);
// "  I: Connected to <address>".
SMTPLogEntry LogConnected(const std::string& address);
// "  S: <command>", with credentials and the message text masked.
SMTPLogEntry LogSent(const std::string& command, SMTPSentKind kind);
// "  R: <reply line>".
SMTPLogEntry LogReceived(const std::string& line);
