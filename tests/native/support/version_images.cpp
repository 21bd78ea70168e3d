#include "native/support/version_images.h"

#include <stdexcept>

namespace varnel::testing {
namespace {

void Append16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::byte>(value & 0xFF));
  out.push_back(static_cast<std::byte>(value >> 8));
}

void Pad4(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(std::byte{0});
}

void Write(const VersionNode& node, Bytes& out) {
  Pad4(out);
  const std::size_t start = out.size();
  Append16(out, 0);  // wLength, patched below
  Append16(out, node.valueLength);
  Append16(out, node.type);
  for (char16_t unit : node.key) Append16(out, unit);
  Append16(out, 0);
  Pad4(out);
  out.insert(out.end(), node.value.begin(), node.value.end());
  for (const VersionNode& child : node.children) Write(child, out);
  Put16(out, start, static_cast<std::uint16_t>(out.size() - start));
}

}  // namespace

VersionNode TextValue(std::u16string key, std::u16string text) {
  VersionNode node{std::move(key), 1, static_cast<std::uint16_t>(text.size() + 1), {}, {}};
  for (char16_t unit : text) Append16(node.value, unit);
  Append16(node.value, 0);
  return node;
}

VersionNode BinaryValue(std::u16string key, Bytes value) {
  const auto length = static_cast<std::uint16_t>(value.size());
  return VersionNode{std::move(key), 0, length, std::move(value), {}};
}

VersionNode Branch(std::u16string key, std::vector<VersionNode> children) {
  return VersionNode{std::move(key), 1, 0, {}, std::move(children)};
}

Bytes TranslationEntries(std::initializer_list<std::uint16_t> words) {
  Bytes out;
  for (std::uint16_t word : words) Append16(out, word);
  return out;
}

Bytes Serialize(const VersionNode& root) {
  Bytes out;
  Write(root, out);
  return out;
}

VersionNode StandardRoot(std::u16string table,
                         std::vector<std::pair<std::u16string, std::u16string>> strings,
                         Bytes translation) {
  Bytes fixed(52, std::byte{0});  // VS_FIXEDFILEINFO
  Put32(fixed, 0, 0xFEEF04BD);
  Put32(fixed, 4, 0x00010000);
  std::vector<VersionNode> values;
  for (auto& [name, text] : strings) values.push_back(TextValue(name, text));
  VersionNode root;
  root.key = u"VS_VERSION_INFO";
  root.valueLength = static_cast<std::uint16_t>(fixed.size());
  root.value = std::move(fixed);
  root.children.push_back(Branch(u"StringFileInfo", {Branch(std::move(table), std::move(values))}));
  root.children.push_back(
      Branch(u"VarFileInfo", {BinaryValue(u"Translation", std::move(translation))}));
  return root;
}

std::size_t NodeOffset(const Bytes& block, const std::u16string& key) {
  Bytes pattern;
  for (char16_t unit : key) Append16(pattern, unit);
  Append16(pattern, 0);
  for (std::size_t at = 6; at + pattern.size() <= block.size(); at += 2) {
    if (std::equal(pattern.begin(), pattern.end(),
                   block.begin() + static_cast<std::ptrdiff_t>(at))) {
      return at - 6;
    }
  }
  throw std::logic_error("key not in block");
}

void Put16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<std::byte>(value & 0xFF);
  bytes.at(at + 1) = static_cast<std::byte>(value >> 8);
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  Put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
  Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

