#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "runtime/Exceptions.h"
#include "setup/FileSearch.h"
#include "setup/RegistrationRun.h"
#include "setup/ServerNames.h"

using namespace varnel;
using namespace varnel::setup;

namespace {

// A folder tree in memory. Patterns are matched on "*" (everything) or
// "*.ext" (case-insensitive suffix of the long name), as the file system
// would; identities are counted.
class FakeFolders final : public IFolderEnumerator {
 public:
  struct Node {
    std::vector<FolderEntry> entries;
    std::uint64_t id = 0;
  };
  std::map<String, Node> folders;  // key: folder path with trailing backslash
  std::vector<String> patterns;
  std::vector<String> identities;

  void Enumerate(const String& pattern,
                 const std::function<void(const FolderEntry&)>& visit) override {
    patterns.push_back(pattern);
    const std::size_t cut = pattern.rfind(u'\\');
    const String folder = pattern.substr(0, cut + 1);
    const String mask = pattern.substr(cut + 1);
    const auto found = folders.find(folder);
    if (found == folders.end()) return;
    for (const FolderEntry& entry : found->second.entries) {
      if (mask == u"*" || Matches(entry.Name, mask.substr(1))) visit(entry);
    }
  }
  std::optional<FolderIdentity> Identity(const String& folder) override {
    identities.push_back(folder);
    const auto found = folders.find(folder);
    if (found == folders.end()) return std::nullopt;
    FolderIdentity identity{1, {}};
    identity.File[15] = static_cast<std::uint8_t>(found->second.id);
    return identity;
  }
  static bool Matches(const String& name, const String& suffix) {
    if (name.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
      char16_t a = name[name.size() - suffix.size() + i], b = suffix[i];
      if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a + 32);
      if (b >= u'A' && b <= u'Z') b = static_cast<char16_t>(b + 32);
      if (a != b) return false;
    }
    return true;
  }
  void Add(const String& folder, std::uint64_t id, std::vector<FolderEntry> entries) {
    folders[folder] = Node{std::move(entries), id};
  }
};

constexpr std::uint32_t kDir = kAttributeDirectory;
constexpr std::uint32_t kLink = kAttributeDirectory | kAttributeReparsePoint;

std::vector<String> Search(FakeFolders& folders, const String& root) {
  TStringList found;
  FileSearch(folders, found).BuscarArchivos(root, u"*.exe", true);
  return {found.begin(), found.end()};
}

}  // namespace

TEST(FileSearch, DepthFirstPreOrderKeepsHiddenFilesSkipsHiddenAndSystemFolders) {
  FakeFolders f;
  f.Add(u"C:\\S\\", 1,
        {{u".", {}, kDir}, {u"..", {}, kDir}, {u"a.exe", {}, 0x20}, {u"b.exe", {}, 0x20},
         {u"oculto.exe", {}, kAttributeHidden}, {u"s1", {}, kDir}, {u"s2", {}, kDir},
         {u"h", {}, kDir | kAttributeHidden}, {u"y", {}, kDir | kAttributeSystem}, {u"notas.txt", {}, 0}});
  f.Add(u"C:\\S\\s1\\", 2, {{u"c.exe", {}, 0}, {u"t", {}, kDir}});
  f.Add(u"C:\\S\\s1\\t\\", 3, {{u"d.exe", {}, 0}});
  f.Add(u"C:\\S\\s2\\", 4, {{u"e.exe", {}, 0}});
  f.Add(u"C:\\S\\h\\", 5, {{u"oculta.exe", {}, 0}});
  f.Add(u"C:\\S\\y\\", 6, {{u"sistema.exe", {}, 0}});
  EXPECT_EQ(Search(f, u"C:\\S"),
            (std::vector<String>{u"C:\\S\\a.exe", u"C:\\S\\b.exe", u"C:\\S\\oculto.exe",
                                 u"C:\\S\\s1\\c.exe", u"C:\\S\\s1\\t\\d.exe",
                                 u"C:\\S\\s2\\e.exe"}));
}

