#pragma once
// IPathNames over GetFullPathNameW, GetLongPathNameW and
// CompareStringOrdinal (ordinal, case ignored: the file system's rule).

#include "platform/PathNames.h"

namespace varnel::win32 {

class PathNamesWin32 final : public IPathNames {
 public:
  String LongFullPath(const String& path) override;
  bool SameIgnoringCase(const String& a, const String& b) override;
};

}  // namespace varnel::win32
