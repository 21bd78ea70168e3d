#pragma once
// Builders for version blocks and PE images, laid out the way resource
// compilers and linkers write them, so the version-reader tests can state
// their inputs in a few lines and then break them on purpose.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnel::testing {

using Bytes = std::vector<std::byte>;

// One node of a VS_VERSIONINFO tree.
struct VersionNode {
  std::u16string key;
  std::uint16_t type = 0;         // 1 for text values
  std::uint16_t valueLength = 0;  // as stored: bytes, or UTF-16 units for text
  Bytes value;
  std::vector<VersionNode> children;
};

// A text value with its NUL, wValueLength counting the NUL as windres does.
VersionNode TextValue(std::u16string key, std::u16string text);
// A binary value (the translation array).
VersionNode BinaryValue(std::u16string key, Bytes value);
VersionNode Branch(std::u16string key, std::vector<VersionNode> children);
// Translation entries as (language, code page) words.
Bytes TranslationEntries(std::initializer_list<std::uint16_t> words);

// The whole tree as bytes, offsets aligned relative to its first byte.
Bytes Serialize(const VersionNode& root);

// A complete resource: fixed info, one string table `table` with `strings`
// (name, text pairs) and a translation value holding `translation`.
VersionNode StandardRoot(std::u16string table,
                         std::vector<std::pair<std::u16string, std::u16string>> strings,
                         Bytes translation);

// Offset of the node whose key is `key` (first occurrence), for patching.
std::size_t NodeOffset(const Bytes& block, const std::u16string& key);

void Put16(Bytes& bytes, std::size_t at, std::uint16_t value);
void Put32(Bytes& bytes, std::size_t at, std::uint32_t value);

// A minimal PE image (one .rsrc section) whose resource tree holds `resource`
// as type `typeId`, name `nameId`, language 0x0409.
struct PeLayout {
  bool pe64 = true;
  std::uint32_t typeId = 16;
  std::uint32_t nameId = 1;
  bool namedEntriesFirst = false;  // a string-named type and name before the numbered ones
  bool withResourceDirectory = true;
};
// Offsets inside the image built by BuildPe, for the tests that break it.
struct PeOffsets {
  std::size_t peHeader = 0;
  std::size_t optionalHeader = 0;
  std::size_t sectionTable = 0;
  std::size_t resourceSection = 0;  // file offset of the resource tree
  std::size_t languageDirectory = 0;
  std::size_t dataEntry = 0;
  std::size_t resource = 0;
};
Bytes BuildPe(const Bytes& resource, const PeLayout& layout = {}, PeOffsets* offsets = nullptr);

}  // namespace varnel::testing
