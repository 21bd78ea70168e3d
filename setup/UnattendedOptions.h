#pragma once
// The command line of the unattended mode: the same job as the setup window,
// told by switches instead of controls.
//
//   Varnel.exe /dir <folder>   /identity interactive|launching|user [options]
//   Varnel.exe /program <file> /identity interactive|launching|user [options]
//   Varnel.exe /?
//
// Switch names are case-insensitive and start with "/" or "-"; a value is
// the next argument.

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/String.h"
#include "setup/IdentityCommand.h"

namespace varnel::setup {

// A command line that cannot be run; the message is the one-line reason.
class EUsageError : public Exception {
 public:
  using Exception::Exception;
};

struct UnattendedOptions {
  bool Help = false;  // "/?": the usage text, nothing else
  int Modo = 0;       // 0 "Directorio" (/dir), 1 "Programa" (/program)
  String Path;
  IdentityOption Identity = IdentityOption::UsuarioInteractivo;
  String Usuario;
  // The environment variable that holds the password: a password on the
  // command line would be seen by every process listing of the machine.
  String PasswordVariable;
  String LogPath;  // empty: no report file
  bool WhatIf = false;
  // After the identity phase, each prepared server is activated once.
  bool Verify = false;
  // /restore: the earlier report whose identities are put back; no other
  // job then.
  String RestorePath;
  // /timeout: each program started may run this long; 0, no bound.
  std::uint32_t TimeoutSeconds = 0;
};

// The arguments after the program name, as CommandLineToArgvW splits them.
// An empty list is not a command line: the window is shown instead.
// Throws EUsageError for anything that is not a complete, unambiguous job.
UnattendedOptions ParseUnattendedOptions(const std::vector<String>& arguments);

// The /log file a command line names, read even when the rest of it is
// refused, so that a refusal replaces the report of an earlier run instead
// of leaving it to be taken for this one's.
std::optional<String> LogPathOf(const std::vector<String>& arguments);

// The usage text, lines separated by "\n".
String UnattendedUsage();

}  // namespace varnel::setup
