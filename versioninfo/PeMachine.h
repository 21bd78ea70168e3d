#pragma once
// The processor an executable was built for, from the Machine field of its
// PE file header, and the registry view its own writes land in: a 32-bit
// program on 64-bit Windows registers its classes in the 32-bit view.
//
// Like the resource finder, the parser checks every offset it reads against
// the bytes it was given; no input makes it read past them.

#include <cstddef>
#include <optional>
#include <span>

#include "platform/RegistryView.h"
#include "runtime/String.h"

namespace varnel::versioninfo {

enum class PeMachine {
  Unknown,  // not a PE image, or one that could not be read
  I386,     // 0x014C
  Amd64,    // 0x8664
  Arm64,    // 0xAA64
  Arm32,    // 0x01C4, Thumb-2: runs in the 32-bit part of ARM64 Windows
  Other,    // a PE image for any other processor
};

// The machine of an image held in memory from its first byte on; the bytes
// up to the Machine field are enough.
PeMachine MachineOfImage(std::span<const std::byte> image);

// I386 and Arm32 write the 32-bit view. Everything else, an image that is
// not understood included, is taken to write the 64-bit one: the program's
// own view, where a server of its own kind registers.
RegistryView ViewOf(PeMachine machine);

// The machine of an executable on disk: where tests hand in a table instead.
class IMachineReader {
 public:
  virtual ~IMachineReader() = default;
  // Unknown when the file is no PE image or cannot be read.
  virtual PeMachine MachineOf(const String& path) = 0;
};

// Reads the DOS header and then the PE signature and Machine field only,
// not the whole file.
class PeMachineReader final : public IMachineReader {
 public:
  PeMachine MachineOf(const String& path) override;
};

}  // namespace varnel::versioninfo
