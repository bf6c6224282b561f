// The commands of ovmonctl over the applet's own engines: each writes its answer to standard
// output and returns the program's exit code.
#pragma once
#include "console/console_args.h"

// Runs one parsed command (not help).
int RunConsoleCommand(const ConsoleCommand& command);
// Makes Ctrl+C and Ctrl+Break set the stop event, so that a run in flight ends at once.
void StopOnConsoleBreak();
