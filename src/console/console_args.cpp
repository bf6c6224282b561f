// Parsing ovmonctl's command line into a command and its options, and the help texts.
#include "console/console_args.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "platform/iso_time.h"

namespace {

const char kProgramHelp[] =
    "Usage: ovmonctl <command> [options]\n"
    "Commands:\n"
    "  parse SOURCE               show a time-source line as the applet reads it\n"
    "  test SOURCE                sample a time source as the applet's test does\n"
    "  status                     the service and its last check and last alert\n"
    "  history                    the stored checks, oldest first\n"
    "  check                      a monitoring plug-in: judge the last check\n"
    "  metrics                    the monitor's metrics in the Prometheus text format\n"
    "  mail test                  send the e-mail setup's test message\n"
    "  settings show              every setting of the monitor\n"
    "Run 'ovmonctl <command> --help' for the options of a command.\n"
    "Exit codes: 0 success, 1 failure, 2 bad usage (check: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN,\n"
    "bad usage included).\n";

const std::map<std::string, std::string> kCommandHelp = {
    {"parse",
     "Usage: ovmonctl parse SOURCE\n"
     "Prints the time-source line as the applet stores it and its fields, or 'error N: text'.\n"
     "Exit 0 when it parses, 1 when it does not.\n"},
    {"test",
     "Usage: ovmonctl test SOURCE [--count N] [--interval SECONDS] [--json]\n"
     "Samples the time source and prints the applet's test report. With --count or --interval it\n"
     "prints one line per sample (time, delta, latency, what the server said) until N samples or\n"
     "Ctrl+C; --interval is the pause between samples (default 1). --json prints every sample's\n"
     "fields. Exit 0 when at least one sample came back, 1 otherwise.\n"},
    {"status",
     "Usage: ovmonctl status [--json]\n"
     "Whether the service runs or is checking, and its last check and last alert.\n"},
    {"history",
     "Usage: ovmonctl history [--alerts] [--since TIME] [--until TIME] [--json | --csv]\n"
     "The stored checks, oldest first; --alerts lists only those that raised an alert, --since those\n"
     "at or after TIME, --until those before it. TIME is UTC: 2026-12-10 (its midnight),\n"
     "2026-12-10T18:22 or 2026-12-10T18:22:28, a final Z allowed. --csv writes RFC 4180 rows (CR LF\n"
     "line ends) under a header row: time, state, counts, averages and worst variances per role,\n"
     "the tests and their limits in ms, and what was not measured.\n"},
    {"check",
     "Usage: ovmonctl check [--now [--wait SECONDS]] [--max-age SECONDS] [--warn-ms N] [--crit-ms N]\n"
     "Judges the service's last stored check (--now: asks the service for a check first and waits\n"
     "for it, at most --wait seconds, default 600) and answers as a monitoring plug-in: one status\n"
     "line with performance data. A last check older than --max-age seconds (default: two check\n"
     "periods) is UNKNOWN. With thresholds the worst machine variance is judged: above --crit-ms\n"
     "CRITICAL, above --warn-ms WARNING; without them the check's own verdict. A check in which no\n"
     "machine answered is CRITICAL; one in which some machines or the reference clock did not answer\n"
     "is at least WARNING. Exit 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN (service not running, no\n"
     "recent check, bad usage).\n"},
    {"metrics",
     "Usage: ovmonctl metrics\n"
     "The monitor's metrics in the Prometheus text exposition format, from the last stored check and\n"
     "what the service counted since it started: what the service writes to \"Metrics File\".\n"},
    {"mail",
     "Usage: ovmonctl mail test [--to ADDRESS] [--server HOST] [--port N] [--security 0-3]\n"
     "                          [--user NAME] [--password-stdin]\n"
     "Sends the e-mail setup's test message with the stored mail settings, any of them replaced for\n"
     "this run (--to sends to that address alone); the password is the stored one, or the first\n"
     "line of standard input with --password-stdin, and is never printed. Prints the mail engine's\n"
     "report. Exit 0 when the message was delivered.\n"},
    {"settings",
     "Usage: ovmonctl settings show\n"
     "Every setting of the monitor with its value; the mail password only as set or unset.\n"},
};

// A whole decimal number within [low, high].
bool Number(const std::string& text, uint64_t low, uint64_t high, uint64_t* value) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *value = std::strtoull(text.c_str(), nullptr, 10);
  return *value >= low && *value <= high;
}

