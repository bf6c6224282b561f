// The command line of ovmonctl: which command, with which options, and the help of each.
// Parsing is pure, so that every form and every mistake is table-tested without a console.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class ConsoleVerb { kHelp, kParse, kTest, kStatus, kHistory, kCheck, kMetrics, kMailTest, kSettingsShow };

struct ConsoleCommand {
  ConsoleVerb verb = ConsoleVerb::kHelp;
  std::string topic;           // help: the command asked about ("" for all)
  std::string source;          // parse, test: the time-source line
  bool stripChart = false;     // test: --count or --interval given
  uint32_t count = 0;          // test: samples to take; 0 until stopped
  uint32_t intervalMs = 1000;  // test: pause between samples
  bool json = false;
  bool alertsOnly = false;     // history
  bool csv = false;            // history: RFC 4180 rows
  std::optional<uint32_t> since, until;    // history: checks at or after since, before until (seconds since 1970)
  bool last = false;           // check: read the last stored check (the default)
  bool now = false;            // check: ask the service for a check and judge that one
  std::optional<uint32_t> maxAgeSeconds;   // check: an older last check is UNKNOWN (default two periods)
  std::optional<uint32_t> warnMs, critMs;  // check
  uint32_t waitSeconds = 600;  // check: how long a triggered check may take
  std::optional<std::string> to, server, user;  // mail test
  std::optional<uint16_t> port;
  std::optional<uint32_t> security;
  bool passwordStdin = false;
};

// Exit codes every command shares.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The exit code of bad usage: kExitUsage, but 3 (UNKNOWN) for check, as monitoring plug-ins answer.
int UsageExitCode(const ConsoleCommand& command);
// Reads the arguments after the program's name; false with a one-line reason on bad usage.
bool ParseConsoleArgs(const std::vector<std::string>& args, ConsoleCommand* command, std::string* error);
// The help of one command, or of the program when topic is empty or unknown.
std::string ConsoleHelp(const std::string& topic);
