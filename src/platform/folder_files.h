// The files of a folder by a name pattern, as the service's log rolls, the store of checks and the
// clean-ups find them: plain files only, and never more than a bounded number.
#pragma once
#include <string>
#include <vector>

// Names (no folder) of the files in folder (ending with a backslash) that match pattern, at most 100000.
std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern);
