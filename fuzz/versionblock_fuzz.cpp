// libFuzzer entry for the version block walker and the version record read
// over it: the input is a version block as a version source would copy it
// out. No query may give a value outside the block, a failed query must
// leave the value alone, and reading the record either fills it or raises
// EOSError with the record untouched.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/VersionChecks.h"
#include "versioninfo/VersionBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto block = std::as_bytes(std::span<const std::uint8_t>(data, size));
  varnel::fuzz::QueryCommonPaths(block);
  varnel::fuzz::BlockSource source(block);
  varnel::fuzz::ReadRecord(source);
  return 0;
}
