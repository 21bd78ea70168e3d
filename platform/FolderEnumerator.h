#pragma once
// Wildcard enumeration of a folder (FindFirstFileW / FindNextFileW /
// FindClose) and the identity of a folder on its volume.

#include <cstdint>
#include <functional>
#include <optional>

#include "runtime/String.h"

namespace varnel {

inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;

struct FolderEntry {
  String Name;  // the long name
  std::uint32_t Attributes = 0;
};

// A folder as the file system knows it, whatever path leads there.
struct FolderIdentity {
  std::uint64_t Volume = 0;
  std::uint64_t File = 0;
  bool operator==(const FolderIdentity&) const = default;
};

class IFolderEnumerator {
 public:
  virtual ~IFolderEnumerator() = default;
  // Calls `visit` for each entry matching `pattern` (a folder prefix plus a
  // mask), in the order the file system yields them. A failing first lookup
  // (missing folder, nothing matches) visits nothing and reports nothing.
  virtual void Enumerate(const String& pattern,
                         const std::function<void(const FolderEntry&)>& visit) = 0;
  // The folder's identity, or nothing when it cannot be opened.
  virtual std::optional<FolderIdentity> Identity(const String& folder) = 0;
};

}  // namespace varnel
