#pragma once
// Finds the version resource of a PE image (32 or 64-bit) held in memory:
// DOS header, PE headers, section table, then the resource directory tree
// type RT_VERSION (16) -> name VS_VERSION_INFO (1) -> first language, with
// each RVA mapped to its place in the file. That is the resource the
// platform's GetFileVersionInfoW copies out.
//
// Every offset and size read from the image is checked against the image
// before it is used; a malformed image gives an error code, never a read
// outside `image`.

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnel::versioninfo {

struct PeResourceLookup {
  // 0 when found. Otherwise a Windows error code:
  //   kErrorResourceDataNotFound  not a PE image, or one without resources
  //   kErrorResourceTypeNotFound  no RT_VERSION resources
  //   kErrorResourceNameNotFound  none named VS_VERSION_INFO
  //   kErrorResourceLangNotFound  no language under that name
  //   kErrorInvalidData           the resource tree or data lies outside the file
  std::uint32_t error = 0;
  std::span<const std::byte> data;  // the resource's bytes inside `image`
};

PeResourceLookup FindVersionResource(std::span<const std::byte> image);

}  // namespace varnel::versioninfo
