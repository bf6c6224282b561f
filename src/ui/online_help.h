// Links to the vendor's online help: the home page and one page per subject.
#pragma once
#include <windows.h>

#include <string>

// The program's version string, as sent with every help link.
extern const char kVersionString[];
// The host name of the online-help endpoint, as the Status page shows it.
extern const char kHelpHostName[];

// The address of the help home page.
std::string BuildHelpHomeUrl();
// The address of the help page on subject (a single lower-case word).
std::string BuildHelpTopicUrl(const char* subject);
// Opens the help home page in the user's browser.
void OpenHelpHome(HWND parent);
// Opens the help page on subject in the user's browser.
void OpenHelpTopic(HWND parent, const char* subject);

// How links are opened; tests replace it to see which link a key or click opens.
using UrlOpener = void (*)(HWND parent, const char* url);
// Installs opener (null restores the browser) and returns the previous one.
UrlOpener SetUrlOpener(UrlOpener opener);