TEST(FileSearch, FolderEntriesMatchingTheMaskAreNotFiles) {
  FakeFolders f;
  f.Add(u"C:\\S\\", 1, {{u"x.exe", {}, kDir}, {u"z.exe", {}, 0}});
  f.Add(u"C:\\S\\x.exe\\", 2, {{u"dentro.exe", {}, 0}});
  EXPECT_EQ(Search(f, u"C:\\S"),
            (std::vector<String>{u"C:\\S\\z.exe", u"C:\\S\\x.exe\\dentro.exe"}));
}

TEST(FileSearch, DriveRootGetsNoSecondBackslash) {
  FakeFolders f;
  f.Add(u"D:\\", 1, {{u"r.exe", {}, 0}});
  EXPECT_EQ(Search(f, u"D:\\"), (std::vector<String>{u"D:\\r.exe"}));
  EXPECT_EQ(f.patterns.front(), u"D:\\*");
}

TEST(FileSearch, MissingFolderFindsNothingAndRaisesNothing) {
  FakeFolders f;
  EXPECT_TRUE(Search(f, u"C:\\NoExiste").empty());
}

TEST(FileSearch, ALoopEndsAtTheLinkButASecondLinkToAFolderIsSearchedAgain) {
  FakeFolders f;
  // "bucle" leads back to the chosen folder (one of its own ancestors);
  // "alias" leads to "otro" a second time, which is no loop.
  f.Add(u"C:\\S\\", 1, {{u"a.exe", {}, 0}, {u"bucle", {}, kLink}, {u"otro", {}, kDir},
                       {u"alias", {}, kLink}});
  f.Add(u"C:\\S\\bucle\\", 1, {{u"a.exe", {}, 0}, {u"bucle", {}, kLink}, {u"otro", {}, kDir},
                              {u"alias", {}, kLink}});
  f.Add(u"C:\\S\\otro\\", 2, {{u"b.exe", {}, 0}, {u"vuelta", {}, kLink}});
  f.Add(u"C:\\S\\otro\\vuelta\\", 1, {{u"a.exe", {}, 0}});
  f.Add(u"C:\\S\\alias\\", 2, {{u"b.exe", {}, 0}, {u"vuelta", {}, kLink}});
  f.Add(u"C:\\S\\alias\\vuelta\\", 1, {{u"a.exe", {}, 0}});
  EXPECT_EQ(Search(f, u"C:\\S"),
            (std::vector<String>{u"C:\\S\\a.exe", u"C:\\S\\otro\\b.exe",
                                 u"C:\\S\\alias\\b.exe"}));
}

TEST(FileSearch, ALoopBelowALinkIsFoundAtThePlainFolderThatClosesIt) {
  FakeFolders f;
  // The chosen folder is C:\X\b\c (id 3); its "arriba" leads to C:\X
  // (id 1), whose plain subfolders b\c lead back to the chosen folder.
  f.Add(u"C:\\X\\b\\c\\", 3, {{u"c.exe", {}, 0}, {u"arriba", {}, kLink}});
  f.Add(u"C:\\X\\b\\c\\arriba\\", 1, {{u"x.exe", {}, 0}, {u"b", {}, kDir}});
  f.Add(u"C:\\X\\b\\c\\arriba\\b\\", 2, {{u"b.exe", {}, 0}, {u"c", {}, kDir}});
  f.Add(u"C:\\X\\b\\c\\arriba\\b\\c\\", 3, {{u"c.exe", {}, 0}, {u"arriba", {}, kLink}});
  EXPECT_EQ(Search(f, u"C:\\X\\b\\c"),
            (std::vector<String>{u"C:\\X\\b\\c\\c.exe", u"C:\\X\\b\\c\\arriba\\x.exe",
                                 u"C:\\X\\b\\c\\arriba\\b\\b.exe"}));
}

