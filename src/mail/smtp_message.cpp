// Filling in and checking one e-mail before it is sent.
#include "mail/smtp_message.h"

#include <cctype>

#include "mail/smtp_command.h"

namespace {
bool HasAt(const std::string& address) { return address.find('@') != std::string::npos; }

bool AllHaveAt(const std::vector<Mailbox>& list) {
  for (const Mailbox& m : list)
    if (!HasAt(m.address)) return false;
  return true;
}

bool AnyLineBreak(const std::vector<Mailbox>& list) {
  for (const Mailbox& m : list)
    if (HasLineBreak(m.address) || HasLineBreak(m.name)) return true;
  return false;
}
}  // namespace

void CSMTPMessage::AddHtmlElement(const std::string& tag, const std::string& content,
                                  const std::string& style) {
  htmlBody += "<" + tag;
  if (!style.empty()) htmlBody += " style=\"" + style + "\"";
  htmlBody += ">" + content + "</" + tag + ">\r\n";
}

std::string CSMTPMessage::ValidateAddresses() const {
  if (!HasAt(senderAddress)) return "error 87; invalid sender address";
  if (to.empty() && cc.empty() && bcc.empty()) return "error 87; no recipients specified";
  if (!AllHaveAt(to)) return "error 86; invalid TO recipient";
  if (!AllHaveAt(cc)) return "error 85; invalid CC recipient";
  if (!AllHaveAt(bcc)) return "error 84; invalid BCC recipient";
  return FindHeaderLineBreak(*this);
}

std::string FindHeaderLineBreak(const CSMTPMessage& message) {
  if (HasLineBreak(message.senderAddress)) return "error 87; line break in sender address";
  if (HasLineBreak(message.senderName)) return "error 87; line break in sender name";
  if (AnyLineBreak(message.to)) return "error 86; line break in TO recipient";
  if (AnyLineBreak(message.cc)) return "error 85; line break in CC recipient";
  if (AnyLineBreak(message.bcc)) return "error 84; line break in BCC recipient";
  if (HasLineBreak(message.subject)) return "error 87; line break in subject";
  for (const MailAttachment& a : message.attachments)
    if (HasLineBreak(a.displayName)) return "error 87; line break in attachment name";
  return std::string();
}

std::string CheckMailFilePath(const std::string& path) {
  if (path.size() < 3) return "Could not create mail file; error 87: bad path";
  bool drive =
      std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\';
  bool unc = path[0] == '\\' && path[1] == '\\';
  if (!drive && !unc) return "Could not create mail file; error 87: missing drive letter";
  return std::string();
}
