#include "ui/online_help.h"

#include <shellapi.h>

#include <cstdio>

const char kVersionString[] = "5.2.b.20240101";
const char kHelpHostName[] = "help.tallowin.example";

namespace {

const char kHelpEndpoint[] = "https://help.tallowin.example/online-help";
const char kProductKey[] = "ovmon";

void OpenInBrowser(HWND parent, const char* url) { ShellExecuteA(parent, "open", url, nullptr, nullptr, SW_SHOWNORMAL); }

UrlOpener g_opener = OpenInBrowser;

std::string Format(const char* format, const char* subject) {
  char url[1024];
  if (subject)
    snprintf(url, sizeof url, format, kHelpEndpoint, kProductKey, subject, kVersionString);
  else
    snprintf(url, sizeof url, format, kHelpEndpoint, kProductKey, kVersionString);
  return url;
}

}  // namespace

std::string BuildHelpHomeUrl() { return Format("%s?product=%s&subject=home&version=%s", nullptr); }

std::string BuildHelpTopicUrl(const char* subject) {
  return Format("%s?product=%s&subject=%s&version=%s", subject ? subject : "home");
}

void OpenHelpHome(HWND parent) { g_opener(parent, BuildHelpHomeUrl().c_str()); }

void OpenHelpTopic(HWND parent, const char* subject) { g_opener(parent, BuildHelpTopicUrl(subject).c_str()); }

UrlOpener SetUrlOpener(UrlOpener opener) {
  UrlOpener previous = g_opener;
  g_opener = opener ? opener : OpenInBrowser;
  return previous;
}
