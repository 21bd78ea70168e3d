#pragma once
// Why a server could not be activated, in the words an administrator acts
// on: the common result codes of a local activation named, every code shown.

#include <cstdint>

#include "runtime/String.h"

namespace varnel::setup {

// "No se pudo activar el servidor: <reason> (0x8000401A)." where the reason
// is ours for the common codes and `systemText` (the system's message for
// the code) for any other.
String ActivationFailureReason(std::int32_t code, StringView systemText);

}  // namespace varnel::setup
