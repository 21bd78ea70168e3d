#include "platform/win32/LaunchSecretsWin32.h"

#include <windows.h>

#include <ntsecapi.h>

#include "platform/win32/Text.h"
#include "platform/win32/UniqueLsa.h"

namespace varnel::win32 {

std::optional<String> LaunchSecretsWin32::StoredPassword(const String& appIdKeyName) {
  // The service control manager's prefix: DCOM keeps a RunAs password where
  // it keeps the passwords of services.
  String keyName = u"SCM:" + appIdKeyName;
  // A counted string holds at most 32767 units; a NUL would cut the name.
  if (appIdKeyName.empty() || keyName.size() > 0x7FFF || keyName.find(u'\0') != String::npos)
    return std::nullopt;

  LSA_OBJECT_ATTRIBUTES attributes{};  // reserved: all zero
  UniqueLsaPolicy policy;
  if (::LsaOpenPolicy(nullptr, &attributes, POLICY_GET_PRIVATE_INFORMATION, policy.put()) != 0)
    return std::nullopt;

  const auto bytes = static_cast<USHORT>(keyName.size() * sizeof(wchar_t));
  LSA_UNICODE_STRING key{bytes, bytes, reinterpret_cast<PWSTR>(keyName.data())};
  UniqueLsaSecret secret;
  if (::LsaRetrievePrivateData(policy.get(), &key, secret.put()) != 0 || !secret ||
      !secret.get()->Buffer)
    return std::nullopt;
  // Length counts bytes. A terminator may or may not be stored with the
  // text; a password cannot hold one, so the text ends at the first.
  String password = FromW(secret.get()->Buffer, secret.get()->Length / sizeof(wchar_t));
  if (const std::size_t end = password.find(u'\0'); end != String::npos) password.resize(end);
  return password;
}

}  // namespace varnel::win32
