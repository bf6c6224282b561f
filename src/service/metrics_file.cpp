// Writing the metrics file after a check.
#include "service/metrics_file.h"

#include <windows.h>

#include "platform/describe_error.h"
#include "platform/guarded_files.h"
#include "platform/path_trust.h"
#include "platform/registry.h"

const char kMetricsFileValue[] = "Metrics File";

std::string MetricsFilePath() { return ReadRegistryString("", kMetricsFileValue, "", MAX_PATH); }

std::string WriteMetricsFile(const std::string& path, const std::string& text) {
  size_t slash = path.find_last_of('\\');
  std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1), name = path.substr(slash + 1);
  if (folder.empty() || !IsPlainFileName(name)) return "it is not the full path of a file";
  std::string refusal = FolderRefusal(folder);
  if (!refusal.empty()) return refusal;
  if (WriteWholeFile(folder, name, text.data(), text.size(), true)) return "";
  char description[256];
  return DescribeError(GetLastError(), description, sizeof description);
}
