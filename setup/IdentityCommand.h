#pragma once
// The identity DCOM is to launch a server under: the options of the setup
// window, the parameters that tell DComPerm about it, and the check that the
// identity took.

#include <optional>

#include "platform/AppIdRegistry.h"
#include "runtime/String.h"

namespace varnel {

enum class IdentityOption {
  UsuarioInteractivo,  // "Usuario interactivo": whoever is logged on
  UsuarioInicial,      // "Usuario inicial": the account of the launching client
  EsteUsuario,         // "Este usuario": the account typed in the window
};

// The program that sets the identity, found by the shell under this name.
inline constexpr char16_t kDComPermProgram[] = u"DComPerm";

// " -runas " + guid + " " + the account:
//   UsuarioInteractivo  "\"Interactive User\""
//   UsuarioInicial      "\"Launching User\""
//   EsteUsuario         usuario + " " + contrasena, each one word for the tool
//                       (QuoteArgument: bare unless it must be quoted).
// The identifier is used unchanged, even when empty.
String DComPermParameters(IdentityOption option, StringView guid, StringView usuario = {},
                          StringView contrasena = {});

// The AppID key name the tool works on for `guid`: braces added when the
// identifier lacks the opening one, as the tool does.
String AppIdKeyName(StringView guid);

// What RunAs must read once the tool has set `option`: the account text, or
// no value at all (nullopt) for the launching user.
std::optional<String> ExpectedRunAs(IdentityOption option, StringView usuario);

// Reads RunAs of the AppID for `guid` and throws Exception with a message
// naming the identifier when it is not what `option` leaves behind.
void CheckIdentity(IAppIdRegistry& registry, StringView guid, IdentityOption option,
                   StringView usuario);

}  // namespace varnel
