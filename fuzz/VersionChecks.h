#pragma once
// What the version block and PE resource targets both check: queries stay
// inside the block, failed queries leave the value alone, and the record
// reader either fills the record or raises EOSError without touching it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/VersionSource.h"
#include "runtime/Exceptions.h"
#include "versioninfo/VersionBlock.h"
#include "versioninfo/VersionInfo.h"

namespace varnel::fuzz {

using namespace varnel::versioninfo;

// One query with the invariants checked; true when found.
inline bool CheckedQuery(std::span<const std::byte> block, StringView path, VersionValue& value) {
  static const std::byte kMarker[1] = {};
  VersionValue probe{std::span<const std::byte>(kMarker), 0xDEADBEEFu};
  if (!VerQueryValueBlock(block, path, probe)) {
    if (probe.data.data() != kMarker || probe.data.size() != 1 || probe.length != 0xDEADBEEFu)
      __builtin_trap();
    return false;
  }
  const std::byte* begin = block.data();
  const std::byte* end = begin + block.size();
  if (probe.data.size() > block.size()) __builtin_trap();
  if (!probe.data.empty() &&
      (probe.data.data() < begin || probe.data.data() + probe.data.size() > end))
    __builtin_trap();
  // Touch every byte so that ASan sees a read past the block, should the
  // span lie about where it ends.
  volatile std::uint8_t sum = 0;
  for (const std::byte b : probe.data)
    sum = static_cast<std::uint8_t>(sum + std::to_integer<std::uint8_t>(b));
  value = probe;
  return true;
}

// The paths the program asks for, with the spellings the walker must
// tolerate (doubled and trailing separators), plus the string table the
// first translation names.
inline void QueryCommonPaths(std::span<const std::byte> block) {
  static const char16_t* const kPaths[] = {u"\\",
                                           u"",
                                           u"\\\\",
                                           u"\\VarFileInfo\\Translation",
                                           u"\\VarFileInfo\\Translation\\",
                                           u"VarFileInfo\\\\Translation",
                                           u"\\StringFileInfo",
                                           u"\\StringFileInfo\\040904B0",
                                           u"\\StringFileInfo\\040904B0\\CompanyName",
                                           u"\\StringFileInfo\\040904B0\\FileVersion\\",
                                           u"\\StringFileInfo\\040904E4\\ProductName",
                                           u"\\StringFileInfo\\0C0A04E4\\Comments"};
  VersionValue value;
  for (const char16_t* path : kPaths) CheckedQuery(block, path, value);

  VersionValue translation;
  if (CheckedQuery(block, u"\\VarFileInfo\\Translation", translation) &&
      translation.data.size() >= 4) {
    const auto byte = [&](std::size_t i) {
      return std::to_integer<std::uint32_t>(translation.data[i]);
    };
    const std::uint32_t language = byte(0) | (byte(1) << 8);
    const std::uint32_t codePage = byte(2) | (byte(3) << 8);
    const String table = u"\\StringFileInfo\\" + IntToHex(language, 4) + IntToHex(codePage, 4);
    CheckedQuery(block, table, value);
    CheckedQuery(block, table + u"\\FileDescription", value);
    CheckedQuery(block, table + u"\\OriginalFileName", value);
  }
}

// Serves one block from memory, as the platform's version interface would
// for a file holding it; every query is checked.
class BlockSource final : public IVersionSource {
 public:
  explicit BlockSource(std::span<const std::byte> block) : block_(block) {}

  std::uint32_t FileVersionInfoSize(const String&) override {
    if (block_.empty()) lastError_ = 1813;  // no RT_VERSION resource
    return static_cast<std::uint32_t>(block_.size());
  }
  bool FileVersionInfo(const String&, std::span<std::byte> buffer) override {
    if (buffer.size() != block_.size()) __builtin_trap();  // the size we said
    std::copy(block_.begin(), block_.end(), buffer.begin());
    return true;
  }
  bool QueryValue(std::span<const std::byte> block, const String& subBlock,
                  VersionValue& value) override {
    return CheckedQuery(block, subBlock, value);
  }
  std::uint32_t LastError() override { return lastError_; }
  String SystemErrorText(std::uint32_t) override { return String(); }

 private:
  std::span<const std::byte> block_;
  std::uint32_t lastError_ = 0;
};

inline bool SameRecord(const TEXEVersionData& a, const TEXEVersionData& b) {
  return a.CompanyName == b.CompanyName && a.FileDescription == b.FileDescription &&
         a.FileVersion == b.FileVersion && a.InternalName == b.InternalName &&
         a.LegalCopyright == b.LegalCopyright && a.LegalTrademarks == b.LegalTrademarks &&
         a.OriginalFileName == b.OriginalFileName && a.ProductName == b.ProductName &&
         a.ProductVersion == b.ProductVersion && a.Comments == b.Comments &&
         a.PrivateBuild == b.PrivateBuild && a.SpecialBuild == b.SpecialBuild;
}

// Reads the record; a failure must leave every field as it was.
inline void ReadRecord(IVersionSource& source) {
  TEXEVersionData data;
  data.CompanyName = u"unchanged";
  data.Comments = u"unchanged";
  const TEXEVersionData before = data;
  try {
    GetEXEVersionData(source, u"fuzz.exe", data);
  } catch (const EOSError&) {
    if (!SameRecord(data, before)) __builtin_trap();
  }
}

}  // namespace varnel::fuzz