TEST(FileSearch, APlainTreeReadsNoIdentityAndEachFolderOnce) {
  FakeFolders f;
  f.Add(u"C:\\S\\", 1, {{u"a.exe", {}, 0}, {u"s1", {}, kDir}});
  f.Add(u"C:\\S\\s1\\", 2, {{u"c.exe", {}, 0}});
  EXPECT_EQ(Search(f, u"C:\\S"), (std::vector<String>{u"C:\\S\\a.exe", u"C:\\S\\s1\\c.exe"}));
  EXPECT_TRUE(f.identities.empty());
  EXPECT_EQ(f.patterns, (std::vector<String>{u"C:\\S\\*", u"C:\\S\\s1\\*"}));
}

TEST(FileSearch, ShortNamesMatchAsThePlatformMatchesThem) {
  FakeFolders f;
  f.Add(u"C:\\S\\", 1,
        {{u"A.EXE", {}, 0}, {u"a.exe1", u"A~1.EXE", 0}, {u"b.exe1", {}, 0},
         {u"a.exe.bak", u"AEXE~1.BAK", 0}, {u".exe", {}, 0}, {u"g.e.exe", u"GE~1.EXE", 0},
         {u"exe", {}, 0}, {u"h.ex\u00E9", u"H~1.EX_", 0}});
  EXPECT_EQ(Search(f, u"C:\\S"),
            (std::vector<String>{u"C:\\S\\A.EXE", u"C:\\S\\a.exe1", u"C:\\S\\.exe",
                                 u"C:\\S\\g.e.exe"}));
}

TEST(FileSearch, OtherMasksAreLeftToThePlatform) {
  FakeFolders f;
  f.Add(u"C:\\S\\", 1, {{u"a.exe", {}, 0}, {u"s1", {}, kDir}});
  f.Add(u"C:\\S\\s1\\", 2, {{u"c.exe", {}, 0}});
  TStringList found;
  FileSearch(f, found).BuscarArchivos(u"C:\\S", u"*.e?e", true);
  EXPECT_EQ(f.patterns, (std::vector<String>{u"C:\\S\\*.e?e", u"C:\\S\\*", u"C:\\S\\s1\\*.e?e",
                                             u"C:\\S\\s1\\*"}));
  for (const char16_t* mask : {u"*.exe", u"*.EXE", u"*.dll", u"*.7z"})
    EXPECT_TRUE(ExtensionMask::From(mask).has_value()) << ToUtf8(mask);
  for (const char16_t* mask : {u"*.*", u"*", u"*.e?e", u"*.e*", u"a*.exe", u"*.", u"*.msi",
                               u"*.bas", u"*.tar.gz", u"*.ex\u00E9"})
    EXPECT_FALSE(ExtensionMask::From(mask).has_value()) << ToUtf8(mask);
}

TEST(FileSearch, NonRecursiveStopsAfterTheFilePass) {
  FakeFolders f;
  f.Add(u"C:\\S\\", 1, {{u"a.exe", {}, 0}, {u"s1", {}, kDir}});
  f.Add(u"C:\\S\\s1\\", 2, {{u"c.exe", {}, 0}});
  TStringList found;
  FileSearch(f, found).BuscarArchivos(u"C:\\S", u"*.exe", false);
  ASSERT_EQ(found.Count(), 1);
  EXPECT_EQ(found[0], u"C:\\S\\a.exe");
}

TEST(ServerNames, BaseNameStopsAtTheFirstDot) {
  EXPECT_EQ(BaseName(u"C:\\S\\Servidor.exe"), u"Servidor");
  EXPECT_EQ(BaseName(u"C:\\S\\Servidor.Uno.exe"), u"Servidor");
  EXPECT_EQ(BaseName(u"C:\\S.d\\SinPunto"), u"");
  EXPECT_EQ(BaseName(u"C:Local.exe"), u"Local");
  EXPECT_EQ(ProgIdFor(u"Servidor"), u"Servidor.ServidorDMR");
  EXPECT_EQ(ProgIdFor(u""), u".DMR");
}

