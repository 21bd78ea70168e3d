#include "platform/win32/CredentialCheckWin32.h"

#include <windows.h>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

std::uint32_t CredentialCheckWin32::LogonError(const String& account, const String& password) {
  const AccountParts parts = SplitAccount(account);
  UniqueHandle token;
  if (::LogonUserW(W(parts.User), parts.Domain ? W(*parts.Domain) : nullptr, W(password),
                   LOGON32_LOGON_BATCH, LOGON32_PROVIDER_DEFAULT, token.put()))
    return 0;
  return ::GetLastError();
}

String CredentialCheckWin32::ErrorText(std::uint32_t code) { return SystemErrorText(code); }

}  // namespace varnel::win32
