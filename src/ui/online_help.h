// Links to the vendor's online help: the home page and one page per subject.
#pragma once
#include <windows.h>

#include <string>

#include "platform/help_address.h"

// Opens the help home page in the user's browser.
void OpenHelpHome(HWND parent);
// Opens the help page on subject in the user's browser.
void OpenHelpTopic(HWND parent, const char* subject);

// How links are opened; tests replace it to see which link a key or click opens.
using UrlOpener = void (*)(HWND parent, const char* url);
// Installs opener (null restores the browser) and returns the previous one.
UrlOpener SetUrlOpener(UrlOpener opener);
