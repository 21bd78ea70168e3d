#pragma once
// The Windows error codes the portable version reader reports, so that its
// failures read like those of the platform's own version interface, and the
// system texts for them where no system message table is at hand.

#include <cstdint>

#include "runtime/String.h"

namespace varnel::versioninfo {

inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidData = 13;
inline constexpr std::uint32_t kErrorReadFault = 30;
inline constexpr std::uint32_t kErrorResourceDataNotFound = 1812;
inline constexpr std::uint32_t kErrorResourceTypeNotFound = 1813;
inline constexpr std::uint32_t kErrorResourceNameNotFound = 1814;
inline constexpr std::uint32_t kErrorResourceLangNotFound = 1815;

// The English system text of one of the codes above; empty for any other.
String BuiltInErrorText(std::uint32_t code);

}  // namespace varnel::versioninfo
