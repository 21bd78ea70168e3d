#include "setup/UnattendedOptions.h"

#include <algorithm>

namespace varnel::setup {

namespace {

String Lower(StringView text) {
  String lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
  });
  return lower;
}

IdentityOption ParseIdentity(const String& value) {
  const String name = Lower(value);
  if (name == u"interactive") return IdentityOption::UsuarioInteractivo;
  if (name == u"launching") return IdentityOption::UsuarioInicial;
  if (name == u"user") return IdentityOption::EsteUsuario;
  throw EUsageError(u"Identidad desconocida: " + value +
                    u" (se espera interactive, launching o user).");
}

}  // namespace

UnattendedOptions ParseUnattendedOptions(const std::vector<String>& arguments) {
  UnattendedOptions options;
  std::optional<String> dir, program, identity, user, passwordVariable, log, restore, timeout;
  bool whatIf = false, verify = false, help = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const String& argument = arguments[i];
    if (argument.size() < 2 || (argument[0] != u'/' && argument[0] != u'-'))
      throw EUsageError(u"Argumento inesperado: " + argument + u".");
    const String name = Lower(StringView(argument).substr(1));
    const auto flag = [&](bool& seen) {
      if (seen) throw EUsageError(u"La opción " + argument + u" aparece dos veces.");
      seen = true;
    };
    const auto value = [&](std::optional<String>& slot) {
      if (slot) throw EUsageError(u"La opción " + argument + u" aparece dos veces.");
      if (i + 1 >= arguments.size())
        throw EUsageError(u"Falta el valor de la opción " + argument + u".");
      slot = arguments[++i];
    };
    if (name == u"?")
      flag(help);
    else if (name == u"dir")
      value(dir);
    else if (name == u"program")
      value(program);
    else if (name == u"identity")
      value(identity);
    else if (name == u"user")
      value(user);
    else if (name == u"password-env")
      value(passwordVariable);
    else if (name == u"log")
      value(log);
    else if (name == u"restore")
      value(restore);
    else if (name == u"timeout")
      value(timeout);
    else if (name == u"whatif")
      flag(whatIf);
    else if (name == u"verify")
      flag(verify);
    else
      throw EUsageError(u"Opción desconocida: " + argument + u".");
  }

  if (help) {
    if (arguments.size() != 1) throw EUsageError(u"La opción /? va sola.");
    options.Help = true;
    return options;
  }
  if (timeout) {
    const String& text = *timeout;
    std::uint32_t seconds = 0;
    for (const char16_t c : text) {
      if (c < u'0' || c > u'9' || seconds > 86400) {
        seconds = 0;
        break;
      }
      seconds = seconds * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    if (seconds == 0 || seconds > 86400)
      throw EUsageError(u"/timeout espera segundos, de 1 a 86400: " + text + u".");
    options.TimeoutSeconds = seconds;
  }
  if (restore) {
    // The report names the AppIDs and the accounts; only a named account's
    // password comes from outside it.
    if (dir || program || identity || user || verify)
      throw EUsageError(u"/restore va solo, con /password-env, /log y /whatif si hacen falta.");
    options.RestorePath = *restore;
    options.PasswordVariable = passwordVariable.value_or(String());
    options.LogPath = log.value_or(String());
    options.WhatIf = whatIf;
    return options;
  }
  if (dir && program) throw EUsageError(u"Use /dir o /program, no ambas.");
  if (!dir && !program) throw EUsageError(u"Falta /dir <carpeta> o /program <archivo>.");
  if (!identity) throw EUsageError(u"Falta /identity (interactive, launching o user).");
  options.Identity = ParseIdentity(*identity);
  if (options.Identity != IdentityOption::EsteUsuario && (user || passwordVariable))
    throw EUsageError(u"/user y /password-env solo van con /identity user.");

  options.Modo = dir ? 0 : 1;
  options.Path = dir ? *dir : *program;
  options.Usuario = user.value_or(String());
  options.PasswordVariable = passwordVariable.value_or(String());
  options.LogPath = log.value_or(String());
  if (whatIf && verify) throw EUsageError(u"/verify no va con /whatif: no se activa nada.");
  options.WhatIf = whatIf;
  options.Verify = verify;
  return options;
}

std::optional<String> LogPathOf(const std::vector<String>& arguments) {
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    const String& name = arguments[i];
    if (name.size() == 4 && (name[0] == u'/' || name[0] == u'-') && Lower(name.substr(1)) == u"log")
      return arguments[i + 1];
  }
  return std::nullopt;
}

String UnattendedUsage() {
  return u"Uso:\n"
         u"  Varnel.exe /dir <carpeta>    /identity interactive|launching|user [opciones]\n"
         u"  Varnel.exe /program <archivo> /identity interactive|launching|user [opciones]\n"
         u"  Varnel.exe /restore <informe.jsonl> [/password-env <VARIABLE>] [/log ...] [/whatif]\n"
         u"  Varnel.exe /?\n"
         u"Opciones:\n"
         u"  /identity interactive  \"Usuario interactivo\"\n"
         u"  /identity launching    \"Usuario inicial\"\n"
         u"  /identity user         \"Este usuario\": con /user <nombre> y /password-env "
         u"<VARIABLE>\n"
         u"                         (la contraseña se lee de esa variable de entorno)\n"
         u"  /log <archivo>         informe JSON Lines (UTF-8), creado o reemplazado\n"
         u"  /whatif                solo informa: no inicia programas ni cambia nada\n"
         u"  /verify                al final activa cada servidor preparado, como un cliente\n"
         u"  /restore <informe>     devuelve a cada AppID del informe la identidad que tenía "
         u"antes\n"
         u"Códigos de salida: 0 todo bien, 1 hubo errores, 2 línea de comandos o credenciales\n"
         u"rechazadas, 3 no se encontraron servidores, 4 detenido con Ctrl+C o Ctrl+Break.";
}

}  // namespace varnel::setup
