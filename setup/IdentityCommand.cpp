#include "setup/IdentityCommand.h"

#include "runtime/Exceptions.h"
#include "setup/CommandLine.h"

namespace varnel {

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

void CheckIdentity(IAppIdRegistry& registry, StringView guid, IdentityOption option,
                   StringView usuario) {
  const String keyName = AppIdKeyName(guid);
  const String prefix = u"No se pudo asignar la identidad DCOM de " + keyName + u": ";
  const RunAsValue found = registry.ReadRunAs(keyName);
  if (!found.KeyExists) throw Exception(prefix + u"no existe la clave AppID.");
  const std::optional<String> expected = ExpectedRunAs(option, usuario);
  if (!expected) {
    if (found.ValuePresent) throw Exception(prefix + u"RunAs no se eliminó.");
    return;
  }
  if (!found.ValuePresent || found.Text != *expected)
    throw Exception(prefix + u"RunAs no quedó en \"" + *expected + u"\".");
}

}  // namespace varnel
