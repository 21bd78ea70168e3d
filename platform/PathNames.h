#pragma once
// Paths as the file system names them: one file can be reached by a short
// 8.3 form and a long one, by a relative path and a full one, and by names
// that differ in letter case only.

#include "runtime/String.h"

namespace varnel {

class IPathNames {
 public:
  virtual ~IPathNames() = default;
  // `path` made full (against the current folder) with each component in
  // its long form; a path that does not exist, or whose long form cannot be
  // read, keeps its full form. Raises EOSError when `path` cannot be made
  // full at all.
  virtual String LongFullPath(const String& path) = 0;
  // Whether two names are the same without regard to letter case, as the
  // file system compares them (every script's letters, not only ASCII).
  virtual bool SameIgnoringCase(const String& a, const String& b) = 0;
};

}  // namespace varnel
