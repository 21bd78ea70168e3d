#include <gtest/gtest.h>

#include "platform/ShellDialog.h"
#include "setup/SetupRules.h"

using namespace varnel;
using namespace varnel::setup;

TEST(VersionLabelLeft, ExtendedProductTruncatesToIntegerPartOf115wOver100) {
  EXPECT_EQ(VersionLabelLeft(0, 399, 86), 301);
  EXPECT_EQ(VersionLabelLeft(0, 399, 80), 399 - 92);  // exact product: not 91
  EXPECT_EQ(VersionLabelLeft(10, 399, 86), 311);
  for (int w = 0; w <= 20000; ++w)
    ASSERT_EQ(VersionLabelLeft(0, 0, w), -(115 * w / 100)) << "width " << w;
}

TEST(DirectoryGroupCaption, PluralForFolderModeSingularOtherwise) {
  EXPECT_EQ(DirectoryGroupCaption(0), u" Directorio Servidores DCOM Quiral ");
  EXPECT_EQ(DirectoryGroupCaption(1), u" Directorio Servidor DCOM Quiral ");
  EXPECT_EQ(DirectoryGroupCaption(-1), u" Directorio Servidor DCOM Quiral ");
}

TEST(PickerRequest, FolderModePicksFoldersOnlyWithoutFileTypes) {
  for (int mode : {0, -1}) {
    const OpenDialogRequest r = PickerRequest(mode, true);
    EXPECT_EQ(r.Title, u"Seleccionar Directorio Servidores DCOM Quiral");
    EXPECT_EQ(r.Options, 0x20u);
    EXPECT_TRUE(r.FileTypes.empty());
    EXPECT_EQ(r.FileTypeIndex, 0u);
    EXPECT_EQ(r.StartFolder, u"C:\\QUIRAL");
  }
}

TEST(PickerRequest, ProgramModeHasOneExecutableTypeAndNoOptions) {
  const OpenDialogRequest r = PickerRequest(1, false);
  EXPECT_EQ(r.Title, u"Seleccionar Directorio Servidores DCOM Quiral");
  EXPECT_EQ(r.Options, 0u);
  ASSERT_EQ(r.FileTypes.size(), 1u);
  EXPECT_EQ(r.FileTypes[0].first, u"Ejecutables (*.exe)");
  EXPECT_EQ(r.FileTypes[0].second, u"*.exe");
  EXPECT_EQ(r.FileTypeIndex, 1u);
  EXPECT_TRUE(r.StartFolder.empty());  // missing folder: the shell chooses
}

TEST(FolderMissingForError, OnlyTheNotFoundFamilyMeansMissing) {
  for (std::uint32_t code : {2u, 3u, 21u, 53u, 123u}) EXPECT_TRUE(FolderMissingForError(code));
  for (std::uint32_t code : {0u, 5u, 32u, 1920u}) EXPECT_FALSE(FolderMissingForError(code));
}
