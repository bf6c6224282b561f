// The mail settings' rules: readiness, addresses, ports and folders.
#include "mail/mail_setup_rules.h"

#include <algorithm>
#include <cctype>

#include "platform/blank_text.h"
#include "platform/registry_encoding.h"
#include "platform/text_numbers.h"

namespace {

bool HasDrive(const std::string& text) {
  return text.size() >= 3 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':' && text[2] == '\\';
}

const char* FormatLine(uint32_t format) {
  if (format == 0) return "Format: Plain text only<br>";
  if (format == 1) return "Formats: Multipart, plain text followed by HTML<br>";
  return "Formats: Multipart, HTML followed by plain text<br>";
}

std::string RecipientItems(const TestMailFields& f, CSMTPMessage* message) {
  std::string items;
  for (auto [list, into] : {std::pair{&f.to, &message->to}, {&f.cc, &message->cc}, {&f.bcc, &message->bcc}}) {
    for (const Mailbox& recipient : *list) {
      items += "<li>" + recipient.address;
      into->push_back(recipient);
    }
  }
  return items;
}

std::string TestBox(const TestMailFields& f, CSMTPMessage* message) {
  std::string box = "This is a test message from <a href=\"" + f.documentationUrl + "\" title=\"Tallowin\"><u>";
  box += std::string(kProductTitle) + "</u></a>. It was sent from " + f.senderAddress + " using " + f.server +
         " on port " + f.portText + " to these recipients:<br><ul>";
  box += RecipientItems(f, message);
  box += "</ul><br>Authentication: " + (f.userName.empty() ? std::string("None") : f.userName) + "<br>";
  return box + FormatLine(f.format);
}

const char kFooter[] =
    "Copyright &copy; Tallowin. All rights reserved.<br>"
    "Tallowin Ltd, 1 Harbour Street, Example Bay<br>"
    "Support: support@tallowin.example<br>"
    "Telephone: +1 555 0100<br>"
    "www.tallowin.example";

}  // namespace

bool IsSetupReady(const std::vector<Mailbox>& to, const std::vector<Mailbox>& cc, const std::vector<Mailbox>& bcc,
                  const std::string& senderAddress, const std::string& server) {
  return !(to.empty() && cc.empty() && bcc.empty()) && !senderAddress.empty() && !server.empty();
}

uint16_t PortForSecurity(uint32_t security) {
  if (security == 0) return 25;
  return security == 3 ? 465 : 587;
}

std::string PortText(uint16_t port) { return std::to_string(port ? port : 25); }

uint16_t PortFromText(const std::string& text) {
  uint32_t port = StrToUl32(text, 10);
  return static_cast<uint16_t>(port == 0 ? 25 : std::min<uint32_t>(port, 65535));
}

std::string QueueFolderWithDrive(const std::string& text) {
  if (text.size() < 3) return "C:\\";
  if (HasDrive(text)) return text;
  return "C:\\" + text.substr(std::min(text.find_first_not_of('\\'), text.size()));
}

std::vector<Mailbox> RecipientsFromRows(const std::vector<RecipientRow>& rows) {
  std::vector<Mailbox> recipients;
  for (const RecipientRow& row : rows) {
    Mailbox entry{TrimBlanks(row.address), TrimBlanks(row.name)};
    if (!entry.address.empty()) recipients.push_back(entry);
  }
  return recipients;
}

int CompareCellTexts(const std::string& first, const std::string& second) {
  size_t common = std::min(first.size(), second.size());
  for (size_t i = 0; i < common; ++i) {
    int a = std::tolower(static_cast<unsigned char>(first[i]));
    int b = std::tolower(static_cast<unsigned char>(second[i]));
    if (a != b) return a - b;
  }
  return first.size() < second.size() ? -1 : first.size() > second.size() ? 1 : 0;
}

bool AcceptAddress(const std::string& nameText, const std::string& addressText, Mailbox* entry) {
  std::string address = TrimBlanks(addressText);
  size_t at = address.rfind('@');
  if (at == std::string::npos) return false;
  std::string name = TrimBlanks(nameText);
  *entry = Mailbox{address, name.empty() ? address.substr(0, at) : name};
  return true;
}

CSMTPMessage ComposeTestMessage(const TestMailFields& f) {
  CSMTPMessage message;
  message.senderAddress = f.senderAddress;
  message.senderName = f.senderName;
  message.subject = "Test Email from Orvane";
  message.format = f.format;
  message.styleSheet =
      "  body {margin-left:10%;margin-right:10%;color:black;background:white;"
      "font-family:Verdana,sans-serif;font-size:10pt;}\r\n";
  message.AddHtmlElement("p", "Email Test", "color:green;font-weight:bold;font-size:18pt;text-align:center;");
  message.htmlBody += "<p></p>\r\n";
  message.AddHtmlElement("div", TestBox(f, &message), "border:2px coral solid;margin:4px;padding:24px;");
  message.htmlBody += "<p></p>\r\n";
  message.AddHtmlElement("p", kFooter, "text-align:center;color:blue;font-size:8pt;");
  return message;
}
