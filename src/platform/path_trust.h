// Whether the service, running as SYSTEM, may write in a folder: one that is, or passes through,
// a link (a junction, a symbolic link, any reparse point) could lead its writes and deletes
// anywhere, and one that another account owns could be swapped under it. The facts of each folder
// on the way are gathered by the platform; the judgement is this pure function.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What was found of one folder on a path, from the root down.
struct PathStepFacts {
  std::string name;           // the path up to this folder, for the reason
  bool found = true;          // false: it does not exist (nor does anything below it)
  bool reparsePoint = false;  // a junction, symbolic link or other reparse point
  bool ownerKnown = true;     // false: its owner could not be read
  bool trustedOwner = true;   // owned by SYSTEM, Administrators, TrustedInstaller or this account
};

// The judgement of a path: empty when the service may use it, else why not, in words.
std::string PathRefusal(const std::vector<PathStepFacts>& steps);
// The folders on the way to folder, from the first below the root ("C:\a\b\" gives "C:\a",
// "C:\a\b"; a UNC path starts below its share); empty for a path that is not absolute.
std::vector<std::string> PathSteps(const std::string& folder);
// Whether a path is absolute: a drive and a backslash ("C:\..."), or a share ("\\server\share...").
bool IsFullPath(const std::string& path);
// Whether a name is a plain file name of a folder: no separator, no drive or stream colon, not "." or "..".
bool IsPlainFileName(const std::string& name);
