// The names of the machine-wide kernel objects.
#include "platform/object_names.h"

std::string GlobalObjectName(const std::string& name) {
  bool prefixed = name.compare(0, 7, "Global\\") == 0 || name.compare(0, 6, "Local\\") == 0;
  std::string full = prefixed ? name : "Global\\" + name;
  return full.substr(0, 260);
}
