#include "platform/win32/VersionSourceWin32.h"

#include <windows.h>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::win32 {

std::uint32_t VersionSourceWin32::FileVersionInfoSize(const String& path) {
  DWORD handle = 0;  // received and not used
  const DWORD size = ::GetFileVersionInfoSizeW(W(path), &handle);
  if (size == 0) lastError_ = ::GetLastError();
  return size;
}

bool VersionSourceWin32::FileVersionInfo(const String& path, std::span<std::byte> buffer) {
  if (::GetFileVersionInfoW(W(path), 0, static_cast<DWORD>(buffer.size()), buffer.data())) {
    return true;
  }
  lastError_ = ::GetLastError();
  return false;
}

bool VersionSourceWin32::QueryValue(std::span<const std::byte> block, const String& subBlock,
                                    VersionValue& value) {
  void* found = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), W(subBlock), &found, &length) || found == nullptr) {
    lastError_ = ::GetLastError();
    return false;
  }
  // The value lies inside the block; the platform does not say where it
  // ends, so the span reaches to the block's end and the reported length
  // bounds the reading.
  const auto* at = static_cast<const std::byte*>(found);
  if (at < block.data() || at > block.data() + block.size()) {
    lastError_ = ERROR_INVALID_DATA;
    return false;
  }
  value.data = block.subspan(static_cast<std::size_t>(at - block.data()));
  value.length = length;
  return true;
}

String VersionSourceWin32::SystemErrorText(std::uint32_t code) {
  return win32::SystemErrorText(code);
}

}  // namespace varnel::win32
