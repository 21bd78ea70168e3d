#pragma once
// What a refused logon means for the person who typed the account, in the
// program's words.

#include <cstdint>
#include <optional>

#include "platform/CredentialCheck.h"
#include "runtime/String.h"

namespace varnel::setup {

// The reason for a logon error code, or nothing when the account can be
// used: 0, and 1385 (ERROR_LOGON_TYPE_NOT_GRANTED: the account may not log
// on as a batch job yet, a right DComPerm grants it when it sets the
// identity). Codes without a reason of their own get one with
// `systemText`.
std::optional<String> CredentialFailureMessage(std::uint32_t code, StringView systemText);

// Tries the logon and gives the reason it was refused, if it was.
std::optional<String> CredentialProblem(ICredentialCheck& check, const String& account,
                                        const String& password);

}  // namespace varnel::setup
