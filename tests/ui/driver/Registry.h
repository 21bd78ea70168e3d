#pragma once
// Reading and cleaning the registry for scenario checks (the 64-bit view).

#include <windows.h>

#include <optional>
#include <vector>

#include "runtime/String.h"

namespace varnel::ui {

// The REG_SZ / REG_EXPAND_SZ value (unexpanded); nullopt when the key or
// the value is missing. An empty `valueName` reads the default value.
std::optional<String> ReadRegistryString(HKEY root, const String& subKey,
                                         const String& valueName = {});
bool RegistryKeyExists(HKEY root, const String& subKey);
std::vector<String> RegistrySubKeys(HKEY root, const String& subKey);
// Deletes the key and everything below it; a missing key is no error.
void DeleteRegistryTree(HKEY root, const String& subKey);

}  // namespace varnel::ui
