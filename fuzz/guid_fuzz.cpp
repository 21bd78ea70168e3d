// libFuzzer entry for the component's own identifier text (ServerGUIDNet):
// ParseGuid must accept exactly the texts of the documented shape, a parsed
// value must format back to the upper-cased text, and the connection's
// property must keep its pair intact when a text is refused.
#include <cstddef>
#include <cstdint>
#include <span>

#include "components/GuidText.h"
#include "components/USDCOMConnection.h"
#include "fuzz/FuzzText.h"
#include "runtime/Exceptions.h"
#include "tests/native/support/TableClassRegistry.h"

using varnel::Guid;
using varnel::String;

namespace {

bool IsHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// The accepted shape, written out independently of the parser: 38 units,
// "{" first, dashes at 9, 14, 19 and 24, hexadecimal digits between; the
// last unit is not looked at.
bool HasGuidShape(const String& text) {
  if (text.size() != 38 || text[0] != u'{') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != u'-' : !IsHex(text[i])) return false;
  }
  return true;
}

// The text FormatGuid must give back for an accepted one.
String Canonical(const String& text) {
  String out = text.substr(0, 37);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'f') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  out += u'}';
  return out;
}

constexpr Guid kRegistered = {
    0x12345678, 0x9ABC, 0xDEF0, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}};
constexpr Guid kStart = {0x0BADF00D, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const String text = varnel::fuzz::TextFromBytes(std::span<const std::uint8_t>(data, size));
  const bool shaped = HasGuidShape(text);

  // The parser on its own.
  bool parsed = false;
  Guid id;
  try {
    id = varnel::components::ParseGuid(text);
    parsed = true;
  } catch (const varnel::EConvertError& e) {
    if (e.Message() != u"'" + text + u"' is not a valid GUID value") __builtin_trap();
  }
  if (parsed != shaped) __builtin_trap();
  if (parsed && varnel::components::FormatGuid(id) != Canonical(text)) __builtin_trap();

  // The same text through the connection's property, starting from a known
  // pair so that a refused text can be seen to leave it alone.
  varnel::TableClassRegistry registry;
  registry.Register(u"Varnel.Registered", kRegistered);
  registry.Register(u"Varnel.Start", kStart);
  varnel::components::SDCOMConnection connection(nullptr, registry);
  connection.SetServerNameNet(u"Varnel.Start");
  if (connection.ServerGUIDNet() != varnel::components::FormatGuid(kStart)) __builtin_trap();

  try {
    connection.SetServerGUIDNet(text);
  } catch (const varnel::EConvertError& e) {
    if (text.empty() || shaped) __builtin_trap();
    if (e.Message() != u"'" + text + u"' is not a valid GUID value") __builtin_trap();
    if (connection.ServerGUIDNet() != varnel::components::FormatGuid(kStart) ||
        connection.ServerNameNet() != u"Varnel.Start")
      __builtin_trap();
    return 0;
  }
  if (text.empty()) {
    if (!connection.ServerGUIDNet().empty()) __builtin_trap();
    return 0;
  }
  if (!shaped) __builtin_trap();
  // Blank identifiers (first three parts zero) read back as the empty text.
  const String expected = varnel::components::IsBlankIdentifier(id) ? String() : Canonical(text);
  if (connection.ServerGUIDNet() != expected) __builtin_trap();
  // A registered identifier brings its name; any other keeps the old one.
  const String name = id == kRegistered ? u"Varnel.Registered" : u"Varnel.Start";
  if (connection.ServerNameNet() != name) __builtin_trap();
  return 0;
}
