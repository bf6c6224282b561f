// Building the command lines of an SMTP session.
#include "mail/smtp_command.h"

#include "mail/base64.h"

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

std::string EhloCommand(const std::string& heloName) { return "EHLO " + heloName; }

std::string HeloCommand(const std::string& heloName) { return "HELO " + heloName; }

std::string MailFromCommand(const std::string& address) { return "MAIL FROM:<" + address + ">"; }

std::string RcptToCommand(const std::string& address) { return "RCPT TO:<" + address + ">"; }

std::string AuthLoginAnswer(const std::string& text) { return EncodeBase64Line(text); }

std::string AuthPlainAnswer(const std::string& userName, const std::string& password) {
  std::string credentials = userName;
  credentials += '\0';
  credentials += userName;
  credentials += '\0';
  credentials += password;
  return EncodeBase64Line(credentials);
}

std::string DataCommandText(const std::string& messageText) {
  bool endsWithLine =
      messageText.size() >= 2 && messageText.compare(messageText.size() - 2, 2, "\r\n") == 0;
  return messageText + (endsWithLine ? "." : "\r\n.");
}
