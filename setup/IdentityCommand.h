#pragma once
// The identity DCOM is to launch a server under: the options of the setup
// window, the parameters that tell DComPerm about it, and the check that the
// identity took.

#include <optional>

#include "platform/AppIdRegistry.h"
#include "runtime/String.h"

namespace varnel::setup {

enum class IdentityOption {
  UsuarioInteractivo,  // "Usuario interactivo": whoever is logged on
  UsuarioInicial,      // "Usuario inicial": the account of the launching client
  EsteUsuario,         // "Este usuario": the account typed in the window
};

// The program that sets the identity, as the reasons name it (it is started
// by the full path the run found it at).
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

// The AppID DCOM reads for a class: the one its "AppID" value names when that
// differs from the class identifier (letter case aside), else the class
// identifier itself. Braced either way.
String AppIdFor(StringView clsid, const std::optional<String>& classAppId);

// What the identity step of one server did, filled in as it goes, so that a
// failure still leaves what was known up to it.
struct IdentityRecord {
  String AppId;             // the AppID handed to DComPerm
  bool BeforeRead = false;  // RunAs was read before anything was started
  RunAsValue Before;        // what it held then
  bool RunAsRead = false;   // RunAs was read back after DComPerm ended
  RunAsValue RunAs;         // what it held then
  // The step set the identity anew (for an inquiry: it would); false when
  // the AppID already held it and DComPerm was not started.
  bool Changed = false;
  String Note;  // why an identity already in place could not be told, if so
};

// The reasons of a failed identity step, as the summary shows them.
String MissingAppIdReason(StringView appIdKeyName);
String NotRegisteredReason(StringView progId);

// What RunAs must read once the tool has set `option`: the account text, or
// no value at all (nullopt) for the launching user.
std::optional<String> ExpectedRunAs(IdentityOption option, StringView usuario);

// Whether `before` already holds what `option` would set: the account text
// for the two named accounts, no value for the launching user. For "Este
// usuario" the stored launch password must be known and equal too;
// `storedPassword` is nullopt where it cannot be read.
bool IdentityHolds(const RunAsValue& before, IdentityOption option, StringView usuario,
                   const std::optional<String>& storedPassword, StringView contrasena);

// The note of an identity that may already be in place but cannot be told.
inline constexpr char16_t kPasswordUnreadable[] =
    u"No se pudo leer la contraseña guardada de la AppID: la identidad se asigna de nuevo.";

// Throws Exception with a reason naming the AppID and what RunAs holds when
// `found` is not what `option` leaves behind.
void JudgeRunAs(const RunAsValue& found, StringView appIdKeyName, IdentityOption option,
                StringView usuario);

}  // namespace varnel::setup
