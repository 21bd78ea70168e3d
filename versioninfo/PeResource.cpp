#include "versioninfo/PeResource.h"

#include <algorithm>
#include <vector>

#include "versioninfo/ErrorCodes.h"
#include "versioninfo/LittleEndian.h"

namespace varnel::versioninfo {
namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kPeOffsetField = 0x3C;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::size_t kDataDirectorySize = 8;
constexpr std::size_t kResourceDirectoryHeaderSize = 16;
constexpr std::size_t kResourceEntrySize = 8;
constexpr std::size_t kResourceDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVsVersionInfo = 1;

struct Section {
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::size_t fileOffset = 0;
  std::size_t fileBytes = 0;  // raw data actually present in the file
};

PeResourceLookup Fail(std::uint32_t error) { return PeResourceLookup{error, {}}; }

// The file bytes from `rva` to the end of its section's raw data; empty
// when the RVA is in no section or its data is not in the file.
std::span<const std::byte> MapRva(std::span<const std::byte> image,
                                  const std::vector<Section>& sections, std::uint32_t rva) {
  for (const Section& s : sections) {
    if (rva < s.virtualAddress) continue;
    const std::size_t delta = rva - s.virtualAddress;
    const std::size_t extent = std::max<std::size_t>(s.virtualSize, s.fileBytes);
    if (delta >= extent) continue;
    if (delta >= s.fileBytes) return {};
    return image.subspan(s.fileOffset + delta, s.fileBytes - delta);
  }
  return {};
}

// Looks in the resource directory at `offset` for the entry with numeric
// `id`, or for the first entry when `id` is null. Returns the entry's data
// field, or sets `error`.
bool FindEntry(const ByteReader& tree, std::size_t offset, const std::uint32_t* id,
               std::uint32_t notFound, std::uint32_t& field, std::uint32_t& error) {
  if (!tree.Has(offset, kResourceDirectoryHeaderSize)) {
    error = kErrorInvalidData;
    return false;
  }
  const std::size_t named = tree.U16(offset + 12);
  const std::size_t numbered = tree.U16(offset + 14);
  const std::size_t count = named + numbered;
  const std::size_t first = offset + kResourceDirectoryHeaderSize;
  if (!tree.Has(first, count * kResourceEntrySize)) {
    error = kErrorInvalidData;
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = first + i * kResourceEntrySize;
    const std::uint32_t name = tree.U32(entry);
    if (id == nullptr || ((name & kHighBit) == 0 && name == *id)) {
      field = tree.U32(entry + 4);
      return true;
    }
  }
  error = notFound;
  return false;
}

// Follows one level down the tree: the entry must lead to a subdirectory.
bool Descend(const ByteReader& tree, std::size_t& offset, const std::uint32_t* id,
             std::uint32_t notFound, std::uint32_t& error) {
  std::uint32_t field = 0;
  if (!FindEntry(tree, offset, id, notFound, field, error)) return false;
  if ((field & kHighBit) == 0) {
    error = kErrorInvalidData;
    return false;
  }
  offset = field & ~kHighBit;
  return true;
}

}  // namespace

PeResourceLookup FindVersionResource(std::span<const std::byte> image) {
  const ByteReader file(image);
  if (!file.Has(0, kDosHeaderSize) || file.U16(0) != 0x5A4D) {  // "MZ"
    return Fail(kErrorResourceDataNotFound);
  }
  const std::size_t pe = file.U32(kPeOffsetField);
  if (!file.Has(pe, 4 + kFileHeaderSize) || file.U32(pe) != 0x00004550) {  // "PE\0\0"
    return Fail(kErrorResourceDataNotFound);
  }
  const std::size_t sectionCount = file.U16(pe + 6);
  const std::size_t optionalSize = file.U16(pe + 20);
  const std::size_t optional = pe + 4 + kFileHeaderSize;
  if (optionalSize < 2 || !file.Has(optional, optionalSize)) {
    return Fail(kErrorResourceDataNotFound);
  }

  std::size_t directories = 0;  // offset of the data directories in the optional header
  switch (file.U16(optional)) {
    case kPe32Magic:
      directories = 96;
      break;
    case kPe32PlusMagic:
      directories = 112;
      break;
    default:
      return Fail(kErrorResourceDataNotFound);
  }
  const std::size_t resourceField = directories + kResourceDirectoryIndex * kDataDirectorySize;
  if (optionalSize < resourceField + kDataDirectorySize ||
      file.U32(optional + directories - 4) <= kResourceDirectoryIndex) {
    return Fail(kErrorResourceDataNotFound);
  }
  const std::uint32_t resourceRva = file.U32(optional + resourceField);
  const std::uint32_t resourceSize = file.U32(optional + resourceField + 4);
  if (resourceRva == 0 || resourceSize == 0) return Fail(kErrorResourceDataNotFound);

  const std::size_t sectionTable = optional + optionalSize;
  if (!file.Has(sectionTable, sectionCount * kSectionHeaderSize)) {
    return Fail(kErrorResourceDataNotFound);
  }
  std::vector<Section> sections;
  sections.reserve(sectionCount);
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t header = sectionTable + i * kSectionHeaderSize;
    Section s;
    s.virtualSize = file.U32(header + 8);
    s.virtualAddress = file.U32(header + 12);
    const std::size_t rawSize = file.U32(header + 16);
    s.fileOffset = file.U32(header + 20);
    s.fileBytes = s.fileOffset < image.size() ? std::min(rawSize, image.size() - s.fileOffset) : 0;
    if (s.fileBytes == 0) s.fileOffset = 0;
    sections.push_back(s);
  }

  std::span<const std::byte> resources = MapRva(image, sections, resourceRva);
  if (resources.empty()) return Fail(kErrorInvalidData);
  resources = resources.first(std::min<std::size_t>(resources.size(), resourceSize));
  const ByteReader tree(resources);

  std::uint32_t error = 0;
  std::size_t directory = 0;
  if (!Descend(tree, directory, &kRtVersion, kErrorResourceTypeNotFound, error) ||
      !Descend(tree, directory, &kVsVersionInfo, kErrorResourceNameNotFound, error)) {
    return Fail(error);
  }
  std::uint32_t field = 0;
  if (!FindEntry(tree, directory, nullptr, kErrorResourceLangNotFound, field, error)) {
    return Fail(error);
  }
  if ((field & kHighBit) != 0 || !tree.Has(field, kResourceDataEntrySize)) {
    return Fail(kErrorInvalidData);
  }
  const std::uint32_t dataRva = tree.U32(field);
  const std::uint32_t dataSize = tree.U32(field + 4);
  const std::span<const std::byte> data = MapRva(image, sections, dataRva);
  if (dataSize == 0 || data.size() < dataSize) return Fail(kErrorInvalidData);
  return PeResourceLookup{0, data.first(dataSize)};
}

}  // namespace varnel::versioninfo
