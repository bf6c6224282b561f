// The command lines an SMTP session sends; the engine follows each with CR LF.
#pragma once
#include <string>

const char kSMTPStartTls[] = "STARTTLS";
const char kSMTPAuthLogin[] = "AUTH LOGIN";
const char kSMTPAuthPlain[] = "AUTH PLAIN";
const char kSMTPData[] = "DATA";
const char kSMTPQuit[] = "QUIT\r\n";  // sent as raw bytes, no reply read

// Whether text holds a CR or LF, which would end a command line early and start another.
bool HasLineBreak(const std::string& text);
// "EHLO " and the name this machine introduces itself with.
std::string EhloCommand(const std::string& heloName);
// "HELO " and the same name, the fall-back when EHLO is refused.
std::string HeloCommand(const std::string& heloName);
// "MAIL FROM:<address>".
std::string MailFromCommand(const std::string& address);
// "RCPT TO:<address>".
std::string RcptToCommand(const std::string& address);
// One AUTH LOGIN answer (user name or password) in base64 on a single line.
std::string AuthLoginAnswer(const std::string& text);
// The AUTH PLAIN credentials: base64 of user NUL user NUL password on a single line.
std::string AuthPlainAnswer(const std::string& userName, const std::string& password);
// The message text followed by the terminating dot line, as the command text whose
// CR LF the engine adds; a text not ending in CR LF gets one first so the dot stands alone.
std::string DataCommandText(const std::string& messageText);
