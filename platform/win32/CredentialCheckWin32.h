#pragma once
// ICredentialCheck over LogonUserW (LOGON32_LOGON_BATCH, the kind of logon
// DCOM makes for a server's RunAs account). The token is closed at once.

#include "platform/CredentialCheck.h"

namespace varnel::win32 {

class CredentialCheckWin32 final : public ICredentialCheck {
 public:
  std::uint32_t LogonError(const String& account, const String& password) override;
  String ErrorText(std::uint32_t code) override;
};

}  // namespace varnel::win32
