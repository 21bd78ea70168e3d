#pragma once
// Lines to the process's standard output or error, whatever they are: a
// console gets UTF-16 through WriteConsoleW, a pipe or a file gets UTF-8.

#include <windows.h>

#include "runtime/String.h"

namespace varnel::win32 {

// Writes `line` and a line end to the standard handle `which`
// (STD_OUTPUT_HANDLE or STD_ERROR_HANDLE). Returns false when the process
// has no such handle or the write fails; a GUI program started from a
// desktop usually has none.
bool WriteStandardLine(DWORD which, const String& line) noexcept;

}  // namespace varnel::win32
