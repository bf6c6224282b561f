// Opening the online help in the user's browser, or through the opener a test installs.
#include "ui/online_help.h"

#include <shellapi.h>

namespace {

void OpenInBrowser(HWND parent, const char* url) { ShellExecuteA(parent, "open", url, nullptr, nullptr, SW_SHOWNORMAL); }

UrlOpener g_opener = OpenInBrowser;

}  // namespace

void OpenHelpHome(HWND parent) { g_opener(parent, BuildHelpHomeUrl().c_str()); }

void OpenHelpTopic(HWND parent, const char* subject) { g_opener(parent, BuildHelpTopicUrl(subject).c_str()); }

UrlOpener SetUrlOpener(UrlOpener opener) {
  UrlOpener previous = g_opener;
  g_opener = opener ? opener : OpenInBrowser;
  return previous;
}
