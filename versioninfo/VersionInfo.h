#pragma once
// VersionInfo: the string table of an executable's version resource, read
// into a record of twelve strings.

#include "platform/VersionSource.h"
#include "runtime/String.h"

namespace varnel::versioninfo {

// Each field keeps its value unless the version resource holds it.
struct TEXEVersionData {
  String CompanyName;
  String FileDescription;
  String FileVersion;
  String InternalName;
  String LegalCopyright;
  String LegalTrademarks;
  String OriginalFileName;
  String ProductName;
  String ProductVersion;
  String Comments;
  String PrivateBuild;
  String SpecialBuild;
};

// Reads the strings of the table named by the resource's first translation
// entry into `data`; a value the table lacks leaves its field as it was.
// Throws EOSError (with the last error read right after the failing call)
// when the file has no version block or can't be read, when the block
// can't be copied, or when it has no translation; `data` is then
// unchanged.
void GetEXEVersionData(IVersionSource& source, const String& path, TEXEVersionData& data);

}  // namespace varnel::versioninfo