TEST(Validation, ChecksRunInOrderOnlyForEsteUsuario) {
  auto message = [](bool este, const String& u, const String& p, const String& c) -> String {
    try {
      ValidarCredenciales(este, u, p, c);
      return u"ok";
    } catch (const Exception& e) {
      return e.Message();
    }
  };
  EXPECT_EQ(message(true, u"", u"", u"x"), u"Debe digitar un Usuario.");
  EXPECT_EQ(message(true, u"u", u"", u""), u"Debe digitar una contraseña.");
  EXPECT_EQ(message(true, u"u", u"Clave", u"clave"),
            u"La confirmación de la contraseña no es igual.");
  EXPECT_EQ(message(true, u"u", u"clave", u"clave "),
            u"La confirmación de la contraseña no es igual.");
  EXPECT_EQ(message(true, u"   ", u"c", u"c"), u"ok");  // nothing is trimmed
  EXPECT_EQ(message(false, u"", u"", u""), u"ok");
}

TEST(Validation, AnEmptyPathIsRefusedPerMode) {
  EXPECT_THROW(ValidarRuta(0, u""), Exception);
  try {
    ValidarRuta(0, u"");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Debe seleccionar un directorio.");
  }
  try {
    ValidarRuta(1, u"");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Debe seleccionar un programa.");
  }
  EXPECT_NO_THROW(ValidarRuta(1, u"C:\\x.exe"));
}

namespace {

// Records every step of a run in one event list.
class RecordingSteps final : public IRunSteps {
 public:
  std::vector<String> events;
  std::map<String, String> descriptions;  // path -> FileDescription
  std::map<String, String> guids;         // progId -> guid
  String failVersionOf, failRegisterOf, failIdentityOf;
  String serverName;

  class Progress final : public IRunProgress {
   public:
    explicit Progress(std::vector<String>& e) : events(e) {}
    ~Progress() override { events.push_back(u"released"); }
    void Inicializar(std::int32_t n, bool reset) override {
      events.push_back(u"Inicializar " + IntToStr(n) + (reset ? u" true" : u" false"));
    }
    void MensajeDelProceso(const String& v) override { events.push_back(u"Mensaje " + v); }
    void NombreItemActual(const String& v) override { events.push_back(u"Item " + v); }
    void ItemActualTerminado() override { events.push_back(u"Terminado"); }
    void Finalizar() override { events.push_back(u"Finalizar"); }
    std::vector<String>& events;
  };

  std::unique_ptr<IRunProgress> CrearVentanaDeProgreso() override {
    events.push_back(u"created");
    return std::make_unique<Progress>(events);
  }
  void LeerVersion(const String& path, TEXEVersionData& data) override {
    EXPECT_TRUE(data.FileDescription.empty()) << "the record must start empty";
    if (path == failVersionOf) throw EOSError(u"System Error.  Code: 1812.\r\nno version", 1812);
    const auto found = descriptions.find(path);
    if (found != descriptions.end()) data.FileDescription = found->second;
  }
  void Registrar(const String& path) override {
    events.push_back(u"Registrar " + path);
    if (path == failRegisterOf) throw Exception(u"No se pudo ejecutar " + path + u".");
  }
  void SetServerName(const String& progId) override {
    serverName = progId;
    events.push_back(u"ServerName " + progId);
  }
  String ServerGUID() override {
    const auto found = guids.find(serverName);
    return found == guids.end() ? String() : found->second;
  }
  void AsignarPermisosDcom(const String& guid) override {
    events.push_back(u"Permisos " + guid);
    if (guid == failIdentityOf) throw Exception(u"identidad");
  }
};

TStringList Paths(std::initializer_list<const char16_t*> items) {
  TStringList list;
  for (const char16_t* item : items) list.Add(item);
  return list;
}

}  // namespace

