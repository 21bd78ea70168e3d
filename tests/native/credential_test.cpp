// The credentials checked before a run: the account split as LogonUserW
// takes it, and what each refusal means. Wine accepts every logon
// (LogonUserW is a stub there), so the refusals are proven with a double
// that refuses as Windows does.

#include <gtest/gtest.h>

#include <vector>

#include "setup/CredentialMessages.h"

using namespace varnel;
using namespace varnel::setup;

TEST(SplitAccount, DomainBackslashUserPrincipalNameAndBareName) {
  const AccountParts domain = SplitAccount(u"QUIRAL\\servicio");
  EXPECT_EQ(domain.Domain, u"QUIRAL");
  EXPECT_EQ(domain.User, u"servicio");
  const AccountParts local = SplitAccount(u".\\servicio");
  EXPECT_EQ(local.Domain, u".");
  EXPECT_EQ(local.User, u"servicio");
  const AccountParts principal = SplitAccount(u"servicio@quiral.local");
  EXPECT_EQ(principal.Domain, std::nullopt);
  EXPECT_EQ(principal.User, u"servicio@quiral.local");
  const AccountParts bare = SplitAccount(u"José Ñandú");
  EXPECT_EQ(bare.Domain, u".");
  EXPECT_EQ(bare.User, u"José Ñandú");
  // The first backslash splits; what follows is the user, "@" and all.
  const AccountParts both = SplitAccount(u"QUIRAL\\a@b\\c");
  EXPECT_EQ(both.Domain, u"QUIRAL");
  EXPECT_EQ(both.User, u"a@b\\c");
}

namespace {

class RefusingCheck final : public ICredentialCheck {
 public:
  std::uint32_t code = 0;
  std::vector<std::pair<String, String>> tried;
  std::uint32_t LogonError(const String& account, const String& password) override {
    tried.emplace_back(account, password);
    return code;
  }
  String ErrorText(std::uint32_t error) override {
    return error == 1311 ? u"There are currently no logon servers available.\r\n" : u"";
  }
};

}  // namespace

TEST(CredentialProblem, EachRefusalHasItsReasonAndTheBatchRightIsNone) {
  RefusingCheck check;
  const std::pair<std::uint32_t, const char16_t*> refusals[] = {
      {1326, u"El usuario o la contraseña no son correctos."},
      {1331, u"La cuenta está deshabilitada."},
      {1909, u"La cuenta está bloqueada."},
      {1330, u"La contraseña de la cuenta ha caducado."},
      {1793, u"La cuenta ha caducado."},
      {1907, u"La contraseña de la cuenta debe cambiarse antes de iniciar sesión."},
  };
  for (const auto& [code, reason] : refusals) {
    check.code = code;
    EXPECT_EQ(CredentialProblem(check, u"QUIRAL\\servicio", u"clave"), reason) << code;
  }
  check.code = 1327;
  EXPECT_NE(CredentialProblem(check, u"servicio", u""), std::nullopt);
  EXPECT_EQ(check.tried.back(), (std::pair<String, String>{u"servicio", u""}));

  // Accepted, or accepted but not yet allowed to log on as a batch job,
  // which DComPerm grants: no problem either way.
  for (const std::uint32_t fine : {0u, 1385u}) {
    check.code = fine;
    EXPECT_EQ(CredentialProblem(check, u"servicio", u"clave"), std::nullopt) << fine;
  }
}

TEST(CredentialProblem, OtherCodesSayTheSystemsWords) {
  RefusingCheck check;
  check.code = 1311;
  EXPECT_EQ(CredentialProblem(check, u"QUIRAL\\servicio", u"clave"),
            u"No se pudo comprobar la cuenta: There are currently no logon servers available "
            u"(error 1311).");
  check.code = 4242;
  EXPECT_EQ(CredentialProblem(check, u"servicio", u"clave"),
            u"No se pudo comprobar la cuenta (error 4242).");
}
