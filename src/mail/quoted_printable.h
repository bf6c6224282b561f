// Quoted-printable encoding (RFC 2045) of mail text parts, ready for SMTP DATA.
#pragma once
#include <string>

// Encodes text in three passes: escapes ("=XX") every byte outside the literal set
// (CR and LF stay literal only as a CR LF pair), inserts soft line breaks so that no
// line exceeds 74 characters without splitting an escape, and doubles a dot that
// begins a line (the first line included).
std::string EncodeQuotedPrintable(const std::string& text);
