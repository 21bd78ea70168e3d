// The version reader on real executables under Windows: the portable source
// (our own PE and version-block readers) and the platform's version.dll
// must give the same record, the same failure code and the same message for
// every versioned fixture, for broken files and for Varnel.exe itself.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/win32/Errors.h"
#include "platform/win32/VersionSourceWin32.h"
#include "runtime/Exceptions.h"
#include "versioninfo/PeVersionSource.h"
#include "versioninfo/VersionInfo.h"

namespace varnel {

using namespace varnel::versioninfo;
namespace {

String WindowsPath(std::string_view linuxPath) {
  String path = u"Z:" + FromUtf8(linuxPath);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return path;
}

String Fixture(std::string_view name) {
  return WindowsPath(std::string(VARNEL_BINARY_DIR "/fixtures/versioned/") + std::string(name));
}

TEXEVersionData Sentinels() {
  return TEXEVersionData{u"old1", u"old2", u"old3", u"old4",  u"old5",  u"old6",
                         u"old7", u"old8", u"old9", u"old10", u"old11", u"old12"};
}

std::vector<String> Fields(const TEXEVersionData& d) {
  return {d.CompanyName,    d.FileDescription, d.FileVersion,      d.InternalName,
          d.LegalCopyright, d.LegalTrademarks, d.OriginalFileName, d.ProductName,
          d.ProductVersion, d.Comments,        d.PrivateBuild,     d.SpecialBuild};
}

struct Outcome {
  bool failed = false;
  std::uint32_t code = 0;
  String message;
  TEXEVersionData data = Sentinels();
};

Outcome Read(IVersionSource& source, const String& path) {
  Outcome outcome;
  try {
    GetEXEVersionData(source, path, outcome.data);
  } catch (const EOSError& e) {
    outcome.failed = true;
    outcome.code = e.ErrorCode;
    outcome.message = e.Message();
  }
  return outcome;
}

// Reads `path` through both sources and checks that they agree.
Outcome ReadBoth(const String& path) {
  win32::VersionSourceWin32 platform;
  StreamFileReader files;
  PeVersionSource portable(files, win32::SystemErrorText);
  const Outcome expected = Read(platform, path);
  const Outcome actual = Read(portable, path);
  const std::string where = ToUtf8(path);
  EXPECT_EQ(actual.failed, expected.failed) << where;
  EXPECT_EQ(actual.code, expected.code) << where;
  EXPECT_EQ(actual.message, expected.message) << where;
  EXPECT_EQ(Fields(actual.data), Fields(expected.data)) << where;
  return expected;
}

String ExpectedMessage(std::uint32_t code) {
  const String text = win32::SystemErrorText(code);
  EXPECT_FALSE(text.empty()) << code;
  String trimmed = text;
  while (!trimmed.empty() && (trimmed.back() <= u' ' || trimmed.back() == u'.')) trimmed.pop_back();
  return u"System Error.  Code: " + IntToStr(code) + u".\r\n" + trimmed;
}

TEST(VersionSources, AgreeOnEveryVersionedFixture) {
  const Outcome withdesc = ReadBoth(Fixture("withdesc.exe"));
  ASSERT_FALSE(withdesc.failed);
  EXPECT_EQ(Fields(withdesc.data),
            (std::vector<String>{u"Prueba Compañía", u"Servidor de prueba", u"1.2.3.4", u"withdesc",
                                 u"Copyright © Ñandú", u"Marca de prueba", u"withdesc.exe",
                                 u"Producto de prueba", u"1.2", u"old10", u"old11", u"especial"}));

  const Outcome twotrans = ReadBoth(Fixture("twotrans.exe"));
  ASSERT_FALSE(twotrans.failed);
  EXPECT_EQ(Fields(twotrans.data), Fields(Sentinels()));

  const Outcome spanish = ReadBoth(Fixture("spanish.exe"));
  ASSERT_FALSE(spanish.failed);
  EXPECT_EQ(
      Fields(spanish.data),
      (std::vector<String>{u"Compañía Española", u"Servidor en español", u"3.1.0.7", u"spanish",
                           u"© Pruebas", u"Ninguna", u"spanish.exe", u"Producto español", u"3.1",
                           u"Comentario con acentos: áéíóú", u"privada", u"especial"}));

  const Outcome emptydesc = ReadBoth(Fixture("emptydesc.exe"));
  ASSERT_FALSE(emptydesc.failed);
  EXPECT_EQ(emptydesc.data.CompanyName, u"Vacía");
  EXPECT_EQ(emptydesc.data.FileDescription, u"");
  EXPECT_EQ(emptydesc.data.FileVersion, u"4.0.0.0");
  EXPECT_EQ(emptydesc.data.InternalName, u"old4");
}

TEST(VersionSources, AgreeOnTheProgramsOwnExecutable) {
  const Outcome varnel = ReadBoth(WindowsPath(VARNEL_BINARY_DIR "/bin/Varnel.exe"));
  ASSERT_FALSE(varnel.failed) << ToUtf8(varnel.message);
  EXPECT_EQ(varnel.data.FileVersion, u"16.0.1.1");
  EXPECT_EQ(varnel.data.FileDescription, u"Configuración Servidores Quiral Velmira");
  EXPECT_EQ(varnel.data.InternalName, u"old4");
  EXPECT_EQ(varnel.data.OriginalFileName, u"old7");
  EXPECT_EQ(varnel.data.PrivateBuild, u"old11");
  EXPECT_EQ(varnel.data.SpecialBuild, u"old12");
}

TEST(VersionSources, FailWithTheSystemsCodeAndMessage) {
  // Wine reports a file without version resource as having no resource
  // data (1812), whatever resources it holds; a missing file as 2.
  const Outcome missing = ReadBoth(Fixture("missing.exe"));
  EXPECT_TRUE(missing.failed);
  EXPECT_EQ(missing.code, 2u);
  EXPECT_EQ(missing.message, ExpectedMessage(2));
  EXPECT_EQ(Fields(missing.data), Fields(Sentinels()));

  const Outcome noDir = ReadBoth(Fixture("nodir/missing.exe"));
  EXPECT_EQ(noDir.code, 3u);

  const Outcome noversion = ReadBoth(Fixture("noversion.exe"));
  EXPECT_TRUE(noversion.failed);
  EXPECT_EQ(noversion.code, 1812u);
  EXPECT_EQ(noversion.message, ExpectedMessage(1812));
  EXPECT_EQ(Fields(noversion.data), Fields(Sentinels()));
}

TEST(VersionSources, AgreeOnBrokenFiles) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("varnel_version_" + std::to_string(::GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  const auto source = std::filesystem::path(VARNEL_BINARY_DIR "/fixtures/versioned/withdesc.exe");
  std::ifstream in(source, std::ios::binary);
  const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(image.size(), 1024u);
  auto write = [&dir](const char* name, std::string_view bytes) {
    std::ofstream out(dir / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return dir / name;
  };
  auto pathOf = [](const std::filesystem::path& p) {
    const std::u8string text = p.u8string();
    return FromUtf8(std::string(text.begin(), text.end()));
  };
  for (const auto& file : {write("text.exe", "just some text, not a program\r\n"),
                           write("empty.exe", ""), write("headers.exe", image.substr(0, 300))}) {
    const Outcome broken = ReadBoth(pathOf(file));
    EXPECT_TRUE(broken.failed) << file;
    EXPECT_EQ(broken.code, 1812u) << file;
  }
  EXPECT_TRUE(ReadBoth(pathOf(dir)).failed);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace varnel
