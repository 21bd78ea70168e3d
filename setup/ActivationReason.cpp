#include "setup/ActivationReason.h"

namespace varnel::setup {

namespace {

String Hex(std::int32_t code) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  String text = u"0x";
  const auto bits = static_cast<std::uint32_t>(code);
  for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(bits >> shift) & 0xF];
  return text;
}

String KnownReason(std::uint32_t code) {
  switch (code) {
    case 0x8000401Au:
      return u"la cuenta configurada no puede iniciar sesión (usuario o contraseña incorrectos, "
             u"o la cuenta no tiene derecho de inicio de sesión por lotes)";
    case 0x80070005u:
      return u"acceso denegado";
    case 0x80080005u:
      return u"el servidor no se inició";
    case 0x80040154u:
      return u"la clase no está registrada";
  }
  return {};
}

}  // namespace

String ActivationFailureReason(std::int32_t code, StringView systemText) {
  String reason = KnownReason(static_cast<std::uint32_t>(code));
  if (reason.empty()) {
    reason = String(systemText);
    while (!reason.empty() && (reason.back() <= u' ' || reason.back() == u'.')) reason.pop_back();
  }
  return u"No se pudo activar el servidor: " + reason + u" (" + Hex(code) + u").";
}

}  // namespace varnel::setup
