// The texts the service takes from the registry and the file system: a line of "Monitored
// Machines", a log message, and the names found beside its log. Whatever they hold, a machine line
// splits into a known role and a trimmed time-source line, a log line stays one line with the prefix
// the log viewer recognises, and the archives to delete are names that were found and never the
// log itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "service/log_line.h"
#include "service/log_roll.h"
#include "service/monitored_machines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  MachineLine machine;
  if (ParseMachineLine(text, &machine)) {
    if (machine.role > kClassClient || machine.source.empty()) std::abort();
    if (machine.source.front() == ' ' || machine.source.back() == ' ') std::abort();
  }
  LogStamp stamp{2026, 12, 10, 4, 17, 1, 7};
  std::string line = FormatLogLine(stamp, LogLevel(size % 7), text);
  if (line.find('\n') != line.size() - 1 || line.find('\r') != line.size() - 2) std::abort();
  if (line.size() < 36 || line[3] != ' ' || line[18] != ':' || line[33] != ' ') std::abort();
  std::vector<std::string> names;
  for (size_t start = 0; start <= text.size();) {
    size_t end = std::min(text.find('/', start), text.size());
    names.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  names.push_back("orvanem.log");
  for (const std::string& doomed : ArchivesToDelete("orvanem.log", names, uint32_t(size) << 26, uint32_t(size % 4)))
    if (doomed == "orvanem.log" || std::find(names.begin(), names.end(), doomed) == names.end()) std::abort();
  return 0;
}
