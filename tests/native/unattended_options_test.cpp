#include <gtest/gtest.h>

#include <vector>

#include "setup/UnattendedOptions.h"

using namespace varnel;
using namespace varnel::setup;

namespace {

UnattendedOptions Parse(std::vector<String> arguments) { return ParseUnattendedOptions(arguments); }

String Refusal(std::vector<String> arguments) {
  try {
    Parse(arguments);
  } catch (const EUsageError& e) {
    return e.Message();
  }
  return u"(accepted)";
}

}  // namespace

TEST(UnattendedOptions, ReadsAWholeJobInAnyOrderAndCase) {
  const UnattendedOptions options =
      Parse({u"-LOG", u"C:\\r e.jsonl", u"/Identity", u"USER", u"/dir", u"C:\\Quiral Srv",
             u"/password-env", u"VARNEL_PW", u"-user", u"DOM\\op", u"/WhatIf"});
  EXPECT_FALSE(options.Help);
  EXPECT_EQ(options.Modo, 0);
  EXPECT_EQ(options.Path, u"C:\\Quiral Srv");
  EXPECT_EQ(options.Identity, IdentityOption::EsteUsuario);
  EXPECT_EQ(options.Usuario, u"DOM\\op");
  EXPECT_EQ(options.PasswordVariable, u"VARNEL_PW");
  EXPECT_EQ(options.LogPath, u"C:\\r e.jsonl");
  EXPECT_TRUE(options.WhatIf);

  const UnattendedOptions program = Parse({u"/program", u"C:\\a.exe", u"/identity", u"launching"});
  EXPECT_EQ(program.Modo, 1);
  EXPECT_EQ(program.Identity, IdentityOption::UsuarioInicial);
  EXPECT_FALSE(program.WhatIf);
  EXPECT_TRUE(program.LogPath.empty());
  EXPECT_EQ(Parse({u"/dir", u"x", u"/identity", u"Interactive"}).Identity,
            IdentityOption::UsuarioInteractivo);
  EXPECT_TRUE(Parse({u"/?"}).Help);
  // A value is the next argument, even one that looks like a switch.
  EXPECT_EQ(Parse({u"/dir", u"-x", u"/identity", u"user", u"/user", u"/dir"}).Usuario, u"/dir");
}

TEST(UnattendedOptions, RefusesWhatIsNotOneCompleteJob) {
  EXPECT_EQ(Refusal({u"/dir"}), u"Falta el valor de la opción /dir.");
  EXPECT_EQ(Refusal({u"/dir", u"a", u"/identity", u"interactive", u"/colour", u"x"}),
            u"Opción desconocida: /colour.");
  EXPECT_EQ(Refusal({u"/dir", u"a", u"/program", u"b", u"/identity", u"user"}),
            u"Use /dir o /program, no ambas.");
  EXPECT_EQ(Refusal({u"/dir", u"a"}), u"Falta /identity (interactive, launching o user).");
  EXPECT_EQ(Refusal({u"/identity", u"user"}), u"Falta /dir <carpeta> o /program <archivo>.");
  EXPECT_EQ(Refusal({u"/dir", u"a", u"/identity", u"admin"}),
            u"Identidad desconocida: admin (se espera interactive, launching o user).");
  EXPECT_EQ(Refusal({u"/dir", u"a", u"/dir", u"b", u"/identity", u"user"}),
            u"La opción /dir aparece dos veces.");
  EXPECT_EQ(Refusal({u"/dir", u"a", u"/identity", u"interactive", u"/user", u"u"}),
            u"/user y /password-env solo van con /identity user.");
  EXPECT_EQ(Refusal({u"C:\\a", u"/identity", u"user"}), u"Argumento inesperado: C:\\a.");
  EXPECT_EQ(Refusal({u"/?", u"/dir", u"a"}), u"La opción /? va sola.");
}

TEST(LogPathOf, FoundEvenInACommandLineThatIsRefused) {
  EXPECT_EQ(LogPathOf({u"/dir", u"C:\\S", u"/bogus", u"-LOG", u"C:\\r.jsonl"}), u"C:\\r.jsonl");
  EXPECT_EQ(LogPathOf({u"/log"}), std::nullopt) << "no value";
  EXPECT_EQ(LogPathOf({u"/logs", u"x"}), std::nullopt);
}
