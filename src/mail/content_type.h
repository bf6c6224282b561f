// The MIME content type of an attachment, chosen by its file name's extension.
#pragma once
#include <string>

// The extension of a file name from its last '.', dot included; empty without a '.'.
std::string NameExtension(const std::string& displayName);
// The type used when the system registers none: the product's two data file types
// (".ovad", ".ov", any case) or "application/octet-stream".
std::string BuiltInContentType(const std::string& extension);
// Whether a registered "Content Type" text may stand in a header line: not empty, no
// control characters (a CR or LF would start a new header).
bool IsUsableContentType(const std::string& text);
// The registered "Content Type" of the name's extension, else BuiltInContentType (Windows only).
std::string ContentTypeForName(const std::string& displayName);
