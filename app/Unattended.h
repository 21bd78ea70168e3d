#pragma once
// The unattended front end: the command line read with the Windows rules,
// the real services wired without any window, Ctrl+C as the stop, lines to
// standard output and the report file.

#include <vector>

#include "runtime/String.h"

namespace varnel::app {

// The arguments after the program name (CommandLineToArgvW).
std::vector<String> CommandLineArguments();

// Runs the job the arguments describe and returns the process's exit code.
// `arguments` is not empty.
int RunUnattended(const std::vector<String>& arguments) noexcept;

}  // namespace varnel::app
