// The test script's environment variables and whole-file reads and writes.
#include "support/test_io.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileText(const std::string& path, const std::string& text, bool append) {
  std::ofstream(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc)) << text;
}
