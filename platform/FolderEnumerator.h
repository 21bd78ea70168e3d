#pragma once
// Wildcard enumeration of a folder (FindFirstFileExW / FindNextFileW /
// FindClose) and the identity of a folder on its volume.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "runtime/String.h"

namespace varnel {

inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
// Junctions, symbolic links and mounted volumes: the only ways by which a
// folder can lead back to a folder above it.
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;

struct FolderEntry {
  String Name;  // the long name
  // The 8.3 name the file system keeps besides the long one; empty when it
  // keeps none or the long name is itself a valid 8.3 name. Wildcards match
  // either name.
  String ShortName;
  std::uint32_t Attributes = 0;
};

// A folder as the file system knows it, whatever path leads there: the
// volume's serial number and the 128-bit file id (a 64-bit file index in
// the low eight bytes where the file system has no 128-bit id).
struct FolderIdentity {
  std::uint64_t Volume = 0;
  std::array<std::uint8_t, 16> File{};
  bool operator==(const FolderIdentity&) const = default;
};

// Why a folder's entries could not be read: the system's error code and
// its text for it.
struct FolderReadFailure {
  std::uint32_t Code = 0;
  String SystemText;
};

class IFolderEnumerator {
 public:
  virtual ~IFolderEnumerator() = default;
  // Calls `visit` for each entry matching `pattern` (a folder prefix plus a
  // mask; "*" gives every entry), in the order the file system yields them.
  // Returns nothing when the entries were read to the end, also when none
  // matches (ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_FILES); any other failure,
  // first lookup or later (access denied, a folder that is gone), is
  // returned, after the entries read until then were visited.
  virtual std::optional<FolderReadFailure> Enumerate(
      const String& pattern, const std::function<void(const FolderEntry&)>& visit) = 0;
  // The folder's identity, or nothing when it cannot be opened.
  virtual std::optional<FolderIdentity> Identity(const String& folder) = 0;
};

}  // namespace varnel
