#pragma once
// Names derived from a server's file: its base name and the programmatic
// identifier under which it registers its class.

#include "runtime/String.h"

namespace varnel::setup {

// The file-name part of `path` (what follows the last backslash or colon),
// cut before its first ".": Servidor.Uno.exe gives Servidor; a name without
// any "." gives "".
String BaseName(StringView path);

// base + "." + base + "DMR": Servidor gives Servidor.ServidorDMR.
String ProgIdFor(StringView base);

}  // namespace varnel::setup
