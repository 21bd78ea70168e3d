#include "tests/ui/driver/Server32.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::ui {

using win32::FromW;
using win32::UniqueKey;
using win32::W;

namespace {

const String kClasses = u"SOFTWARE\\Classes\\";

std::uint64_t Fnv1a(const String& text, std::uint64_t hash) {
  for (const char16_t unit : text) {
    for (int shift = 0; shift < 16; shift += 8) {
      hash ^= (static_cast<unsigned>(unit) >> shift) & 0xFFu;
      hash *= 0x100000001B3ull;
    }
  }
  return hash;
}

String Upper(String text) {
  std::wstring wide(text.begin(), text.end());
  if (!wide.empty()) ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return FromW(wide.c_str(), wide.size());
}

// The stand-in's name-based identifier: two FNV-1a hashes of the upper-cased
// name with the version and variant bits of a name-based UUID.
String NameBasedGuid(const String& name) {
  const String key = Upper(name);
  const std::uint64_t high = Fnv1a(key, 0xCBF29CE484222325ull);
  const std::uint64_t low = Fnv1a(key, high ^ 0x5A17C0DEDEADBEEFull);
  GUID id{};
  id.Data1 = static_cast<unsigned long>(high >> 32);
  id.Data2 = static_cast<unsigned short>(high >> 16);
  id.Data3 = static_cast<unsigned short>((high & 0x0FFFu) | 0x5000u);
  id.Data4[0] = static_cast<unsigned char>(((low >> 56) & 0x3Fu) | 0x80u);
  for (int i = 1; i < 8; ++i) id.Data4[i] = static_cast<unsigned char>(low >> (8 * (7 - i)));
  wchar_t text[40];
  const int length = ::StringFromGUID2(id, text, 40);
  return FromW(text, length > 0 ? static_cast<std::size_t>(length - 1) : 0);
}

void SetString(const String& subKey, REGSAM view, const String& valueName, const String& value) {
  UniqueKey key;
  LSTATUS status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(subKey), 0, nullptr, 0,
                                     KEY_SET_VALUE | view, nullptr, key.put(), nullptr);
  if (status == ERROR_SUCCESS)
    status = ::RegSetValueExW(key.get(), valueName.empty() ? nullptr : W(valueName), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
  if (status != ERROR_SUCCESS) throw win32::MakeOSError(static_cast<std::uint32_t>(status));
}

void DeleteTree(const String& parent, REGSAM view, const String& name) noexcept {
  UniqueKey key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(parent), 0, KEY_ALL_ACCESS | view, key.put()) ==
      ERROR_SUCCESS)
    ::RegDeleteTreeW(key.get(), W(name));
}

}  // namespace

ServerIds StandInIds(const String& base) {
  return ServerIds{base + u"." + base + u"DMR", NameBasedGuid(base),
                   NameBasedGuid(base + u"#AppID")};
}

Server32Registration::Server32Registration(const String& base, const String& exePath)
    : ids_(StandInIds(base)) {
  Remove();
  const String description = base + u" DMR server";
  const String classKey = kClasses + u"CLSID\\" + ids_.Clsid;
  SetString(kClasses + ids_.ProgId, KEY_WOW64_64KEY, {}, description);
  SetString(kClasses + ids_.ProgId + u"\\CLSID", KEY_WOW64_64KEY, {}, ids_.Clsid);
  SetString(classKey, KEY_WOW64_32KEY, {}, description);
  SetString(classKey, KEY_WOW64_32KEY, u"AppID", ids_.AppId);
  SetString(classKey + u"\\ProgID", KEY_WOW64_32KEY, {}, ids_.ProgId);
  SetString(classKey + u"\\LocalServer32", KEY_WOW64_32KEY, {}, u"\"" + exePath + u"\"");
  SetString(kClasses + u"AppID\\" + ids_.AppId, KEY_WOW64_64KEY, {}, description);
}

Server32Registration::~Server32Registration() { Remove(); }

void Server32Registration::Remove() const noexcept {
  DeleteTree(kClasses.substr(0, kClasses.size() - 1), KEY_WOW64_64KEY, ids_.ProgId);
  for (const REGSAM view : {REGSAM{KEY_WOW64_32KEY}, REGSAM{KEY_WOW64_64KEY}})
    DeleteTree(kClasses + u"CLSID", view, ids_.Clsid);
  DeleteTree(kClasses + u"AppID", KEY_WOW64_64KEY, ids_.AppId);
}

}  // namespace varnel::ui
