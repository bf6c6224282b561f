// What tests take from their environment and from files: the variables the test script
// exports, and whole files read and written as bytes.
#pragma once
#include <string>

// The variable's value; empty when it is not set.
std::string Env(const char* name);
// The file's bytes; empty when it cannot be read.
std::string ReadFileText(const std::string& path);
// Writes text as the file's bytes (appended when append is set).
void WriteFileText(const std::string& path, const std::string& text, bool append = false);
