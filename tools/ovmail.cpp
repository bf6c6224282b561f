// Sends one test message through the applet's own SMTP client: a command-line
// stand-in for the e-mail setup dialog's "Send Test Email" button.
//   ovmail <server> <port> <security 0-3> <user or -> <password or -> <from> <to>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mail/deliver_mail.h"

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: ovmail server port security user|- password|- from to\n");
    return 2;
  }
  auto optional = [](const char* text) { return std::string(text) == "-" ? std::string() : std::string(text); };
  CSMTPMessage message;
  message.senderAddress = argv[6];
  message.senderName = "Orvane Monitor";
  message.to = {{argv[7], ""}};
  message.subject = "Orvane Monitor test message";
  message.AddHtmlElement("p", "This is a test message from the Orvane Monitor.", "");
  std::string report = DeliverMail(&message, argv[1], static_cast<uint16_t>(std::atoi(argv[2])),
                                   static_cast<uint32_t>(std::atoi(argv[3])), optional(argv[4]), optional(argv[5]));
  if (!report.empty()) std::fprintf(stderr, "%s\n", report.c_str());
  return report.empty() ? 0 : 1;
}
