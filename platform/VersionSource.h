#pragma once
// Where version blocks come from: the four operations of the platform's
// version interface (size, copy, query, last error) and the system's message
// text for an error code. The Win32 implementation sits over version.dll; a
// portable one reads the executable's resource section itself, and tests
// hand in doubles.

#include <cstddef>
#include <cstdint>
#include <span>

#include "runtime/String.h"

namespace varnel {

// One value found in a version block.
struct VersionValue {
  // The value's bytes, from its first byte on. Never reaches past the block
  // that was queried; it may reach past the value itself when the source
  // cannot tell where the value ends.
  std::span<const std::byte> data;
  // The length the query reports: bytes for binary values, UTF-16 units for
  // text values (a text length usually counts the terminating NUL).
  std::uint32_t length = 0;
};

class IVersionSource {
 public:
  virtual ~IVersionSource() = default;

  // GetFileVersionInfoSizeW: size in bytes of the file's version block; 0
  // when there is none or the file can't be read, with LastError() telling
  // why. (The methods are not named after the Win32 functions because
  // <windows.h> defines those names as macros.)
  virtual std::uint32_t FileVersionInfoSize(const String& path) = 0;

  // GetFileVersionInfoW: copies the version block into `buffer`, whose size
  // is the one FileVersionInfoSize returned. False on failure, LastError() set.
  virtual bool FileVersionInfo(const String& path, std::span<std::byte> buffer) = 0;

  // VerQueryValueW: looks up `subBlock` ("\", "\VarFileInfo\Translation",
  // "\StringFileInfo\<key>\<name>") in a block that FileVersionInfo
  // filled. False when the path does not exist.
  virtual bool QueryValue(std::span<const std::byte> block, const String& subBlock,
                          VersionValue& value) = 0;

  // The error code of the last failing operation, to be read right after it.
  virtual std::uint32_t LastError() = 0;

  // The system's message text for an error code; empty when it has none.
  virtual String SystemErrorText(std::uint32_t code) = 0;
};

}  // namespace varnel
