// The machine of an executable and the registry view it implies: from the
// images the version tests build, with the Machine field patched, and from
// files on disk, where only the headers are read.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "native/support/version_images.h"
#include "versioninfo/ErrorCodes.h"
#include "versioninfo/FileBytes.h"
#include "versioninfo/PeMachine.h"

namespace varnel {

using namespace varnel::versioninfo;
namespace {

using testing::Bytes;

Bytes ImageFor(std::uint16_t machine, testing::PeOffsets* offsets = nullptr) {
  testing::PeOffsets at;
  Bytes image = testing::BuildPe(Bytes(16, std::byte{0}), {}, &at);
  testing::Put16(image, at.peHeader + 4, machine);
  if (offsets) *offsets = at;
  return image;
}

Bytes TextBytes(std::string_view text) {
  Bytes bytes;
  for (char c : text) bytes.push_back(static_cast<std::byte>(c));
  return bytes;
}

TEST(PeMachine, TheMachineFieldNamesTheProcessorAndItsView) {
  const struct {
    std::uint16_t field;
    PeMachine machine;
    RegistryView view;
  } cases[] = {
      {0x014C, PeMachine::I386, RegistryView::Bits32},
      {0x8664, PeMachine::Amd64, RegistryView::Bits64},
      {0xAA64, PeMachine::Arm64, RegistryView::Bits64},
      {0x01C4, PeMachine::Arm32, RegistryView::Bits32},
      {0x0200, PeMachine::Other, RegistryView::Bits64},  // Itanium
      {0x0000, PeMachine::Other, RegistryView::Bits64},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    const PeMachine machine = MachineOfImage(ImageFor(c.field));
    EXPECT_EQ(machine, c.machine);
    EXPECT_EQ(ViewOf(machine), c.view);
  }
  // The builder's own 32 and 64-bit images, untouched.
  EXPECT_EQ(MachineOfImage(testing::BuildPe({}, {.pe64 = false})), PeMachine::I386);
  EXPECT_EQ(MachineOfImage(testing::BuildPe({}, {.pe64 = true})), PeMachine::Amd64);
}

TEST(PeMachine, WhatIsNoPeImageIsUnknownAndTakenForTheProgramsOwnView) {
  testing::PeOffsets at;
  const Bytes image = ImageFor(0x014C, &at);
  Bytes badSignature = image;
  testing::Put32(badSignature, at.peHeader, 0x00014550);  // "PE\0\1"
  Bytes farHeader = image;
  testing::Put32(farHeader, 0x3C, static_cast<std::uint32_t>(image.size()) - 5);
  Bytes hugeOffset = image;
  testing::Put32(hugeOffset, 0x3C, 0xFFFFFFFFu);
  Bytes newExecutable = image;  // an "NE" header of the 16-bit days
  testing::Put32(newExecutable, at.peHeader, 0x0000454E);

  for (const Bytes& bytes : {Bytes{}, TextBytes("MZ"), TextBytes("#!/bin/sh\necho PE\n"),
                             badSignature, farHeader, hugeOffset, newExecutable}) {
    EXPECT_EQ(MachineOfImage(bytes), PeMachine::Unknown);
  }
  EXPECT_EQ(ViewOf(PeMachine::Unknown), RegistryView::Bits64);
}

TEST(PeMachine, TheHeadersUpToTheMachineFieldAreEnoughAndLessIsNever) {
  testing::PeOffsets at;
  const Bytes image = ImageFor(0x014C, &at);
  const std::size_t needed = at.peHeader + 6;
  for (std::size_t size = 0; size < needed; ++size) {
    const Bytes prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(MachineOfImage(prefix), PeMachine::Unknown) << size;
  }
  const Bytes prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(needed));
  EXPECT_EQ(MachineOfImage(prefix), PeMachine::I386);
}

// --- from files ------------------------------------------------------------

class TempFolder {
 public:
  TempFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("varnel_machine_" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  String Write(const std::filesystem::path& name, const Bytes& bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return Text(file);
  }
  String Text(const std::filesystem::path& path) const {
    const std::u8string text = path.u8string();
    return FromUtf8(std::string(text.begin(), text.end()));
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST(PeMachineReader, ReadsTheHeadersOfAFileWhereverThePeHeaderLies) {
  TempFolder folder;
  // A long DOS stub puts the PE header far behind the first bytes read.
  testing::PeOffsets at;
  Bytes image = ImageFor(0x014C, &at);
  Bytes stubbed(image.begin(), image.begin() + 64);
  stubbed.resize(0x12000, std::byte{0x90});
  stubbed.insert(stubbed.end(), image.begin() + static_cast<std::ptrdiff_t>(at.peHeader),
                 image.end());
  testing::Put32(stubbed, 0x3C, 0x12000);
  ASSERT_EQ(MachineOfImage(stubbed), PeMachine::I386);

  PeMachineReader reader;
  EXPECT_EQ(reader.MachineOf(folder.Write(u8"servidor ñ 32.exe", stubbed)), PeMachine::I386);
  EXPECT_EQ(reader.MachineOf(folder.Write("s64.exe", ImageFor(0x8664))), PeMachine::Amd64);
  // Cut right after the Machine field: still enough.
  EXPECT_EQ(reader.MachineOf(folder.Write(
                "cut.exe", Bytes(image.begin(),
                                 image.begin() + static_cast<std::ptrdiff_t>(at.peHeader + 6)))),
            PeMachine::I386);
  EXPECT_EQ(reader.MachineOf(folder.Write("short.exe", Bytes(image.begin(), image.begin() + 0x41))),
            PeMachine::Unknown);
  EXPECT_EQ(reader.MachineOf(folder.Write("notas.txt", TextBytes("MZ? no"))), PeMachine::Unknown);
  EXPECT_EQ(reader.MachineOf(folder.Text(folder.Path() / "missing.exe")), PeMachine::Unknown);
  EXPECT_EQ(reader.MachineOf(folder.Text(folder.Path())), PeMachine::Unknown);
}

TEST(ReadFilePart, GivesWhatLiesInsideTheFileAndNamesWhyItCannot) {
  TempFolder folder;
  const String file = folder.Write("diez.bin", TextBytes("0123456789"));
  Bytes bytes{std::byte{1}};
  EXPECT_EQ(ReadFilePart(file, 2, 3, bytes), 0u);
  EXPECT_EQ(bytes, TextBytes("234"));
  EXPECT_EQ(ReadFilePart(file, 8, 100, bytes), 0u);
  EXPECT_EQ(bytes, TextBytes("89"));
  EXPECT_EQ(ReadFilePart(file, 10, 4, bytes), 0u);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadFilePart(file, 0xFFFFFFFFFFull, 4, bytes), 0u);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadFilePart(folder.Text(folder.Path() / "no.bin"), 0, 4, bytes), kErrorFileNotFound);
  EXPECT_EQ(ReadFilePart(folder.Text(folder.Path()), 0, 4, bytes), kErrorAccessDenied);
}

}  // namespace
}  // namespace varnel
