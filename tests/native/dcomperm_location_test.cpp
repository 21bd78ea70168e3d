// Where DComPerm.exe is looked for: the order of the folders, the PATH as
// Windows writes it, and never the current folder in any spelling.

#include <gtest/gtest.h>

#include <set>

#include "setup/DComPermLocation.h"

using namespace varnel;
using namespace varnel::setup;

using Folders = std::vector<String>;

TEST(PathFolders, SplitsOnSemicolonsOutsideQuotesAndKeepsOnlyFullPaths) {
  EXPECT_EQ(PathFolders(u"C:\\Windows\\system32;C:\\Windows;\\\\srv\\tools\\bin"),
            (Folders{u"C:\\Windows\\system32", u"C:\\Windows", u"\\\\srv\\tools\\bin"}));
  EXPECT_EQ(PathFolders(u"\"C:\\Program Files\\A;B\";d:/herramientas/"),
            (Folders{u"C:\\Program Files\\A;B", u"d:/herramientas/"}));
  EXPECT_EQ(PathFolders(u"C:\\\"Program Files\"\\Q; C:\\con blancos \t"),
            (Folders{u"C:\\Program Files\\Q", u"C:\\con blancos"}));
  // Empty entries, "." and anything relative all lead to the current folder.
  EXPECT_EQ(PathFolders(u";;.;C:\\a;..;.\\bin;bin;C:relativo;\\raiz;\"\";  ;%SystemRoot%;C:\\b;"),
            (Folders{u"C:\\a", u"C:\\b"}));
  EXPECT_EQ(PathFolders(u""), Folders{});
  EXPECT_EQ(PathFolders(u"\"C:\\sin cerrar;D:\\x"), (Folders{u"C:\\sin cerrar;D:\\x"}));
}

TEST(DComPermSearchFolders, OwnFolderThenSystemFolderThenThePath) {
  EXPECT_EQ(DComPermSearchFolders(u"C:\\Quiral", u"C:\\Windows\\system32",
                                  u".;D:\\Herramientas;C:\\Windows\\system32"),
            (Folders{u"C:\\Quiral", u"C:\\Windows\\system32", u"D:\\Herramientas",
                     u"C:\\Windows\\system32"}));
  // A program started by a relative name has no full own folder to trust.
  EXPECT_EQ(DComPermSearchFolders(u"", u"C:\\Windows\\system32", u""),
            (Folders{u"C:\\Windows\\system32"}));
}

namespace {

class TableFolders final : public IProgramFolders {
 public:
  String own = u"C:\\Quiral";
  String system = u"C:\\Windows\\system32";
  String path;
  std::set<String> files;
  std::vector<String> asked;

  String OwnFolder() override { return own; }
  String SystemFolder() override { return system; }
  String PathVariable() override { return path; }
  bool FileExists(const String& file) override {
    asked.push_back(file);
    return files.count(file) != 0;
  }
};

}  // namespace

TEST(LocateDComPerm, TakesTheFirstFolderThatHoldsIt) {
  TableFolders folders;
  folders.path = u"D:\\Uno\\;\"D:\\Dos\"";
  folders.files = {u"D:\\Dos\\DComPerm.exe", u"D:\\Uno\\DComPerm.exe"};
  EXPECT_EQ(LocateDComPerm(folders), u"D:\\Uno\\DComPerm.exe");
  EXPECT_EQ(folders.asked,
            (Folders{u"C:\\Quiral\\DComPerm.exe", u"C:\\Windows\\system32\\DComPerm.exe",
                     u"D:\\Uno\\DComPerm.exe"}));

  folders.files.insert(u"C:\\Windows\\system32\\DComPerm.exe");
  EXPECT_EQ(LocateDComPerm(folders), u"C:\\Windows\\system32\\DComPerm.exe");
  folders.files.insert(u"C:\\Quiral\\DComPerm.exe");
  EXPECT_EQ(LocateDComPerm(folders), u"C:\\Quiral\\DComPerm.exe");
}

TEST(LocateDComPerm, NothingInTheTrustedFoldersIsNothingFound) {
  TableFolders folders;
  folders.path = u".;;herramientas;..\\bin";
  // What the current folder holds, under any name for it, is never asked for.
  folders.files = {u"DComPerm.exe", u".\\DComPerm.exe", u"herramientas\\DComPerm.exe",
                   u"..\\bin\\DComPerm.exe"};
  EXPECT_EQ(LocateDComPerm(folders), std::nullopt);
  EXPECT_EQ(folders.asked,
            (Folders{u"C:\\Quiral\\DComPerm.exe", u"C:\\Windows\\system32\\DComPerm.exe"}));
}
