// The executable a LocalServer32 command line names, and the comparison of
// it with a server's path through a double of the path service: the real
// one (tests/win/path_names_test.cpp) meets the file system.

#include <gtest/gtest.h>

#include <map>

#include "setup/ServerCommandLine.h"

using namespace varnel;
using namespace varnel::setup;

TEST(ExecutableOfCommandLine, QuotedUnquotedWithAndWithoutArguments) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"\"C:\\Program Files\\Q\\s.exe\" -Automation", u"C:\\Program Files\\Q\\s.exe"},
      {u"\"C:\\Program Files\\Q\\s.exe\"", u"C:\\Program Files\\Q\\s.exe"},
      {u"  \"C:\\s.exe\"/Embedding", u"C:\\s.exe"},
      {u"\"C:\\Program Files\\s.exe", u"C:\\Program Files\\s.exe"},  // no closing quote
      {u"C:\\Servidores\\s.exe", u"C:\\Servidores\\s.exe"},
      {u"C:\\Servidores\\s.exe /Embedding", u"C:\\Servidores\\s.exe"},
      {u"\tC:\\Servidores\\s.EXE\t-x  ", u"C:\\Servidores\\s.EXE"},
      {u"C:\\Program Files\\Q\\s.exe -Automation", u"C:\\Program Files\\Q\\s.exe"},
      {u"C:\\Program Files\\Q\\Servidor Ventas.Exe", u"C:\\Program Files\\Q\\Servidor Ventas.Exe"},
      {u"C:\\a.exe.bak\\s.exe -x", u"C:\\a.exe.bak\\s.exe"},  // ".exe" must end the word
      {u"C:\\Program Files\\Q\\servidor -x", u"C:\\Program Files\\Q\\servidor -x"},
      {u"C:\\Q\\servidor.ex_", u"C:\\Q\\servidor.ex_"},
      {u"\\\\srv\\share\\s.exe -x", u"\\\\srv\\share\\s.exe"},
      {u"", u""},
      {u"   ", u""},
      {u"\"\" s.exe", u""},
  };
  for (const auto& [line, expected] : cases)
    EXPECT_EQ(ExecutableOfCommandLine(line), expected) << ToUtf8(line);
}

namespace {

// Short names resolved from a table; relative paths made full against
// C:\Cur; letter case folded for ASCII and the few accented letters used.
class TablePaths final : public IPathNames {
 public:
  std::map<String, String> longForms;
  String LongFullPath(const String& path) override {
    String full = path.size() > 1 && path[1] == u':' ? path : u"C:\\Cur\\" + path;
    const auto found = longForms.find(full);
    return found == longForms.end() ? full : found->second;
  }
  bool SameIgnoringCase(const String& a, const String& b) override { return Fold(a) == Fold(b); }

 private:
  static String Fold(String text) {
    for (char16_t& c : text) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
      if (c == u'ñ') c = u'Ñ';
      if (c == u'ú') c = u'Ú';
    }
    return text;
  }
};

}  // namespace

TEST(SameExecutable, ComparesLongFullFormsWithoutRegardToCase) {
  TablePaths paths;
  paths.longForms[u"C:\\PROGRA~1\\QUIRAL\\SERVID~1.EXE"] =
      u"C:\\Program Files\\Quiral\\Servidor.exe";
  paths.longForms[u"C:\\Cur\\NANDU~1.EXE"] = u"C:\\Cur\\ñandú.exe";

  EXPECT_TRUE(SameExecutable(paths, u"\"C:\\PROGRA~1\\QUIRAL\\SERVID~1.EXE\" -Automation",
                             u"C:\\Program Files\\Quiral\\Servidor.exe"));
  EXPECT_TRUE(SameExecutable(paths, u"C:\\Program Files\\Quiral\\SERVIDOR.EXE /Embedding",
                             u"C:\\PROGRA~1\\QUIRAL\\SERVID~1.EXE"));
  EXPECT_TRUE(SameExecutable(paths, u"NANDU~1.EXE", u"C:\\Cur\\ÑANDÚ.EXE"));
  EXPECT_FALSE(SameExecutable(paths, u"\"C:\\Otra\\Servidor.exe\"",
                              u"C:\\Program Files\\Quiral\\Servidor.exe"));
  EXPECT_FALSE(SameExecutable(paths, u"C:\\Program Files\\Quiral\\Servidor.exe.bak",
                              u"C:\\Program Files\\Quiral\\Servidor.exe"));
  // Nothing registered names nothing, not the current folder.
  EXPECT_FALSE(SameExecutable(paths, u"", u"C:\\Cur\\"));
  EXPECT_FALSE(SameExecutable(paths, u"\"\"", u"C:\\Cur\\"));
  EXPECT_FALSE(SameExecutable(paths, u"C:\\Cur\\s.exe", u""));
}