// Seconds with up to three decimals, above zero and at most a day, as milliseconds.
bool Seconds(const std::string& text, uint32_t* milliseconds) {
  char* end = nullptr;
  double seconds = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(seconds > 0) || seconds > 86400) return false;
  *milliseconds = static_cast<uint32_t>(std::lround(seconds * 1000));
  return *milliseconds > 0;
}

class CArgReader {
 public:
  CArgReader(const std::vector<std::string>& args, std::string* error) : args_(args), error_(error) {}
  bool Done() const { return next_ >= args_.size(); }
  std::string Next() { return args_[next_++]; }
  // The value after an option; false with the reason when there is none.
  bool Value(const std::string& option, std::string* value) {
    if (Done()) return Fail("option " + option + " needs a value");
    *value = Next();
    return true;
  }
  bool Fail(const std::string& reason) {
    *error_ = reason;
    return false;
  }

 private:
  const std::vector<std::string>& args_;
  std::string* error_;
  size_t next_ = 0;
};

using OptionHandler = std::function<bool(CArgReader&, ConsoleCommand*)>;

OptionHandler Flag(bool ConsoleCommand::*field) {
  return [field](CArgReader&, ConsoleCommand* c) {
    c->*field = true;
    return true;
  };
}

OptionHandler NumberOption(const char* name, uint64_t low, uint64_t high,
                           std::function<void(ConsoleCommand*, uint64_t)> store) {
  return [=](CArgReader& reader, ConsoleCommand* c) {
    std::string text;
    uint64_t value = 0;
    if (!reader.Value(name, &text)) return false;
    if (!Number(text, low, high, &value))
      return reader.Fail(std::string(name) + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    store(c, value);
    return true;
  };
}

OptionHandler TextOption(const char* name, std::optional<std::string> ConsoleCommand::*field) {
  return [=](CArgReader& reader, ConsoleCommand* c) {
    std::string text;
    if (!reader.Value(name, &text)) return false;
    if (text.empty()) return reader.Fail(std::string(name) + " needs a value");
    c->*field = text;
    return true;
  };
}

OptionHandler TimeOption(const char* name, std::optional<uint32_t> ConsoleCommand::*field) {
  return [=](CArgReader& reader, ConsoleCommand* c) {
    std::string text;
    uint32_t seconds = 0;
    if (!reader.Value(name, &text)) return false;
    if (!ParseIsoTime(text, &seconds))
      return reader.Fail(std::string(name) + " takes a UTC time: 2026-12-10, 2026-12-10T18:22 or 2026-12-10T18:22:28");
    c->*field = seconds;
    return true;
  };
}

std::map<std::string, OptionHandler> OptionsOf(ConsoleVerb verb) {
  OptionHandler json = Flag(&ConsoleCommand::json);
  switch (verb) {
    case ConsoleVerb::kTest:
      return {{"--json", json},
              {"--count", NumberOption("--count", 1, 1000000,
                                       [](ConsoleCommand* c, uint64_t v) {
                                         c->count = uint32_t(v);
                                         c->stripChart = true;
                                       })},
              {"--interval", [](CArgReader& reader, ConsoleCommand* c) {
                 std::string text;
                 if (!reader.Value("--interval", &text)) return false;
                 if (!Seconds(text, &c->intervalMs))
                   return reader.Fail("--interval takes seconds above 0 and at most 86400");
                 c->stripChart = true;
                 return true;
               }}};
    case ConsoleVerb::kStatus:
      return {{"--json", json}};
    case ConsoleVerb::kHistory:
      return {{"--json", json},
              {"--csv", Flag(&ConsoleCommand::csv)},
              {"--alerts", Flag(&ConsoleCommand::alertsOnly)},
              {"--since", TimeOption("--since", &ConsoleCommand::since)},
              {"--until", TimeOption("--until", &ConsoleCommand::until)}};
    case ConsoleVerb::kCheck:
      return {{"--last", Flag(&ConsoleCommand::last)},
              {"--now", Flag(&ConsoleCommand::now)},
              {"--max-age", NumberOption("--max-age", 1, 0xFFFFFFFFu,
                                         [](ConsoleCommand* c, uint64_t v) { c->maxAgeSeconds = uint32_t(v); })},
              {"--warn-ms", NumberOption("--warn-ms", 0, 0xFFFFFFFFu,
                                         [](ConsoleCommand* c, uint64_t v) { c->warnMs = uint32_t(v); })},
              {"--crit-ms", NumberOption("--crit-ms", 0, 0xFFFFFFFFu,
                                         [](ConsoleCommand* c, uint64_t v) { c->critMs = uint32_t(v); })},
              {"--wait", NumberOption("--wait", 1, 86400,
                                      [](ConsoleCommand* c, uint64_t v) { c->waitSeconds = uint32_t(v); })}};
    case ConsoleVerb::kMailTest:
      return {{"--to", TextOption("--to", &ConsoleCommand::to)},
              {"--server", TextOption("--server", &ConsoleCommand::server)},
              {"--user", TextOption("--user", &ConsoleCommand::user)},
              {"--port", NumberOption("--port", 1, 65535,
                                      [](ConsoleCommand* c, uint64_t v) { c->port = uint16_t(v); })},
              {"--security", NumberOption("--security", 0, 3,
                                          [](ConsoleCommand* c, uint64_t v) { c->security = uint32_t(v); })},
              {"--password-stdin", Flag(&ConsoleCommand::passwordStdin)}};
    default:
      return {};
  }
}

// The command word (and the second word of "mail test" and "settings show"); false when unknown.
bool ReadVerb(CArgReader& reader, ConsoleCommand* command) {
  std::string word = reader.Next();
  static const std::map<std::string, ConsoleVerb> kVerbs = {
      {"parse", ConsoleVerb::kParse},     {"test", ConsoleVerb::kTest},   {"status", ConsoleVerb::kStatus},
      {"history", ConsoleVerb::kHistory}, {"check", ConsoleVerb::kCheck}, {"metrics", ConsoleVerb::kMetrics},
      {"mail", ConsoleVerb::kMailTest},
      {"settings", ConsoleVerb::kSettingsShow}};
  auto verb = kVerbs.find(word);
  if (verb == kVerbs.end()) return reader.Fail("unknown command '" + word + "'; see 'ovmonctl --help'");
  command->verb = verb->second;
  command->topic = word;
  const char* second = word == "mail" ? "test" : word == "settings" ? "show" : nullptr;
  if (!second || (!reader.Done() && (reader.Next() == second))) return true;
  return reader.Fail("'" + word + "' needs '" + second + "'; see 'ovmonctl " + word + " --help'");
}

}  // namespace

