// Composing a message's headers, MIME parts and mail-file bytes.
#include "mail/mail_composer.h"

#include <cstdint>
#include <cstdio>

#include "mail/base64.h"
#include "mail/html_text.h"
#include "mail/quoted_printable.h"

namespace {
const char kCrLf[] = "\r\n";
const char kMixedContentType[] =
    "Content-Type: multipart/mixed; boundary=\"-----=_Mixed_Part_=-----\"\r\n";
const char kAlternativeContentType[] =
    "Content-Type: multipart/alternative; boundary=\"-----=_Alternate_Part_=-----\"\r\n";
const char kPlainContentType[] =
    "Content-Type: text/plain; charset=\"Windows-1252\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n";
const char kMixedDelimiter[] = "-------=_Mixed_Part_=-----\r\n";
const char kAlternateDelimiter[] = "-------=_Alternate_Part_=-----\r\n";
const char kAlternativeClose[] = "-------=_Alternate_Part_=-------\r\n";
const char kMixedClose[] = "-------=_Mixed_Part_=-------\r\n";
const char kHtmlPartType[] =
    "Content-Type: text/html; charset=\"Windows-1252\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n";

std::string QuotedMailbox(const Mailbox& m) {
  return m.name.empty() ? m.address : "\"" + m.name + "\" <" + m.address + ">";
}

// One line per mailbox: the prefix, then four spaces; commas between mailboxes.
std::string AddressHeader(const char* prefix, const std::vector<Mailbox>& list) {
  std::string out;
  for (size_t i = 0; i < list.size(); ++i) {
    out += i == 0 ? prefix : "    ";
    out += QuotedMailbox(list[i]);
    if (i + 1 < list.size()) out += ',';
    out += kCrLf;
  }
  return out;
}

std::string PriorityHeaders(int32_t priority) {
  int32_t clamped = priority < 1 ? 1 : priority > 5 ? 5 : priority;
  const char* ms = priority < 2 ? "High" : priority <= 4 ? "Normal" : "Low";
  return "X-Priority: " + std::to_string(clamped) + kCrLf + "X-MSMail-Priority: " + ms + kCrLf;
}

std::string MessageHeaders(const CSMTPMessage& message, const MailComposition& composition) {
  std::string out = "Date: " + FormatMailDateText(composition.localTime, composition.zone) + kCrLf;
  out += "Subject: " + message.subject + kCrLf;
  out +=
      "Message-ID: " +
      MakeMessageId(composition.localTime, message.fileHeader.messageNumber, composition.hostName) +
      kCrLf;
  out += "From: " + QuotedMailbox({message.senderAddress, message.senderName}) + kCrLf;
  out += AddressHeader("To: ", message.to);
  out += AddressHeader("cc: ", message.cc);
  out += "MIME-Version: 1.0\r\n";
  if (!message.attachments.empty())
    out += kMixedContentType;
  else if (message.format == 1 || message.format == 2)
    out += kAlternativeContentType;
  else
    out += kPlainContentType;
  out += "X-Mailer: " + composition.mailer + kCrLf;
  out += PriorityHeaders(message.priority);
  return out + kCrLf;
}

std::string AttachmentPart(const MailAttachment& attachment, const MailAttachmentContent& content) {
  char size[16];
  std::snprintf(size, sizeof size, "%u", static_cast<unsigned>(content.bytes.size()));
  std::string out = kMixedDelimiter;
  out += "Content-Transfer-Encoding: base64\r\n";
  out += "Content-Type: " + content.contentType + kCrLf;
  out += "Content-Disposition: attachment;\r\n";
  out += "\tfilename=\"" + attachment.displayName + "\"; size=" + size + kCrLf;
  return out + kCrLf + EncodeBase64(content.bytes) + kCrLf + kCrLf;
}

std::string AttachmentParts(const CSMTPMessage& message, const MailComposition& composition) {
  std::string out;
  for (size_t i = 0; i < message.attachments.size() && i < composition.attachments.size(); ++i) {
    const MailAttachmentContent& content = composition.attachments[i];
    if (content.readable && !content.bytes.empty())
      out += AttachmentPart(message.attachments[i], content);
  }
  return out + kMixedClose + kCrLf;
}

std::string Body(const CSMTPMessage& message, const MailComposition& composition) {
  std::string text = EncodeQuotedPrintable(HtmlToText(message.htmlBody)) + kCrLf;
  bool withAttachments = !message.attachments.empty();
  bool withHtml = message.format == 1 || message.format == 2;
  if (!withAttachments && !withHtml) return text;
  std::string textPart = kAlternateDelimiter + std::string(kPlainContentType) + kCrLf + text;
  std::string htmlPart;
  if (withHtml)
    htmlPart = kAlternateDelimiter + std::string(kHtmlPartType) + kCrLf +
               EncodeQuotedPrintable(ComposeHtmlDocument(message)) + kCrLf;
  std::string out;
  if (withAttachments) out = kMixedDelimiter + std::string(kAlternativeContentType) + kCrLf;
  out += message.format == 2 ? htmlPart + textPart : textPart + htmlPart;
  out += kAlternativeClose + std::string(kCrLf);
  if (withAttachments) out += AttachmentParts(message, composition);
  return out;
}

void AppendWord(std::string* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) *out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendEnvelopeLines(std::string* out, const std::vector<Mailbox>& list) {
  for (const Mailbox& m : list) *out += m.address + kCrLf;
}
}  // namespace

std::string ComposeHtmlDocument(const CSMTPMessage& message) {
  std::string out;
  out.reserve(message.htmlBody.size() + 1024);
  out +=
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional //EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\" xml:lang=\"en\">\r\n"
      "<head>\r\n"
      "  <title>";
  out += message.htmlTitle.empty() ? message.subject : message.htmlTitle;
  out +=
      "</title>\r\n"
      "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-1252\">\r\n"
      "  <meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\r\n";
  if (!message.styleSheet.empty())
    out += "  <style type=\"text/css\">\r\n" + message.styleSheet + "  </style>\r\n";
  out += message.headExtra;
  out += "</head>\r\n<body>\r\n" + message.htmlBody + "\r\n</body>\r\n</html>\r\n";
  return out;
}

std::string ComposeMessageText(const CSMTPMessage& message, const MailComposition& composition) {
  return MessageHeaders(message, composition) + Body(message, composition);
}

std::string ComposeMailFile(const CSMTPMessage& message, const MailComposition& composition) {
  const MailFileHeader& h = message.fileHeader;
  std::string out;
  for (uint32_t word : {h.version, h.messageNumber, h.composedTime, h.composedTimeCopy,
                        h.reserved[0], h.reserved[1]})
    AppendWord(&out, word);
  out += message.senderAddress + kCrLf;
  AppendEnvelopeLines(&out, message.to);
  AppendEnvelopeLines(&out, message.cc);
  AppendEnvelopeLines(&out, message.bcc);
  out += kCrLf;
  return out + ComposeMessageText(message, composition);
}
