// Finding the test fixtures in the source tree.
#include "support/fixture_path.h"

#include <cstdlib>

std::string FixturePath(const std::string& relative) {
  const char* root = std::getenv("OVMON_SOURCE_DIR");
  return std::string(root ? root : ".") + "/tests/fixtures/" + relative;
}
