#pragma once
// Owners of what the local security authority hands out: a policy handle,
// and the buffer a secret is returned in, cleared before it is freed.

#include <windows.h>

#include <ntsecapi.h>

#include "platform/win32/Unique.h"

namespace varnel::win32 {

inline void LsaCloseNoThrow(LSA_HANDLE policy) noexcept { ::LsaClose(policy); }

inline void LsaFreeSecretNoThrow(PLSA_UNICODE_STRING secret) noexcept {
  if (secret->Buffer) ::SecureZeroMemory(secret->Buffer, secret->Length);
  ::LsaFreeMemory(secret);
}

using UniqueLsaPolicy = Unique<LSA_HANDLE, LsaCloseNoThrow>;
using UniqueLsaSecret = Unique<PLSA_UNICODE_STRING, LsaFreeSecretNoThrow>;

}  // namespace varnel::win32
