// Judging the folders on a path the service writes in.
#include "platform/path_trust.h"

std::string PathRefusal(const std::vector<PathStepFacts>& steps) {
  for (const PathStepFacts& step : steps) {
    if (!step.found) return std::string();  // nothing below a missing folder exists yet
    if (step.reparsePoint) return step.name + " is a link (junction, symbolic link or reparse point)";
    if (!step.ownerKnown) return "the owner of " + step.name + " cannot be read";
    if (!step.trustedOwner) return step.name + " is owned by an account other than SYSTEM or Administrators";
  }
  return std::string();
}

std::vector<std::string> PathSteps(const std::string& folder) {
  std::vector<std::string> steps;
  size_t start = 0;
  if (folder.compare(0, 2, "\\\\") == 0) {  // \\server\share\: steps begin below the share
    size_t server = folder.find('\\', 2);
    start = server == std::string::npos ? std::string::npos : folder.find('\\', server + 1);
  } else if (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\') {
    start = 2;
  } else {
    return steps;
  }
  if (start == std::string::npos) return steps;
  for (size_t from = start;;) {
    size_t at = folder.find('\\', from + 1);
    size_t end = at == std::string::npos ? folder.size() : at;
    if (end > from + 1) steps.push_back(folder.substr(0, end));
    if (at == std::string::npos) return steps;
    from = at;
  }
}

bool IsFullPath(const std::string& path) {
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return true;
  if (path.compare(0, 2, "\\\\") != 0) return false;
  size_t server = path.find('\\', 2);
  return server != std::string::npos && server > 2 && server + 1 < path.size() && path[server + 1] != '\\';
}

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}
