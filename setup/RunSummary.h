#pragma once
// The text of the box that ends a run: the one sentence, and below it what
// an administrator needs to find the failures.

#include <cstdint>
#include <optional>

#include "runtime/StringList.h"

namespace varnel::setup {

// At most this many failure lines; the rest are counted.
inline constexpr int kMaxFailureLines = 20;

// "Se presentaron errores durante el proceso." and, after one empty line, one
// line per entry of `errores` ("path: reason"), at most kMaxFailureLines of
// them, then "... y N más." for the rest; after a stop, a last line with the
// number of servers it left unhandled. Just the sentence when there is
// nothing to list.
String ErrorSummaryText(const TStringList& errores, std::optional<std::int32_t> sinProcesar);

// The stop's line: "Proceso detenido: N servidores sin procesar."
String StoppedLine(std::int32_t sinProcesar);

}  // namespace varnel::setup
