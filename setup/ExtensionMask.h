#pragma once
// The masks the search can match itself, so that one enumeration of "*"
// per folder yields both its matching files and its subfolders: "*." and a
// plain extension, matched as the platform's wildcard search matches it.
//
// The platform reads "*.exe" as "any name whose last dot is followed by
// exactly exe" (case-insensitive), and tries that on the long name and on
// the 8.3 name the file system may keep besides it. So "a.exe" and ".exe"
// match, "a.exe.bak" does not, and "a.exe1" matches only where the file
// system gave it an 8.3 name such as "A~1.EXE" (NTFS with short names, and
// Wine, which makes one up for every name that is not 8.3 already). The
// search keeps that quirk: its results are those of the platform's own
// "*.exe" lookup.
//
// Only ASCII letters and digits are taken as an extension, and not i or s:
// outside ASCII the dotless i and the long s have capitals in ASCII, and
// file systems differ on whether they fold them. Any other mask is left to
// the platform.

#include <optional>

#include "runtime/String.h"

namespace varnel::setup {

class ExtensionMask {
 public:
  // The mask as a plain extension, or nothing when the platform must match it.
  static std::optional<ExtensionMask> From(StringView mask);

  // Whether an entry with these names matches the mask.
  bool Matches(StringView longName, StringView shortName) const;

 private:
  explicit ExtensionMask(String dotted) : dotted_(std::move(dotted)) {}
  bool NameMatches(StringView name) const;

  String dotted_;  // "." and the extension, upper case
};

}  // namespace varnel::setup
