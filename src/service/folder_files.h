// The files of a folder, as the service's log rolls, stored checks and clean-ups find them.
#pragma once
#include <string>
#include <vector>

// Names (no folder) of the files in folder (ending with a backslash) that match pattern, at most 100000.
std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern);
