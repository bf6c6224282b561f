// Base64 (RFC 4648, standard alphabet, '=' padding) for mail attachments and SMTP AUTH.
#pragma once
#include <string>

// Base64 of bytes, with CR LF after every 76 output characters (none after the last line).
std::string EncodeBase64(const std::string& bytes);
// Base64 of bytes on a single line, for SMTP AUTH arguments that must stay one command line.
std::string EncodeBase64Line(const std::string& bytes);
