#include "setup/CredentialMessages.h"

namespace varnel::setup {

std::optional<String> CredentialFailureMessage(std::uint32_t code, StringView systemText) {
  switch (code) {
    case 0:
    case 1385:  // ERROR_LOGON_TYPE_NOT_GRANTED
      return std::nullopt;
    case 1326:  // ERROR_LOGON_FAILURE
      return String(u"El usuario o la contraseña no son correctos.");
    case 1327:  // ERROR_ACCOUNT_RESTRICTION
      return String(
          u"Una restricción de la cuenta impide iniciar sesión con ella (por ejemplo, una "
          u"contraseña en blanco o un horario no permitido).");
    case 1330:  // ERROR_PASSWORD_EXPIRED
      return String(u"La contraseña de la cuenta ha caducado.");
    case 1331:  // ERROR_ACCOUNT_DISABLED
      return String(u"La cuenta está deshabilitada.");
    case 1793:  // ERROR_ACCOUNT_EXPIRED
      return String(u"La cuenta ha caducado.");
    case 1907:  // ERROR_PASSWORD_MUST_CHANGE
      return String(u"La contraseña de la cuenta debe cambiarse antes de iniciar sesión.");
    case 1909:  // ERROR_ACCOUNT_LOCKED_OUT
      return String(u"La cuenta está bloqueada.");
    default:
      break;
  }
  const String text = TrimRightControlAndPeriods(systemText, true);
  String message = u"No se pudo comprobar la cuenta";
  if (!text.empty()) message += u": " + text;
  return message + u" (error " + IntToStr(code) + u").";
}

std::optional<String> CredentialProblem(ICredentialCheck& check, const String& account,
                                        const String& password) {
  const std::uint32_t code = check.LogonError(account, password);
  if (code == 0) return std::nullopt;
  return CredentialFailureMessage(code, check.ErrorText(code));
}

}  // namespace varnel::setup