Bytes BuildPe(const Bytes& resource, const PeLayout& layout, PeOffsets* offsets) {
  constexpr std::uint32_t kSectionRva = 0x1000;
  constexpr std::size_t kSectionFile = 0x200;
  PeOffsets at;
  Bytes image(kSectionFile, std::byte{0});
  Put16(image, 0, 0x5A4D);  // "MZ"
  at.peHeader = 0x40;
  Put32(image, 0x3C, static_cast<std::uint32_t>(at.peHeader));
  Put32(image, at.peHeader, 0x00004550);  // "PE\0\0"
  Put16(image, at.peHeader + 4, layout.pe64 ? 0x8664 : 0x014C);
  Put16(image, at.peHeader + 6, 1);  // one section
  const std::uint16_t optionalSize = layout.pe64 ? 240 : 224;
  Put16(image, at.peHeader + 20, optionalSize);
  at.optionalHeader = at.peHeader + 24;
  Put16(image, at.optionalHeader, layout.pe64 ? 0x20B : 0x10B);
  const std::size_t directories = at.optionalHeader + (layout.pe64 ? 112 : 96);
  Put32(image, directories - 4, 16);  // NumberOfRvaAndSizes
  at.sectionTable = at.optionalHeader + optionalSize;

  // The resource tree: root -> type -> name -> language -> data entry.
  Bytes tree;
  auto directory = [&tree](std::uint16_t named, std::uint16_t numbered) {
    const std::size_t start = tree.size();
    tree.resize(start + 16 + 8u * (named + numbered), std::byte{0});
    Put16(tree, start + 12, named);
    Put16(tree, start + 14, numbered);
    return start + 16;  // the first entry
  };
  const std::uint16_t named = layout.namedEntriesFirst ? 1 : 0;
  const std::size_t typeEntry = directory(named, 1);
  const std::size_t nameEntry = directory(named, 1);
  const std::size_t languageDirectory = tree.size();
  const std::size_t languageEntry = directory(0, 1);
  const std::size_t dataEntry = tree.size();
  tree.resize(dataEntry + 16, std::byte{0});
  const std::size_t nameString = tree.size();
  Append16(tree, 3);
  for (char16_t unit : std::u16string(u"ABC")) Append16(tree, unit);
  Pad4(tree);
  const std::size_t resourceAt = tree.size();
  tree.insert(tree.end(), resource.begin(), resource.end());

  auto entry = [&](std::size_t first, std::uint32_t id, std::uint32_t target, bool subdirectory) {
    std::size_t slot = first;
    if (named != 0) {  // a string-named entry before the numbered one, leading out of the tree
      Put32(tree, slot, 0x80000000u | static_cast<std::uint32_t>(nameString));
      Put32(tree, slot + 4, 0x80000000u | 0x7FFFFF00u);
      slot += 8;
    }
    Put32(tree, slot, id);
    Put32(tree, slot + 4, (subdirectory ? 0x80000000u : 0u) | target);
  };
  entry(typeEntry, layout.typeId, static_cast<std::uint32_t>(nameEntry - 16), true);
  entry(nameEntry, layout.nameId, static_cast<std::uint32_t>(languageDirectory), true);
  Put32(tree, languageEntry, 0x0409);
  Put32(tree, languageEntry + 4, static_cast<std::uint32_t>(dataEntry));
  Put32(tree, dataEntry, kSectionRva + static_cast<std::uint32_t>(resourceAt));
  Put32(tree, dataEntry + 4, static_cast<std::uint32_t>(resource.size()));

  if (layout.withResourceDirectory) {
    Put32(image, directories + 16, kSectionRva);
    Put32(image, directories + 20, static_cast<std::uint32_t>(tree.size()));
  }
  const std::size_t section = at.sectionTable;
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  for (std::size_t i = 0; i < 8; ++i) image[section + i] = static_cast<std::byte>(name[i]);
  Put32(image, section + 8, static_cast<std::uint32_t>(tree.size()));  // VirtualSize
  Put32(image, section + 12, kSectionRva);
  Put32(image, section + 16, static_cast<std::uint32_t>(tree.size()));  // SizeOfRawData
  Put32(image, section + 20, static_cast<std::uint32_t>(kSectionFile));

  image.insert(image.end(), tree.begin(), tree.end());
  at.resourceSection = kSectionFile;
  at.languageDirectory = kSectionFile + languageDirectory;
  at.dataEntry = kSectionFile + dataEntry;
  at.resource = kSectionFile + resourceAt;
  if (offsets) *offsets = at;
  return image;
}

}  // namespace varnel::testing
