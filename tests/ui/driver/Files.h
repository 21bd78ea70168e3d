#pragma once
// Paths of the build tree as Wine sees them, scratch folders for scenarios,
// and the small file operations scenarios need to set up and check.

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/String.h"

namespace varnel::ui {

// A Linux path as a Windows path under Wine: the Linux root is drive Z:,
// so "/a/b" becomes "Z:\a\b". Paths that already name a drive stay as they
// are, with "/" turned into "\".
String WinePath(StringView linuxPath);

// Folders of this build (compiled in): the build tree, the source tree and
// the fixtures folder, as Windows paths.
String BuildTreePath(StringView relative = {});
String SourceTreePath(StringView relative = {});
String FixturePath(StringView name);  // <build>\fixtures\<name>
String VarnelExePath();               // <build>\bin\Varnel.exe

String JoinPath(StringView folder, StringView name);

// A new empty folder under <build>\ui-temp, named after `name`, the driver's
// process id and a counter; deleted with all its contents on destruction
// (attributes reset first, so hidden and read-only files go too).
class TempFolder {
 public:
  explicit TempFolder(StringView name);
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const String& Path() const noexcept { return path_; }
  String File(StringView name) const { return JoinPath(path_, name); }
  // Creates a subfolder (and its parents) and returns its path.
  String MakeFolder(StringView relative) const;

 private:
  String path_;
};

void CreateFolders(const String& path);
void DeleteTree(const String& path) noexcept;
bool FileExists(const String& path);
bool FolderExists(const String& path);
void CopyFileTo(const String& from, const String& to);  // overwrites
// Sets or clears FILE_ATTRIBUTE_HIDDEN and FILE_ATTRIBUTE_SYSTEM.
void SetHiddenSystem(const String& path, bool hidden, bool system);
std::uint32_t FileAttributes(const String& path);  // INVALID_FILE_ATTRIBUTES when missing

std::string ReadFileBytes(const String& path);
void WriteFileBytes(const String& path, const std::string& bytes);
void WriteTextFile(const String& path, const String& text);  // UTF-8, no BOM

// One line of a JSON-lines record file. Values: every scalar value of the
// line in document order (keys left out; strings decoded, numbers, true,
// false and null as written). Fields: the top-level members of an object
// line, name and scalar text; an array member gives one entry per item.
struct JsonLine {
  std::vector<String> Values;
  std::vector<std::pair<String, String>> Fields;

  // The first field of that name, or an empty string.
  String Field(StringView name) const;
  // Every entry of that name, in order.
  std::vector<String> FieldAll(StringView name) const;
};

// Parses one line; throws EConvertError on malformed JSON.
JsonLine ParseJsonLine(std::string_view utf8);
// Every non-blank line of a JSON-lines file; an absent file gives none.
std::vector<JsonLine> ReadJsonLines(const String& path);

}  // namespace varnel::ui
