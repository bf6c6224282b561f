// The online-help addresses.
#include "platform/help_address.h"

#include <cstdio>

const char kVersionString[] = "5.2.b.20240101";
const char kHelpHostName[] = "help.tallowin.example";

namespace {

const char kHelpEndpoint[] = "https://help.tallowin.example/online-help";
const char kProductKey[] = "ovmon";

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
