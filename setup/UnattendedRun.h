#pragma once
// The unattended mode: the same job as "&Aceptar" (the same search, the same
// two phases with their per-item rules, reasons and stop), with lines for a
// person and a JSON Lines report for a machine instead of windows and boxes.

#include <functional>
#include <string>

#include "setup/JobServices.h"
#include "setup/StopSignal.h"
#include "setup/UnattendedOptions.h"

namespace varnel::setup {

// The process's exit codes in this mode.
enum ExitCode : int {
  kExitSuccess = 0,       // every item succeeded, or /whatif completed
  kExitErrors = 1,        // an item failed or the run ended early
  kExitRefused = 2,       // the command line or the credentials were refused
  kExitNothingFound = 3,  // no server was found
  kExitStopped = 4,       // stopped by Ctrl+C or Ctrl+Break
};

struct UnattendedOutput {
  // Standard output and standard error: a text of one or more lines,
  // separated by "\n" (the summary is the box's text, line for line).
  std::function<void(const String&)> Line;
  std::function<void(const String&)> ErrorLine;
  std::function<void(const std::string&)> Report;  // one JSON line (UTF-8); may be empty
};

// Runs the job `options` describes (not Help) and returns its exit code.
// `password` is the text of the environment variable the options name.
// `stop` is the console's Ctrl+C, read as the window reads "Detener Proceso".
// With /timeout the caller wakes the thread now and then (a timer) so that a
// wait can see its bound pass.
int RunUnattended(const UnattendedOptions& options, const String& password, JobServices& services,
                  const IStopSignal& stop, UnattendedOutput& output);

}  // namespace varnel::setup
