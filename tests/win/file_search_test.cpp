// The search over the real file system: one enumeration of "*" per folder,
// matching "*.exe" itself, must find exactly what the platform's own
// "*.exe" lookup finds, in the same order, names that only their 8.3 alias
// matches included. And folder identities tell folders apart whatever path
// leads to them.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/FolderEnumeratorWin32.h"
#include "platform/win32/Text.h"
#include "setup/FileSearch.h"

using namespace varnel;
using namespace varnel::setup;
using win32::FromW;
using win32::W;

namespace {

class Tree {
 public:
  Tree() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    root_ = FromW(temp) + u"varnel_search_" + IntToStr(::GetCurrentProcessId());
    Folder(u"");
  }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;
  ~Tree() {
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
      ::SetFileAttributesW(W(*it), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(W(*it));
    }
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
      ::SetFileAttributesW(W(*it), FILE_ATTRIBUTE_NORMAL);
      ::RemoveDirectoryW(W(*it));
    }
  }
  const String& Root() const { return root_; }
  String Folder(const String& relative, DWORD attributes = 0) {
    const String path = relative.empty() ? root_ : root_ + u"\\" + relative;
    ::CreateDirectoryW(W(path), nullptr);
    if (attributes) ::SetFileAttributesW(W(path), attributes);
    folders_.push_back(path);
    return path;
  }
  void File(const String& relative, DWORD attributes = 0) {
    const String path = root_ + u"\\" + relative;
    const HANDLE file = ::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    if (attributes) ::SetFileAttributesW(W(path), attributes);
    files_.push_back(path);
  }

 private:
  String root_;
  std::vector<String> folders_;
  std::vector<String> files_;
};

// The search as it was written first: the platform's "*.exe" lookup for the
// files, then "*.*" for the subfolders, each walked as it is met.
void TwoPassSearch(const String& folder, std::vector<String>& found) {
  const String prefix = folder + u"\\";
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileW(W(prefix + u"*.exe"), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        found.push_back(prefix + FromW(data.cFileName));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  find = ::FindFirstFileW(W(prefix + u"*.*"), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const String name = FromW(data.cFileName);
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    if (name == u"." || name == u"..") continue;
    TwoPassSearch(prefix + name, found);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

std::vector<String> Search(const String& root) {
  win32::FolderEnumeratorWin32 folders;
  TStringList found;
  setup::FileSearch(folders, found).BuscarArchivos(root, u"*.exe", true);
  return {found.begin(), found.end()};
}

}  // namespace

TEST(FileSearchWin32, OneEnumerationFindsWhatThePlatformsOwnLookupFinds) {
  Tree tree;
  for (const char16_t* name :
       {u"b.exe", u"A.EXE", u"a.exe1", u"a.exe.bak", u"c.exex", u"d.ex", u"e.exe~", u".exe",
        u"g.e.exe", u"longfilename.exe", u"sp ace.exe", u"x.exe1234", u"y.EXE_", u"h.ex\u00E9",
        u"notas.txt", u"\u00F1and\u00FA.exe", u"Fx\U0001F600.exe"})
    tree.File(name);
  tree.File(u"oculto.exe", FILE_ATTRIBUTE_HIDDEN);
  tree.Folder(u"s1");
  tree.File(u"s1\\c.exe");
  tree.Folder(u"s1\\t");
  tree.File(u"s1\\t\\d.EXE");
  tree.File(u"s1\\t\\d.exe2");
  tree.Folder(u"carpeta.exe");
  tree.File(u"carpeta.exe\\dentro.exe");
  tree.Folder(u"h", FILE_ATTRIBUTE_HIDDEN);
  tree.File(u"h\\oculta.exe");
  tree.Folder(u"y", FILE_ATTRIBUTE_SYSTEM);
  tree.File(u"y\\sistema.exe");
  tree.Folder(u"vac\u00EDa");

  std::vector<String> expected;
  TwoPassSearch(tree.Root(), expected);
  const std::vector<String> found = Search(tree.Root());
  std::string listing;
  for (const String& path : found) listing += ToUtf8(path) + "\n";
  EXPECT_EQ(found, expected) << listing;
  // The platform matches short names: the quirk is kept, not lost.
  EXPECT_NE(std::find(found.begin(), found.end(), tree.Root() + u"\\a.exe1"), found.end())
      << listing;
  EXPECT_EQ(std::find(found.begin(), found.end(), tree.Root() + u"\\a.exe.bak"), found.end());
  EXPECT_EQ(std::find(found.begin(), found.end(), tree.Root() + u"\\h\\oculta.exe"), found.end());
}

TEST(FileSearchWin32, AFolderHasOneIdentityWhateverPathLeadsThere) {
  Tree tree;
  const String one = tree.Folder(u"uno");
  const String two = tree.Folder(u"dos");
  win32::FolderEnumeratorWin32 folders;
  const std::optional<FolderIdentity> direct = folders.Identity(one + u"\\");
  const std::optional<FolderIdentity> roundabout = folders.Identity(two + u"\\..\\uno\\");
  const std::optional<FolderIdentity> other = folders.Identity(two + u"\\");
  ASSERT_TRUE(direct && roundabout && other);
  EXPECT_EQ(*direct, *roundabout);
  EXPECT_NE(*direct, *other);
  EXPECT_NE(direct->File, (std::array<std::uint8_t, 16>{}));
  EXPECT_FALSE(folders.Identity(tree.Root() + u"\\no-existe\\").has_value());
}

TEST(FileSearchWin32, NothingMatchingIsNoFailureAMissingFolderIs) {
  Tree tree;
  tree.Folder(u"s1");
  tree.File(u"s1\\c.exe");
  tree.File(u"notas.txt");
  win32::FolderEnumeratorWin32 folders;
  int visited = 0;
  const auto count = [&](const FolderEntry&) { ++visited; };
  EXPECT_EQ(folders.Enumerate(tree.Root() + u"\\*.dll", count), std::nullopt);
  EXPECT_EQ(folders.Enumerate(tree.Root() + u"\\s1\\*", count), std::nullopt);
  EXPECT_EQ(visited, 3);  // ".", ".." and c.exe
  const std::optional<FolderReadFailure> missing =
      folders.Enumerate(tree.Root() + u"\\no-existe\\*", count);
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->Code, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(missing->SystemText.empty());

  // A whole search of a readable tree lists no folder; a chosen folder that
  // is gone is named.
  TStringList found;
  setup::FileSearch search(folders, found);
  search.BuscarArchivos(tree.Root(), u"*.exe", true);
  EXPECT_EQ(found.Count(), 1);
  EXPECT_TRUE(search.FolderFailures().empty());
  search.BuscarArchivos(tree.Root() + u"\\no-existe", u"*.exe", true);
  ASSERT_EQ(search.FolderFailures().size(), 1u);
  EXPECT_EQ(search.FolderFailures()[0].Folder, tree.Root() + u"\\no-existe");
}
