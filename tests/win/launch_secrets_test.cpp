// The stored launch password read through the local security authority.
// Wine keeps no secrets (LsaStorePrivateData is a stub there), so what can
// be shown here is that every kind of name is answered without a crash and
// that a name nothing was stored under reads as nullopt, as it does on
// Windows with or without the rights to read secrets. How /restore matches
// a stored password is tested with a double.

#include <windows.h>

#include <gtest/gtest.h>
#include <objbase.h>

#include "platform/win32/LaunchSecretsWin32.h"
#include "platform/win32/Text.h"

using namespace varnel;
using namespace varnel::win32;

namespace {

String FreshAppId() {
  GUID id{};
  EXPECT_EQ(::CoCreateGuid(&id), S_OK);
  wchar_t text[40] = {};
  EXPECT_EQ(::StringFromGUID2(id, text, 40), 39);
  return FromW(text);
}

}  // namespace

TEST(LaunchSecrets, ANameWithoutASecretReadsAsNone) {
  LaunchSecretsWin32 secrets;
  EXPECT_EQ(secrets.StoredPassword(FreshAppId()), std::nullopt);
  EXPECT_EQ(secrets.StoredPassword(u""), std::nullopt);
  EXPECT_EQ(secrets.StoredPassword(String(u"{x}\0y", 5)), std::nullopt);
  // Longer than a counted string can hold.
  EXPECT_EQ(secrets.StoredPassword(String(40000, u'A')), std::nullopt);
}
