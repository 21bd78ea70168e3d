#include "platform/win32/AppIdRegistryWin32.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

namespace {

constexpr wchar_t kAppIdRoot[] = L"SOFTWARE\\Classes\\AppID";

// An identifier is 38 characters: a longer AppID value is no AppID.
constexpr std::size_t kLongestAppId = 255;

REGSAM ViewFlag(RegistryView view) {
  return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

// A name with a separator would reach some other key.
bool IsKeyName(const String& name) { return !name.empty() && name.find(u'\\') == String::npos; }

// Opens HKLM\<path>; an empty owner when the key is not there.
UniqueKey OpenMachineKey(const String& path, REGSAM access) {
  UniqueKey key;
  const LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, access, key.put());
  if (status == ERROR_FILE_NOT_FOUND) return UniqueKey();
  if (status != ERROR_SUCCESS) throw MakeOSError(static_cast<std::uint32_t>(status));
  return key;
}

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// The value's type and bytes; nullopt when it is not there. The size is
// asked again whenever the value grew between the two calls.
std::optional<RawValue> QueryValue(HKEY key, const wchar_t* name) {
  RawValue value;
  DWORD size = 0;
  for (;;) {
    const LSTATUS status = ::RegQueryValueExW(
        key, name, nullptr, &value.type, value.data.empty() ? nullptr : value.data.data(), &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && value.data.size() < size)) {
      value.data.resize(size + sizeof(wchar_t));
      size = static_cast<DWORD>(value.data.size());
      continue;
    }
    if (status != ERROR_SUCCESS) throw MakeOSError(static_cast<std::uint32_t>(status));
    value.data.resize(size);
    return value;
  }
}

bool IsText(const RawValue& value) { return value.type == REG_SZ || value.type == REG_EXPAND_SZ; }

// The stored data need not end with a terminator; the text ends at the
// first one.
String TextOf(const RawValue& value) {
  String text(value.data.size() / sizeof(wchar_t), u'\0');
  if (!text.empty()) std::memcpy(text.data(), value.data.data(), text.size() * sizeof(wchar_t));
  const std::size_t end = text.find(u'\0');
  if (end != String::npos) text.resize(end);
  return text;
}

String ExpandReferences(const String& text) {
  std::vector<wchar_t> buffer(text.size() + 1);
  for (;;) {
    const DWORD needed =
        ::ExpandEnvironmentStringsW(W(text), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (needed == 0) RaiseLastOSError();
    if (needed <= buffer.size()) return FromW(buffer.data());
    buffer.resize(needed);
  }
}

// The text of HKLM\<path>'s value `name` in `view`, an expandable value
// expanded; nullopt when the key or the value is missing or is no text.
std::optional<String> ReadClassText(const String& path, const wchar_t* name, RegistryView view) {
  const UniqueKey key = OpenMachineKey(path, KEY_QUERY_VALUE | ViewFlag(view));
  if (!key) return std::nullopt;
  const std::optional<RawValue> value = QueryValue(key.get(), name);
  if (!value || !IsText(*value)) return std::nullopt;
  String text = TextOf(*value);
  return value->type == REG_EXPAND_SZ ? ExpandReferences(text) : text;
}

}  // namespace

RunAsValue AppIdRegistryWin32::ReadRunAs(const String& keyName) {
  RunAsValue found;
  if (!IsKeyName(keyName)) return found;
  const UniqueKey key = OpenMachineKey(FromW(kAppIdRoot) + u"\\" + keyName, KEY_QUERY_VALUE);
  if (!key) return found;
  found.KeyExists = true;
  const std::optional<RawValue> value = QueryValue(key.get(), L"RunAs");
  if (!value) return found;
  found.ValuePresent = true;
  if (IsText(*value)) found.Text = TextOf(*value);
  return found;
}

std::optional<String> AppIdRegistryWin32::ReadClassAppId(const String& clsidKeyName,
                                                         RegistryView view) {
  if (!IsKeyName(clsidKeyName)) return std::nullopt;
  std::optional<String> text =
      ReadClassText(u"SOFTWARE\\Classes\\CLSID\\" + clsidKeyName, L"AppID", view);
  if (text && text->size() > kLongestAppId) return std::nullopt;
  return text;
}

std::optional<String> AppIdRegistryWin32::ReadLocalServer32(const String& clsidKeyName,
                                                            RegistryView view) {
  if (!IsKeyName(clsidKeyName)) return std::nullopt;
  return ReadClassText(u"SOFTWARE\\Classes\\CLSID\\" + clsidKeyName + u"\\LocalServer32", nullptr,
                       view);
}

bool AppIdRegistryWin32::CanWriteIdentities() {
  UniqueKey key;
  const LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppIdRoot, 0,
                                         KEY_SET_VALUE | KEY_CREATE_SUB_KEY, key.put());
  if (status == ERROR_ACCESS_DENIED) return false;
  if (status != ERROR_SUCCESS) throw MakeOSError(static_cast<std::uint32_t>(status));
  return true;
}

}  // namespace varnel::win32
