#include "setup/RunSummary.h"

#include "setup/RegistrationJob.h"

namespace varnel::setup {

String StoppedLine(std::int32_t sinProcesar) {
  String line = u"Proceso detenido: ";
  line += IntToStr(sinProcesar);
  line += sinProcesar == 1 ? u" servidor sin procesar." : u" servidores sin procesar.";
  return line;
}

String ErrorSummaryText(const TStringList& errores, std::optional<std::int32_t> sinProcesar) {
  String text = kSummaryErrors;
  if (errores.Count() == 0 && !sinProcesar) return text;
  text += u'\n';
  const int shown = errores.Count() < kMaxFailureLines ? errores.Count() : kMaxFailureLines;
  for (int i = 0; i < shown; ++i) {
    text += u'\n';
    text += errores[i];
  }
  if (errores.Count() > shown) {
    text += u"\n... y ";
    text += IntToStr(errores.Count() - shown);
    text += u" más.";
  }
  if (sinProcesar) {
    text += u'\n';
    text += StoppedLine(*sinProcesar);
  }
  return text;
}

}  // namespace varnel::setup
