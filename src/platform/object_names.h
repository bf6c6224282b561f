// Names of the machine-wide kernel objects shared with the service and the tray component.
#pragma once
#include <string>

// "Global\<name>" unless the name already begins with "Global\" or "Local\"; cut at 260 characters.
std::string GlobalObjectName(const std::string& name);
