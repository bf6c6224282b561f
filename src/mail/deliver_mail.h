// The send operation around the SMTP engine: it validates and writes one message, delivers it to
// the relay host and turns a failure into one report for the user; and the name this machine
// introduces itself with.
#pragma once
#include <cstdint>
#include <string>

#include "mail/smtp_message.h"

// The name this machine gives in EHLO and HELO, fixed in the registry value "FQDN" on first use.
std::string GetHeloName();

// Validates and writes the message, delivers it and cleans up; the failure report, empty on success.
std::string DeliverMail(CSMTPMessage* message, const std::string& server, uint16_t port, uint32_t security,
                        const std::string& userName, const std::string& password);
