#include "versioninfo/VersionInfo.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "runtime/Exceptions.h"
#include "versioninfo/ErrorCodes.h"

namespace varnel::versioninfo {
namespace {

struct FieldName {
  String TEXEVersionData::*field;
  const char16_t* name;  // appended to "\StringFileInfo\<key>"
};

// Record order; the value names as the resource spells them.
constexpr FieldName kFields[] = {
    {&TEXEVersionData::CompanyName, u"\\CompanyName"},
    {&TEXEVersionData::FileDescription, u"\\FileDescription"},
    {&TEXEVersionData::FileVersion, u"\\FileVersion"},
    {&TEXEVersionData::InternalName, u"\\InternalName"},
    {&TEXEVersionData::LegalCopyright, u"\\LegalCopyright"},
    {&TEXEVersionData::LegalTrademarks, u"\\LegalTrademarks"},
    {&TEXEVersionData::OriginalFileName, u"\\OriginalFileName"},
    {&TEXEVersionData::ProductName, u"\\ProductName"},
    {&TEXEVersionData::ProductVersion, u"\\ProductVersion"},
    {&TEXEVersionData::Comments, u"\\Comments"},
    {&TEXEVersionData::PrivateBuild, u"\\PrivateBuild"},
    {&TEXEVersionData::SpecialBuild, u"\\SpecialBuild"},
};

constexpr std::size_t kTranslationEntrySize = 4;  // WORD language, WORD code page

[[noreturn]] void RaiseOSError(IVersionSource& source, std::uint32_t code) {
  throw EOSError(OSErrorMessage(code, source.SystemErrorText(code)), code);
}

std::uint16_t Word(std::span<const std::byte> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[at]) |
                                    (std::to_integer<unsigned>(bytes[at + 1]) << 8));
}

// The text of a string value up to its first NUL, read no further than the
// value's reported length and the bytes the source handed out.
String ValueText(const VersionValue& value) {
  const std::size_t units = std::min<std::size_t>(value.length, value.data.size() / 2);
  String text;
  for (std::size_t i = 0; i < units; ++i) {
    const auto unit = static_cast<char16_t>(Word(value.data, 2 * i));
    if (unit == 0) break;
    text += unit;
  }
  return text;
}

}  // namespace

void GetEXEVersionData(IVersionSource& source, const String& path, TEXEVersionData& data) {
  const std::uint32_t size = source.FileVersionInfoSize(path);
  if (size == 0) RaiseOSError(source, source.LastError());

  std::vector<std::byte> block(size);  // released on every way out
  if (!source.FileVersionInfo(path, block)) RaiseOSError(source, source.LastError());

  VersionValue translation;
  if (!source.QueryValue(block, u"\\VarFileInfo\\Translation\\", translation)) {
    RaiseOSError(source, source.LastError());
  }
  // Less than one entry is no translation at all; the code is the one a
  // missing value gives.
  if (translation.length < kTranslationEntrySize ||
      translation.data.size() < kTranslationEntrySize) {
    RaiseOSError(source, kErrorResourceTypeNotFound);
  }
  const String key =
      IntToHex(Word(translation.data, 0), 4) + IntToHex(Word(translation.data, 2), 4);
  const String table = u"\\StringFileInfo\\" + key;

  // Filled on a copy, so the caller's record changes all at once or not at
  // all.
  TEXEVersionData result = data;
  for (const FieldName& entry : kFields) {
    VersionValue value;
    if (source.QueryValue(block, table + entry.name, value)) {
      result.*entry.field = ValueText(value);
    }
  }
  data = std::move(result);
}

}  // namespace varnel::versioninfo
