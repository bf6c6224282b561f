// The addresses of the vendor's online help: the home page and one page per subject, each
// carrying the product and this program's version. Opening them is the user interface's part.
#pragma once
#include <string>

// The program's version string, as sent with every help link.
extern const char kVersionString[];
// The host name of the online-help endpoint, as the Status page shows it.
extern const char kHelpHostName[];

// The address of the help home page.
std::string BuildHelpHomeUrl();
// The address of the help page on subject (a single lower-case word).
std::string BuildHelpTopicUrl(const char* subject);
