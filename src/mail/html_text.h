// The plain-text alternative of an HTML mail body.
#pragma once
#include <string>

// Converts an HTML fragment to plain text: known entities and block tags to text and
// line breaks, links to their address or "text (URL)", other tags removed, runs of
// three line breaks folded to two, surrounding white space trimmed.
std::string HtmlToText(const std::string& html);
