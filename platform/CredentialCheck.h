#pragma once
// Whether an account and password would let DCOM start a server: a batch
// logon of the account, tried before anything is registered, so a wrong
// password is told at once and not found out later by DComPerm or by the
// first client that starts the server.

#include <cstdint>
#include <optional>

#include "runtime/String.h"

namespace varnel {

// An account as LogonUserW takes it.
struct AccountParts {
  std::optional<String> Domain;  // nullopt: no domain (the user name is "user@domain")
  String User;
};

// "DOMINIO\usuario" -> DOMINIO and usuario; "usuario@dominio" -> no domain
// and the whole text; a bare "usuario" -> "." (this computer) and usuario.
AccountParts SplitAccount(StringView account);

class ICredentialCheck {
 public:
  virtual ~ICredentialCheck() = default;
  // The Win32 error code of a batch logon of `account` (split as above)
  // with `password`; 0 when it succeeds.
  virtual std::uint32_t LogonError(const String& account, const String& password) = 0;
  // The system's text for an error code; empty when it has none.
  virtual String ErrorText(std::uint32_t code) = 0;
};

}  // namespace varnel
