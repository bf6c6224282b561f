// Whether the service may write in a folder: the folders on its path, judged from the root down.
#include "platform/path_trust.h"

#include <gtest/gtest.h>

namespace {

PathStepFacts Step(const char* name, bool reparse = false, bool trusted = true, bool found = true, bool known = true) {
  PathStepFacts step;
  step.name = name;
  step.reparsePoint = reparse;
  step.trustedOwner = trusted;
  step.found = found;
  step.ownerKnown = known;
  return step;
}

TEST(PathTrust, AFolderOnALinkOrOfAnotherOwnerIsRefused) {
  struct Case {
    const char* what;
    std::vector<PathStepFacts> steps;
    const char* refusal;
  } cases[] = {
      {"all trusted", {Step("C:\\Data"), Step("C:\\Data\\Monitor")}, ""},
      {"the folder itself is a junction", {Step("C:\\Data"), Step("C:\\Data\\Monitor", true)},
       "C:\\Data\\Monitor is a link (junction, symbolic link or reparse point)"},
      {"a parent is a symbolic link", {Step("C:\\Data", true), Step("C:\\Data\\Monitor")},
       "C:\\Data is a link (junction, symbolic link or reparse point)"},
      {"a user owns a parent", {Step("C:\\Users"), Step("C:\\Users\\bob", false, false), Step("C:\\Users\\bob\\d")},
       "C:\\Users\\bob is owned by an account other than SYSTEM or Administrators"},
      {"an owner that cannot be read", {Step("\\\\nas\\share\\d", false, false, true, false)},
       "the owner of \\\\nas\\share\\d cannot be read"},
      {"a folder not made yet under trusted ones", {Step("C:\\Data"), Step("C:\\Data\\New", false, false, false, false)}, ""},
      {"a link above a missing folder", {Step("C:\\Data", true), Step("C:\\Data\\New", false, false, false)},
       "C:\\Data is a link (junction, symbolic link or reparse point)"},
  };
  for (const Case& c : cases) EXPECT_EQ(PathRefusal(c.steps), c.refusal) << c.what;
}

TEST(PathTrust, TheFoldersOnAPathFromBelowItsRoot) {
  struct Case {
    const char* folder;
    std::vector<std::string> steps;
  } cases[] = {
      {"C:\\Windows\\system32\\OVMonitorData\\",
       {"C:\\Windows", "C:\\Windows\\system32", "C:\\Windows\\system32\\OVMonitorData"}},
      {"C:\\a\\b", {"C:\\a", "C:\\a\\b"}},
      {"C:\\", {}},
      {"C:\\a\\\\b\\", {"C:\\a", "C:\\a\\\\b"}},
      {"\\\\nas\\share\\monitor\\data\\", {"\\\\nas\\share\\monitor", "\\\\nas\\share\\monitor\\data"}},
      {"\\\\nas\\share", {}},
      {"\\\\nas", {}},
      {"relative\\folder\\", {}},
      {"C:relative\\", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(PathSteps(c.folder), c.steps) << c.folder;
}

TEST(PathTrust, FullPathsOnly) {
  struct Case {
    const char* path;
    bool full;
  } cases[] = {{"C:\\", true},         {"C:\\a\\b", true}, {"\\\\nas\\share", true}, {"\\\\nas\\share\\d\\", true},
               {"\\\\nas", false},      {"\\\\nas\\", false},  {"\\\\\\x", false},        {"C:", false},
               {"C:relative", false}, {"relative\\x", false}, {"\\rooted", false},       {"", false}};
  for (const Case& c : cases) EXPECT_EQ(IsFullPath(c.path), c.full) << c.path;
}

TEST(PathTrust, PlainFileNamesOnly) {
  struct Case {
    const char* name;
    bool plain;
  } cases[] = {{"1700000000.bin", true}, {"orvanem.log", true}, {"", false},        {".", false},
               {"..", false},            {"a\\b", false},       {"a/b", false},     {"x.bin:stream", false},
               {"C:x", false},           {"...", true}};
  for (const Case& c : cases) EXPECT_EQ(IsPlainFileName(c.name), c.plain) << c.name;
}

}  // namespace
