#include "setup/IdentityCommand.h"

#include "runtime/Exceptions.h"
#include "setup/CommandLine.h"

namespace varnel::setup {

namespace {

constexpr char16_t kInteractiveUser[] = u"Interactive User";
constexpr char16_t kLaunchingUser[] = u"Launching User";

}  // namespace

String DComPermParameters(IdentityOption option, StringView guid, StringView usuario,
                          StringView contrasena) {
  String parameters = u" -runas ";
  parameters += guid;
  parameters += u' ';
  switch (option) {
    case IdentityOption::UsuarioInteractivo:
      parameters += u'"';
      parameters += kInteractiveUser;
      parameters += u'"';
      break;
    case IdentityOption::UsuarioInicial:
      parameters += u'"';
      parameters += kLaunchingUser;
      parameters += u'"';
      break;
    case IdentityOption::EsteUsuario:
      parameters += QuoteArgument(usuario);
      parameters += u' ';
      parameters += QuoteArgument(contrasena);
      break;
  }
  return parameters;
}

String AppIdKeyName(StringView guid) {
  if (!guid.empty() && guid.front() == u'{') return String(guid);
  String name;
  name.reserve(guid.size() + 2);
  name += u'{';
  name += guid;
  name += u'}';
  return name;
}

std::optional<String> ExpectedRunAs(IdentityOption option, StringView usuario) {
  switch (option) {
    case IdentityOption::UsuarioInteractivo:
      return String(kInteractiveUser);
    case IdentityOption::UsuarioInicial:
      return std::nullopt;
    case IdentityOption::EsteUsuario:
      return String(usuario);
  }
  return std::nullopt;
}

namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool SameIdentifier(StringView a, StringView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

String Quoted(StringView text) {
  String quoted;
  quoted.reserve(text.size() + 2);
  quoted += u'"';
  quoted += text;
  quoted += u'"';
  return quoted;
}

}  // namespace

String AppIdFor(StringView clsid, const std::optional<String>& classAppId) {
  const String own = AppIdKeyName(clsid);
  if (!classAppId || classAppId->empty()) return own;
  const String named = AppIdKeyName(*classAppId);
  return SameIdentifier(named, own) ? own : named;
}

String MissingAppIdReason(StringView appIdKeyName) {
  return u"No existe la clave AppID " + String(appIdKeyName) +
         u" (HKLM\\SOFTWARE\\Classes\\AppID); DComPerm no la crea.";
}

String NotRegisteredReason(StringView progId) {
  return u"Después de /REGSERVER no hay ninguna clase registrada con el ProgID " + String(progId) +
         u".";
}

bool IdentityHolds(const RunAsValue& before, IdentityOption option, StringView usuario,
                   const std::optional<String>& storedPassword, StringView contrasena) {
  if (!before.KeyExists) return false;
  const std::optional<String> expected = ExpectedRunAs(option, usuario);
  if (!expected) return !before.ValuePresent;
  if (!before.ValuePresent || before.Text != *expected) return false;
  if (option != IdentityOption::EsteUsuario) return true;
  return storedPassword && *storedPassword == contrasena;
}

void JudgeRunAs(const RunAsValue& found, StringView appIdKeyName, IdentityOption option,
                StringView usuario) {
  if (!found.KeyExists) throw Exception(MissingAppIdReason(appIdKeyName));
  const String prefix =
      u"La identidad no quedó asignada: RunAs de la AppID " + String(appIdKeyName);
  const String holds = found.ValuePresent ? u" tiene " + Quoted(found.Text) : u" no tiene valor";
  const std::optional<String> expected = ExpectedRunAs(option, usuario);
  if (!expected) {
    if (found.ValuePresent)
      throw Exception(prefix + holds + u"; con " + Quoted(kLaunchingUser) +
                      u" no debe tener valor.");
    return;
  }
  if (!found.ValuePresent || found.Text != *expected)
    throw Exception(prefix + holds + u" en lugar de " + Quoted(*expected) + u".");
}

}  // namespace varnel::setup
