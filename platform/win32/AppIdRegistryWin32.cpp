#include "platform/win32/AppIdRegistryWin32.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

RunAsValue AppIdRegistryWin32::ReadRunAs(const String& keyName) {
  RunAsValue found;
  // A name with a separator would reach some other key.
  if (keyName.empty() || keyName.find(u'\\') != String::npos) return found;
  const String path = u"SOFTWARE\\Classes\\AppID\\" + keyName;
  UniqueKey key;
  LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, KEY_QUERY_VALUE, key.put());
  if (status == ERROR_FILE_NOT_FOUND) return found;
  if (status != ERROR_SUCCESS) throw MakeOSError(static_cast<std::uint32_t>(status));
  found.KeyExists = true;

  std::vector<BYTE> data;
  DWORD type = 0;
  DWORD size = 0;
  for (;;) {
    status = ::RegQueryValueExW(key.get(), L"RunAs", nullptr, &type,
                                data.empty() ? nullptr : data.data(), &size);
    if (status == ERROR_FILE_NOT_FOUND) return found;
    if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && data.size() < size)) {
      data.resize(size + sizeof(wchar_t));
      size = static_cast<DWORD>(data.size());
      continue;
    }
    if (status != ERROR_SUCCESS) throw MakeOSError(static_cast<std::uint32_t>(status));
    break;
  }
  found.ValuePresent = true;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    // The stored data need not end with a terminator; cut at the first one.
    const std::size_t length = size / sizeof(wchar_t);
    String text(length, u'\0');
    if (length != 0) std::memcpy(text.data(), data.data(), length * sizeof(wchar_t));
    const std::size_t end = text.find(u'\0');
    if (end != String::npos) text.resize(end);
    found.Text = std::move(text);
  }
  return found;
}

std::optional<String> AppIdRegistryWin32::ReadClassAppId(const String& clsidKeyName) {
  if (clsidKeyName.empty() || clsidKeyName.find(u'\\') != String::npos) return std::nullopt;
  const String path = u"SOFTWARE\\Classes\\CLSID\\" + clsidKeyName;
  wchar_t text[256];
  DWORD size = sizeof(text);
  const LSTATUS status =
      ::RegGetValueW(HKEY_LOCAL_MACHINE, W(path), L"AppID", RRF_RT_REG_SZ, nullptr, text, &size);
  // An identifier is 38 characters: anything that does not fit is no AppID.
  if (status == ERROR_FILE_NOT_FOUND || status == ERROR_UNSUPPORTED_TYPE ||
      status == ERROR_MORE_DATA)
    return std::nullopt;
  if (status != ERROR_SUCCESS) throw MakeOSError(static_cast<std::uint32_t>(status));
  return FromW(text);
}

}  // namespace varnel::win32