bool ParseConsoleArgs(const std::vector<std::string>& args, ConsoleCommand* command, std::string* error) {
  *command = ConsoleCommand();
  CArgReader reader(args, error);
  if (reader.Done()) return reader.Fail("no command; see 'ovmonctl --help'");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    command->topic = args.size() > 1 ? args[1] : "";
    return true;
  }
  if (!ReadVerb(reader, command)) return false;
  bool needsSource = command->verb == ConsoleVerb::kParse || command->verb == ConsoleVerb::kTest;
  std::map<std::string, OptionHandler> options = OptionsOf(command->verb);
  bool haveSource = false;
  while (!reader.Done()) {
    std::string word = reader.Next();
    if (word == "--help" || word == "-h") {
      command->verb = ConsoleVerb::kHelp;
      return true;
    }
    auto option = options.find(word);
    if (option != options.end()) {
      if (!option->second(reader, command)) return false;
    } else if (needsSource && !haveSource && word.rfind("--", 0) != 0) {
      command->source = word;
      haveSource = true;
    } else {
      return reader.Fail("unexpected '" + word + "'; see 'ovmonctl " + command->topic + " --help'");
    }
  }
  if (needsSource && !haveSource) return reader.Fail(command->topic + " needs a time-source line (SOURCE)");
  if (command->warnMs && command->critMs && *command->warnMs > *command->critMs)
    return reader.Fail("--warn-ms must not be above --crit-ms");
  if (command->now && command->last) return reader.Fail("--now and --last exclude each other");
  if (command->json && command->csv) return reader.Fail("--json and --csv exclude each other");
  if (command->since && command->until && *command->since >= *command->until)
    return reader.Fail("--since must be before --until");
  return true;
}

int UsageExitCode(const ConsoleCommand& command) { return command.verb == ConsoleVerb::kCheck ? 3 : kExitUsage; }

std::string ConsoleHelp(const std::string& topic) {
  auto help = kCommandHelp.find(topic);
  return help == kCommandHelp.end() ? kProgramHelp : help->second;
}
