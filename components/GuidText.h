#pragma once
// The component's own text form of a class identifier, made and read
// without any platform call.

#include "platform/ClassRegistry.h"
#include "runtime/String.h"

namespace varnel::components {

// True when all 16 bytes are zero.
bool IsNullGuid(const Guid& id) noexcept;

// True when the 32-bit part and both 16-bit parts are zero: such an
// identifier reads as the empty text, whatever its last eight bytes hold.
bool IsBlankIdentifier(const Guid& id) noexcept;

// "{%.8x-%.4x-%.4x-%.2x%.2x-%.2x%.2x%.2x%.2x%.2x%.2x}" in upper-case digits.
String FormatGuid(const Guid& id);

// Reads a 38-character text: "{" first, hexadecimal digits of either case
// in the five groups, "-" between them. The last character is not looked
// at. Anything else raises EConvertError "'%s' is not a valid GUID value".
Guid ParseGuid(const String& text);

}  // namespace varnel::components
