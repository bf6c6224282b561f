// The command line of ovmonctl: every command's forms and the mistakes that end in usage errors.
#include "console/console_args.h"

#include <gtest/gtest.h>

namespace {

ConsoleCommand Parse(std::vector<std::string> args, std::string* error = nullptr) {
  ConsoleCommand command;
  std::string reason;
  EXPECT_TRUE(ParseConsoleArgs(args, &command, &reason)) << reason;
  if (error) *error = reason;
  return command;
}

TEST(ConsoleArgs, CommandsAndTheirOptions) {
  ConsoleCommand test = Parse({"test", "server a protocol ntp", "--count", "3", "--interval", "0.25", "--json"});
  EXPECT_EQ(test.verb, ConsoleVerb::kTest);
  EXPECT_EQ(test.source, "server a protocol ntp");
  EXPECT_TRUE(test.stripChart);
  EXPECT_EQ(test.count, 3u);
  EXPECT_EQ(test.intervalMs, 250u);
  EXPECT_TRUE(test.json);

  ConsoleCommand report = Parse({"test", "server a"});
  EXPECT_FALSE(report.stripChart);
  EXPECT_EQ(report.count, 0u);

  ConsoleCommand untilStopped = Parse({"test", "--interval", "2", "server a"});
  EXPECT_TRUE(untilStopped.stripChart);
  EXPECT_EQ(untilStopped.count, 0u);

  ConsoleCommand check = Parse({"check", "--warn-ms", "100", "--crit-ms", "500", "--last", "--wait", "30"});
  EXPECT_EQ(check.verb, ConsoleVerb::kCheck);
  EXPECT_EQ(check.warnMs, 100u);
  EXPECT_EQ(check.critMs, 500u);
  EXPECT_TRUE(check.last);
  EXPECT_EQ(check.waitSeconds, 30u);
  ConsoleCommand now = Parse({"check", "--now", "--max-age", "900"});
  EXPECT_TRUE(now.now);
  EXPECT_FALSE(now.last);
  EXPECT_EQ(now.maxAgeSeconds, 900u);

  ConsoleCommand mail = Parse({"mail", "test", "--to", "a@example.com", "--port", "587", "--security", "2",
                               "--password-stdin"});
  EXPECT_EQ(mail.verb, ConsoleVerb::kMailTest);
  EXPECT_EQ(mail.to, "a@example.com");
  EXPECT_EQ(mail.port, 587);
  EXPECT_EQ(mail.security, 2u);
  EXPECT_TRUE(mail.passwordStdin);
  EXPECT_FALSE(mail.server.has_value());

  EXPECT_EQ(Parse({"history", "--alerts", "--json"}).alertsOnly, true);
  ConsoleCommand csv = Parse({"history", "--csv", "--since", "2023-11-14", "--until", "2023-11-14T22:30Z"});
  EXPECT_TRUE(csv.csv);
  EXPECT_EQ(csv.since, 1699920000u);
  EXPECT_EQ(csv.until, 1700001000u);
  EXPECT_EQ(Parse({"metrics"}).verb, ConsoleVerb::kMetrics);
  EXPECT_EQ(Parse({"settings", "show"}).verb, ConsoleVerb::kSettingsShow);
  EXPECT_EQ(Parse({"status"}).verb, ConsoleVerb::kStatus);
}

TEST(ConsoleArgs, HelpForms) {
  const struct {
    std::vector<std::string> args;
    const char* topic;
  } cases[] = {{{"--help"}, ""}, {{"help", "check"}, "check"}, {{"check", "--help"}, "check"},
               {{"mail", "test", "-h"}, "mail"}, {{"-h"}, ""}};
  for (const auto& c : cases) {
    ConsoleCommand command = Parse(c.args);
    EXPECT_EQ(command.verb, ConsoleVerb::kHelp) << c.args[0];
    EXPECT_EQ(command.topic, c.topic) << c.args[0];
  }
  EXPECT_NE(ConsoleHelp("check").find("--warn-ms"), std::string::npos);
  EXPECT_NE(ConsoleHelp("").find("Commands:"), std::string::npos);
  EXPECT_EQ(ConsoleHelp("no-such"), ConsoleHelp(""));
}

TEST(ConsoleArgs, MistakesGiveOneLineReasons) {
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{}, "no command; see 'ovmonctl --help'"},
      {{"frobnicate"}, "unknown command 'frobnicate'; see 'ovmonctl --help'"},
      {{"test"}, "test needs a time-source line (SOURCE)"},
      {{"parse", "a", "b"}, "unexpected 'b'; see 'ovmonctl parse --help'"},
      {{"test", "a", "--count"}, "option --count needs a value"},
      {{"test", "a", "--count", "0"}, "--count takes a whole number from 1 to 1000000"},
      {{"test", "a", "--count", "-3"}, "--count takes a whole number from 1 to 1000000"},
      {{"test", "a", "--interval", "0"}, "--interval takes seconds above 0 and at most 86400"},
      {{"test", "a", "--interval", "fast"}, "--interval takes seconds above 0 and at most 86400"},
      {{"status", "--alerts"}, "unexpected '--alerts'; see 'ovmonctl status --help'"},
      {{"check", "--warn-ms", "500", "--crit-ms", "100"}, "--warn-ms must not be above --crit-ms"},
      {{"check", "--warn-ms", "99999999999"}, "--warn-ms takes a whole number from 0 to 4294967295"},
      {{"check", "--now", "--last"}, "--now and --last exclude each other"},
      {{"check", "--max-age", "0"}, "--max-age takes a whole number from 1 to 4294967295"},
      {{"mail"}, "'mail' needs 'test'; see 'ovmonctl mail --help'"},
      {{"mail", "send"}, "'mail' needs 'test'; see 'ovmonctl mail --help'"},
      {{"mail", "test", "--security", "4"}, "--security takes a whole number from 0 to 3"},
      {{"mail", "test", "--port", "65536"}, "--port takes a whole number from 1 to 65535"},
      {{"mail", "test", "--to", ""}, "--to needs a value"},
      {{"settings", "edit"}, "'settings' needs 'show'; see 'ovmonctl settings --help'"},
      {{"history", "--csv", "--json"}, "--json and --csv exclude each other"},
      {{"history", "--since", "yesterday"}, "--since takes a UTC time: 2026-12-10, 2026-12-10T18:22 or 2026-12-10T18:22:28"},
      {{"history", "--until", "2023-02-29"}, "--until takes a UTC time: 2026-12-10, 2026-12-10T18:22 or 2026-12-10T18:22:28"},
      {{"history", "--since", "2024-01-02", "--until", "2024-01-01"}, "--since must be before --until"},
      {{"metrics", "--json"}, "unexpected '--json'; see 'ovmonctl metrics --help'"},
  };
  for (const auto& c : cases) {
    ConsoleCommand command;
    std::string reason;
    EXPECT_FALSE(ParseConsoleArgs(c.args, &command, &reason)) << c.reason;
    EXPECT_EQ(reason, c.reason);
    // Monitoring plug-ins answer bad usage with UNKNOWN; the other commands with 2.
    EXPECT_EQ(UsageExitCode(command), !c.args.empty() && c.args[0] == "check" ? 3 : kExitUsage) << c.reason;
  }
}

}  // namespace
