#pragma once
// The version source of the program: version.dll's GetFileVersionInfoSizeW,
// GetFileVersionInfoW and VerQueryValueW, with GetLastError read right after
// a failing call, and FormatMessageW for the system texts.

#include "platform/VersionSource.h"

namespace varnel::win32 {

class VersionSourceWin32 final : public IVersionSource {
 public:
  std::uint32_t FileVersionInfoSize(const String& path) override;
  bool FileVersionInfo(const String& path, std::span<std::byte> buffer) override;
  bool QueryValue(std::span<const std::byte> block, const String& subBlock,
                  VersionValue& value) override;
  std::uint32_t LastError() override { return lastError_; }
  String SystemErrorText(std::uint32_t code) override;

 private:
  std::uint32_t lastError_ = 0;
};

}  // namespace varnel::win32
