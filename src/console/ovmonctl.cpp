// ovmonctl: the command-line companion of the monitor. It tests a time source, shows the
// service's state and stored checks, answers as a monitoring plug-in and lists the settings,
// with the applet's own engines and texts.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console/console_args.h"
#include "console/console_commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  ConsoleCommand command;
  std::string error;
  if (!ParseConsoleArgs(args, &command, &error)) {
    std::fprintf(stderr, "ovmonctl: %s\n", error.c_str());
    return UsageExitCode(command);
  }
  if (command.verb == ConsoleVerb::kHelp) {
    std::fputs(ConsoleHelp(command.topic).c_str(), stdout);
    return kExitOk;
  }
  SetConsoleOutputCP(CP_UTF8);
  StopOnConsoleBreak();
  return RunConsoleCommand(command);
}
