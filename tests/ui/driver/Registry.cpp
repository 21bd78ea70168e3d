#include "tests/ui/driver/Registry.h"

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::ui {

using win32::FromW;
using win32::UniqueKey;
using win32::W;

namespace {

UniqueKey OpenKey(HKEY root, const String& subKey, REGSAM access) {
  UniqueKey key;
  if (::RegOpenKeyExW(root, W(subKey), 0, access | KEY_WOW64_64KEY, key.put()) != ERROR_SUCCESS)
    key.release();
  return key;
}

}  // namespace

std::optional<String> ReadRegistryString(HKEY root, const String& subKey, const String& valueName) {
  const UniqueKey key = OpenKey(root, subKey, KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  const wchar_t* name = valueName.empty() ? nullptr : W(valueName);
  if (::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
    return std::nullopt;
  String value = FromW(buffer.data(), size / sizeof(wchar_t));
  while (!value.empty() && value.back() == u'\0') value.pop_back();
  return value;
}

bool RegistryKeyExists(HKEY root, const String& subKey) {
  return static_cast<bool>(OpenKey(root, subKey, KEY_READ));
}

std::vector<String> RegistrySubKeys(HKEY root, const String& subKey) {
  std::vector<String> names;
  const UniqueKey key = OpenKey(root, subKey, KEY_ENUMERATE_SUB_KEYS);
  if (!key) return names;
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(FromW(name, length));
  }
  return names;
}

void DeleteRegistryTree(HKEY root, const String& subKey) {
  if (!RegistryKeyExists(root, subKey)) return;
  const LSTATUS status = ::RegDeleteTreeW(root, W(subKey));
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return;
  throw win32::MakeOSError(static_cast<std::uint32_t>(status));
}

}  // namespace varnel::ui
