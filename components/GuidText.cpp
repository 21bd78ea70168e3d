#include "components/GuidText.h"

#include "runtime/Exceptions.h"

namespace varnel::components {

namespace {

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Reads `count` digits at zero-based `pos`; false when one is not a digit.
bool ReadHex(const String& text, std::size_t pos, std::size_t count, std::uint32_t& value) {
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int digit = HexDigit(text[pos + i]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return true;
}

}  // namespace

bool IsNullGuid(const Guid& id) noexcept { return id == Guid{}; }

bool IsBlankIdentifier(const Guid& id) noexcept {
  return id.Data1 == 0 && id.Data2 == 0 && id.Data3 == 0;
}

String FormatGuid(const Guid& id) {
  // Appended piece by piece; GCC 12 warns falsely on a literal + String head.
  String text(1, u'{');
  text += IntToHex(id.Data1, 8);
  text += u'-';
  text += IntToHex(id.Data2, 4);
  text += u'-';
  text += IntToHex(id.Data3, 4);
  text += u'-';
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == 2) text += u'-';
    text += IntToHex(id.Data4[i], 2);
  }
  text += u'}';
  return text;
}

Guid ParseGuid(const String& text) {
  const auto invalid = [&] { return EConvertError(u"'" + text + u"' is not a valid GUID value"); };
  if (text.size() != 38 || text[0] != u'{' || text[9] != u'-' || text[14] != u'-' ||
      text[19] != u'-' || text[24] != u'-')
    throw invalid();
  Guid id;
  std::uint32_t part = 0;
  if (!ReadHex(text, 1, 8, part)) throw invalid();
  id.Data1 = part;
  if (!ReadHex(text, 10, 4, part)) throw invalid();
  id.Data2 = static_cast<std::uint16_t>(part);
  if (!ReadHex(text, 15, 4, part)) throw invalid();
  id.Data3 = static_cast<std::uint16_t>(part);
  static constexpr std::size_t kBytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < 8; ++i) {
    if (!ReadHex(text, kBytePos[i], 2, part)) throw invalid();
    id.Data4[i] = static_cast<std::uint8_t>(part);
  }
  return id;  // position 38 (the closing brace) is deliberately not checked
}

}  // namespace varnel::components
