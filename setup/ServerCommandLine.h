#pragma once
// Whether a class's LocalServer32 starts the server file the run handled:
// the executable part of the registered command line against the server's
// path, both in their long full form, letter case aside.

#include "platform/PathNames.h"
#include "runtime/String.h"

namespace varnel::setup {

// The executable a LocalServer32 command line names, blanks around it
// dropped:
//   "C:\Program Files\s.exe" -Automation   ->  C:\Program Files\s.exe
//   C:\Servidores\s.exe /Embedding          ->  C:\Servidores\s.exe
//   C:\Program Files\s.exe -x               ->  C:\Program Files\s.exe
// Quoted: the text inside the quotes (to the end when the closing quote is
// missing). Unquoted: up to the end of the first blank-separated word that
// ends in ".exe" (any letter case), else the whole text.
String ExecutableOfCommandLine(StringView commandLine);

// True when `registeredCommandLine` starts the file at `serverPath`. False
// when it names no executable at all.
bool SameExecutable(IPathNames& names, StringView registeredCommandLine, const String& serverPath);

}  // namespace varnel::setup