TEST(ProcesarServidores, TwoPhasesInOrderWithLabelsAndFinalizeBetween) {
  RecordingSteps steps;
  steps.descriptions[u"C:\\S\\Uno.exe"] = u"Servidor Uno";
  steps.guids[u"Uno.UnoDMR"] = u"{11111111-0000-0000-0000-000000000001}";
  steps.guids[u"Dos.DosDMR"] = u"{22222222-0000-0000-0000-000000000002}";
  TStringList errores;
  ProcesarServidores(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), errores);
  EXPECT_EQ(errores.Count(), 0);
  const std::vector<String> expected = {
      u"created", u"Inicializar 2 true", u"Mensaje Registrando Servidores DCOM...",
      u"Item Uno - Servidor Uno", u"Registrar C:\\S\\Uno.exe", u"Terminado",
      u"Item Dos - ",  // no description: nothing after the dash
      u"Registrar C:\\S\\Dos.exe", u"Terminado", u"Finalizar", u"Inicializar 2 true",
      u"Mensaje Asignando permisos DCOM...", u"Item Uno - Servidor Uno",
      u"ServerName Uno.UnoDMR", u"Permisos {11111111-0000-0000-0000-000000000001}", u"Terminado",
      u"Item Dos - ", u"ServerName Dos.DosDMR", u"Permisos {22222222-0000-0000-0000-000000000002}",
      u"Terminado", u"Finalizar", u"released"};
  EXPECT_EQ(steps.events, expected);
}

TEST(ProcesarServidores, AFailedStartIsCountedAndTheServerStillGetsPhaseTwo) {
  RecordingSteps steps;
  steps.failRegisterOf = u"C:\\S\\Uno.exe";
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  TStringList errores;
  ProcesarServidores(steps, Paths({u"C:\\S\\Uno.exe"}), errores);
  EXPECT_EQ(errores.Count(), 1);
  EXPECT_NE(std::find(steps.events.begin(), steps.events.end(), u"Permisos {1}"),
            steps.events.end());
}

TEST(ProcesarServidores, AnUnregisteredIdentifierFailsWithoutStartingTheTool) {
  RecordingSteps steps;
  steps.guids[u"Dos.DosDMR"] = u"{2}";
  TStringList errores;
  ProcesarServidores(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), errores);
  ASSERT_EQ(errores.Count(), 1);
  EXPECT_NE(errores[0].find(u"Uno.UnoDMR"), String::npos);
  for (const String& e : steps.events) EXPECT_NE(e, u"Permisos ");
  EXPECT_NE(std::find(steps.events.begin(), steps.events.end(), u"Permisos {2}"),
            steps.events.end());
}

TEST(ProcesarServidores, AnIdentityFailureIsOneEntryAndTheRunGoesOn) {
  RecordingSteps steps;
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  steps.guids[u"Dos.DosDMR"] = u"{2}";
  steps.failIdentityOf = u"{1}";
  TStringList errores;
  ProcesarServidores(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), errores);
  EXPECT_EQ(errores.Count(), 1);
  EXPECT_EQ(steps.events.back(), u"released");
}

TEST(ProcesarServidores, AVersionFailureEndsTheRunAfterFinishingTheWindow) {
  RecordingSteps steps;
  steps.failVersionOf = u"C:\\S\\Dos.exe";
  TStringList errores;
  EXPECT_THROW(ProcesarServidores(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe",
                                                u"C:\\S\\Tres.exe"}),
                                  errores),
               EOSError);
  EXPECT_EQ(errores.Count(), 0);
  const std::vector<String> tail(steps.events.end() - 2, steps.events.end());
  EXPECT_EQ(tail, (std::vector<String>{u"Finalizar", u"released"}));
  for (const String& e : steps.events) EXPECT_NE(e, u"Registrar C:\\S\\Tres.exe");
}

TEST(ProcesarServidores, NoItemsStillEndsCleanly) {
  RecordingSteps steps;
  TStringList errores;
  ProcesarServidores(steps, TStringList(), errores);
  EXPECT_EQ(steps.events,
            (std::vector<String>{u"created", u"Inicializar 0 true",
                                 u"Mensaje Registrando Servidores DCOM...", u"Finalizar",
                                 u"Inicializar 0 true", u"Mensaje Asignando permisos DCOM...",
                                 u"Finalizar", u"released"}));
}
