#include "versioninfo/PeMachine.h"

#include <vector>

#include "versioninfo/FileBytes.h"
#include "versioninfo/LittleEndian.h"

namespace varnel::versioninfo {
namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kPeOffsetField = 0x3C;
constexpr std::size_t kSignatureAndMachine = 6;  // "PE\0\0", then the Machine word

// Where the PE header starts, read from the DOS header; nothing when the
// bytes do not start like an executable.
std::optional<std::size_t> PeHeaderOffset(const ByteReader& dos) {
  if (!dos.Has(0, kDosHeaderSize) || dos.U16(0) != 0x5A4D) return std::nullopt;  // "MZ"
  return dos.U32(kPeOffsetField);
}

PeMachine MachineAt(const ByteReader& bytes, std::size_t offset) {
  if (!bytes.Has(offset, kSignatureAndMachine) || bytes.U32(offset) != 0x00004550)  // "PE\0\0"
    return PeMachine::Unknown;
  switch (bytes.U16(offset + 4)) {
    case 0x014C:
      return PeMachine::I386;
    case 0x8664:
      return PeMachine::Amd64;
    case 0xAA64:
      return PeMachine::Arm64;
    case 0x01C4:
      return PeMachine::Arm32;
    default:
      return PeMachine::Other;
  }
}

}  // namespace

PeMachine MachineOfImage(std::span<const std::byte> image) {
  const ByteReader bytes(image);
  const std::optional<std::size_t> pe = PeHeaderOffset(bytes);
  return pe ? MachineAt(bytes, *pe) : PeMachine::Unknown;
}

RegistryView ViewOf(PeMachine machine) {
  return machine == PeMachine::I386 || machine == PeMachine::Arm32 ? RegistryView::Bits32
                                                                   : RegistryView::Bits64;
}

PeMachine PeMachineReader::MachineOf(const String& path) {
  std::vector<std::byte> dos;
  if (ReadFilePart(path, 0, kDosHeaderSize, dos) != 0) return PeMachine::Unknown;
  const std::optional<std::size_t> pe = PeHeaderOffset(ByteReader(dos));
  if (!pe) return PeMachine::Unknown;
  std::vector<std::byte> header;
  if (ReadFilePart(path, *pe, kSignatureAndMachine, header) != 0) return PeMachine::Unknown;
  return MachineAt(ByteReader(header), 0);
}

}  // namespace varnel::versioninfo
