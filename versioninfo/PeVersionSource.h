#pragma once
// The portable version source: reads the version resource out of the
// executable's own bytes (PeResource) and answers queries with our own
// walker (VersionBlock), with the error codes the platform's version
// interface gives for the same files.

#include <functional>

#include "platform/VersionSource.h"
#include "versioninfo/ErrorCodes.h"
#include "versioninfo/FileBytes.h"

namespace varnel::versioninfo {

class PeVersionSource final : public IVersionSource {
 public:
  using SystemTextFunction = std::function<String(std::uint32_t)>;

  // `files` must outlive the source. `systemText` gives the texts of error
  // codes; by default the built-in English ones.
  explicit PeVersionSource(IFileReader& files, SystemTextFunction systemText = BuiltInErrorText);

  std::uint32_t FileVersionInfoSize(const String& path) override;
  bool FileVersionInfo(const String& path, std::span<std::byte> buffer) override;
  bool QueryValue(std::span<const std::byte> block, const String& subBlock,
                  VersionValue& value) override;
  std::uint32_t LastError() override { return lastError_; }
  String SystemErrorText(std::uint32_t code) override { return systemText_(code); }

 private:
  // The file's bytes and the version resource inside them; false with
  // lastError_ set when there is none.
  bool Load(const String& path, std::vector<std::byte>& file, std::span<const std::byte>& resource);

  IFileReader& files_;
  SystemTextFunction systemText_;
  std::uint32_t lastError_ = 0;
};

}  // namespace varnel::versioninfo
