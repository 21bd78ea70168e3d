#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "runtime/Exceptions.h"
#include "setup/FileSearch.h"
#include "setup/RegistrationJob.h"
#include "setup/RunSummary.h"
#include "setup/ServerNames.h"

using namespace varnel;
using namespace varnel::setup;
using namespace varnel::versioninfo;

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
  // Folders that cannot be read: the error code, and how many entries they
  // yield before it.
  std::map<String, std::pair<std::uint32_t, std::size_t>> failing;
  std::vector<String> patterns;
  std::vector<String> identities;

  std::optional<FolderReadFailure> Enumerate(
      const String& pattern, const std::function<void(const FolderEntry&)>& visit) override {
    patterns.push_back(pattern);
    const std::size_t cut = pattern.rfind(u'\\');
    const String folder = pattern.substr(0, cut + 1);
    const String mask = pattern.substr(cut + 1);
    const auto failure = failing.find(folder);
    const auto found = folders.find(folder);
    std::size_t yielded = 0;
    if (found != folders.end()) {
      for (const FolderEntry& entry : found->second.entries) {
        if (failure != failing.end() && yielded == failure->second.second) break;
        ++yielded;
        if (mask == u"*" || Matches(entry.Name, mask.substr(1))) visit(entry);
      }
    }
    if (failure == failing.end()) return std::nullopt;
    return FolderReadFailure{failure->second.first, u"Acceso denegado.\r\n"};
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
        {{u".", {}, kDir},
         {u"..", {}, kDir},
         {u"a.exe", {}, 0x20},
         {u"b.exe", {}, 0x20},
         {u"oculto.exe", {}, kAttributeHidden},
         {u"s1", {}, kDir},
         {u"s2", {}, kDir},
         {u"h", {}, kDir | kAttributeHidden},
         {u"y", {}, kDir | kAttributeSystem},
         {u"notas.txt", {}, 0}});
  f.Add(u"C:\\S\\s1\\", 2, {{u"c.exe", {}, 0}, {u"t", {}, kDir}});
  f.Add(u"C:\\S\\s1\\t\\", 3, {{u"d.exe", {}, 0}});
  f.Add(u"C:\\S\\s2\\", 4, {{u"e.exe", {}, 0}});
  f.Add(u"C:\\S\\h\\", 5, {{u"oculta.exe", {}, 0}});
  f.Add(u"C:\\S\\y\\", 6, {{u"sistema.exe", {}, 0}});
  EXPECT_EQ(
      Search(f, u"C:\\S"),
      (std::vector<String>{u"C:\\S\\a.exe", u"C:\\S\\b.exe", u"C:\\S\\oculto.exe",
                           u"C:\\S\\s1\\c.exe", u"C:\\S\\s1\\t\\d.exe", u"C:\\S\\s2\\e.exe"}));
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
  f.Add(u"C:\\S\\", 1,
        {{u"a.exe", {}, 0}, {u"bucle", {}, kLink}, {u"otro", {}, kDir}, {u"alias", {}, kLink}});
  f.Add(u"C:\\S\\bucle\\", 1,
        {{u"a.exe", {}, 0}, {u"bucle", {}, kLink}, {u"otro", {}, kDir}, {u"alias", {}, kLink}});
  f.Add(u"C:\\S\\otro\\", 2, {{u"b.exe", {}, 0}, {u"vuelta", {}, kLink}});
  f.Add(u"C:\\S\\otro\\vuelta\\", 1, {{u"a.exe", {}, 0}});
  f.Add(u"C:\\S\\alias\\", 2, {{u"b.exe", {}, 0}, {u"vuelta", {}, kLink}});
  f.Add(u"C:\\S\\alias\\vuelta\\", 1, {{u"a.exe", {}, 0}});
  EXPECT_EQ(Search(f, u"C:\\S"),
            (std::vector<String>{u"C:\\S\\a.exe", u"C:\\S\\otro\\b.exe", u"C:\\S\\alias\\b.exe"}));
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
        {{u"A.EXE", {}, 0},
         {u"a.exe1", u"A~1.EXE", 0},
         {u"b.exe1", {}, 0},
         {u"a.exe.bak", u"AEXE~1.BAK", 0},
         {u".exe", {}, 0},
         {u"g.e.exe", u"GE~1.EXE", 0},
         {u"exe", {}, 0},
         {u"h.ex\u00E9", u"H~1.EX_", 0}});
  EXPECT_EQ(Search(f, u"C:\\S"), (std::vector<String>{u"C:\\S\\A.EXE", u"C:\\S\\a.exe1",
                                                      u"C:\\S\\.exe", u"C:\\S\\g.e.exe"}));
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

// CI runs as root, which reads every folder: the unreadable ones are the
// double's.
TEST(FileSearch, AnUnreadableFolderIsNamedAndEveryOtherOneStillSearched) {
  FakeFolders f;
  f.Add(u"C:\\S\\", 1,
        {{u"a.exe", {}, 0}, {u"privada", {}, kDir}, {u"s2", {}, kDir}, {u"b.exe", {}, 0}});
  f.Add(u"C:\\S\\privada\\", 2, {{u"p.exe", {}, 0}, {u"dentro", {}, kDir}});
  f.Add(u"C:\\S\\privada\\dentro\\", 3, {{u"q.exe", {}, 0}});
  f.Add(u"C:\\S\\s2\\", 4, {{u"c.exe", {}, 0}, {u"t", {}, kDir}});
  f.Add(u"C:\\S\\s2\\t\\", 5, {{u"d.exe", {}, 0}});
  f.failing[u"C:\\S\\privada\\"] = {5, 0};  // ERROR_ACCESS_DENIED at the first look-up
  TStringList found;
  FileSearch search(f, found);
  search.BuscarArchivos(u"C:\\S", u"*.exe", true);
  EXPECT_EQ(std::vector<String>(found.begin(), found.end()),
            (std::vector<String>{u"C:\\S\\a.exe", u"C:\\S\\b.exe", u"C:\\S\\s2\\c.exe",
                                 u"C:\\S\\s2\\t\\d.exe"}));
  ASSERT_EQ(search.FolderFailures().size(), 1u);
  EXPECT_EQ(search.FolderFailures()[0].Folder, u"C:\\S\\privada");
  EXPECT_EQ(search.FolderFailures()[0].Reason,
            u"No se pudo leer la carpeta (Acceso denegado, error 5).");

  // Another search starts with no failures; one that breaks off half-way
  // keeps what it yielded, and the chosen folder itself may be the one.
  f.failing.clear();
  f.failing[u"C:\\S\\"] = {59, 1};  // ERROR_UNEXP_NET_ERR after the first entry
  TStringList again;
  FileSearch(f, again).BuscarArchivos(u"C:\\S", u"*.exe", true);
  EXPECT_EQ(std::vector<String>(again.begin(), again.end()), std::vector<String>{u"C:\\S\\a.exe"});
  search.BuscarArchivos(u"C:\\S", u"*.e?e", true);
  ASSERT_EQ(search.FolderFailures().size(), 1u);
  EXPECT_EQ(search.FolderFailures()[0].Folder, u"C:\\S");
  EXPECT_EQ(f.patterns.back(), u"C:\\S\\*.e?e") << "a failed folder is not read again";

  f.failing.clear();
  f.failing[u"D:\\"] = {21, 0};  // ERROR_NOT_READY
  search.BuscarArchivos(u"D:\\", u"*.exe", true);
  ASSERT_EQ(search.FolderFailures().size(), 1u);
  EXPECT_EQ(search.FolderFailures()[0].Folder, u"D:\\");
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
class RecordingSteps final : public IRunSteps, public IItemResults {
 public:
  std::vector<String> events;
  std::map<String, String> descriptions;  // path -> FileDescription
  std::map<String, String> guids;         // progId -> guid
  String failVersionOf, failRegisterOf, failIdentityOf, failVerifyOf;
  String failCheck;            // a check before anything starts refuses with this
  String registeredElsewhere;  // a guid whose class another file registered
  int checks = 0;
  String serverName;
  // A click on "Detener Proceso" taken while this event happens (the
  // window's pump, or the wait for a started program); empty: never.
  String stopAt;
  bool continuar = true;
  std::vector<ItemResult> results;

  void Happened(String event) {
    if (event == stopAt) continuar = false;
    events.push_back(std::move(event));
  }

  class Progress final : public progress::IRunProgress {
   public:
    Progress(std::vector<String>& e, RecordingSteps& s) : events(e), steps(s) {}
    ~Progress() override { events.push_back(u"released"); }
    void Inicializar(std::int32_t n, bool reset) override {
      if (reset) steps.continuar = true;
      events.push_back(u"Inicializar " + IntToStr(n) + (reset ? u" true" : u" false"));
    }
    void MensajeDelProceso(const String& v) override { events.push_back(u"Mensaje " + v); }
    void NombreItemActual(const String& v) override { steps.Happened(u"Item " + v); }
    void ItemActualTerminado() override { events.push_back(u"Terminado"); }
    void Finalizar() override { events.push_back(u"Finalizar"); }
    bool ContinuarProceso() const override { return steps.continuar; }
    std::vector<String>& events;
    RecordingSteps& steps;
  };

  // The progress of one run, as the job makes it.
  std::unique_ptr<progress::IRunProgress> CrearVentanaDeProgreso() {
    events.push_back(u"created");
    return std::make_unique<Progress>(events, *this);
  }
  void ResultadoDelItem(const ItemResult& item) override { results.push_back(item); }
  void LeerVersion(const String& path, TEXEVersionData& data) override {
    EXPECT_TRUE(data.FileDescription.empty()) << "the record must start empty";
    if (path == failVersionOf) throw EOSError(u"System Error.  Code: 1812.\r\nno version", 1812);
    const auto found = descriptions.find(path);
    if (found != descriptions.end()) data.FileDescription = found->second;
  }
  void Registrar(const String& path, const IStopSignal& stop) override {
    Happened(u"Registrar " + path);
    if (path == failRegisterOf) throw Exception(u"No se pudo iniciar el servidor: no existe.");
    if (stop.StopRequested()) throw Exception(u"No se esperó.");
  }
  void SetServerName(const String& progId) override {
    serverName = progId;
    events.push_back(u"ServerName " + progId);
  }
  String ServerGUID() override {
    const auto found = guids.find(serverName);
    return found == guids.end() ? String() : found->second;
  }
  void AsignarPermisosDcom(const String& guid, const IStopSignal& stop,
                           IdentityRecord& record) override {
    Happened(u"Permisos " + guid);
    record.AppId = guid;
    if (guid == failIdentityOf) throw Exception(u"identidad");
    if (stop.StopRequested()) throw Exception(u"No se esperó.");
    record.RunAsRead = true;
    record.RunAs = {true, true, u"Interactive User"};
  }
  void Comprobar(const JobRequest&) override {
    ++checks;
    if (!failCheck.empty()) throw Exception(failCheck);
  }
  void ComprobarRegistro(const String&, const String& guid, IdentityRecord&) override {
    if (guid == registeredElsewhere) throw Exception(u"registrada para C:\\Otra\\x.exe");
  }
  void Verificar(const String& progId) override {
    Happened(u"Verificar " + progId);
    if (progId == failVerifyOf) throw Exception(u"no se activa");
  }
  void LeerIdentidad(const String&, const String& guid, IdentityRecord& record) override {
    events.push_back(u"LeerIdentidad " + guid);
    if (record.AppId.empty()) record.AppId = guid;
    record.RunAs = {true, true, u"Antes"};
    record.RunAsRead = true;
  }
};

// Both passes with a progress made for them and released after them, as
// the job runs them.
void Procesar(RecordingSteps& steps, const TStringList& list, JobOutcome& outcome) {
  const std::unique_ptr<progress::IRunProgress> progress = steps.CrearVentanaDeProgreso();
  ProcesarServidores(steps, *progress, list, outcome, &steps);
}

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
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), outcome);
  EXPECT_EQ(outcome.Errores.Count(), 0);
  const std::vector<String> expected = {u"created",
                                        u"Inicializar 2 true",
                                        u"Mensaje Registrando Servidores DCOM...",
                                        u"Item Uno - Servidor Uno",
                                        u"Registrar C:\\S\\Uno.exe",
                                        u"Terminado",
                                        u"Item Dos - ",  // no description: nothing after the dash
                                        u"Registrar C:\\S\\Dos.exe",
                                        u"Terminado",
                                        u"Finalizar",
                                        u"Inicializar 2 true",
                                        u"Mensaje Asignando permisos DCOM...",
                                        u"Item Uno - Servidor Uno",
                                        u"ServerName Uno.UnoDMR",
                                        u"Permisos {11111111-0000-0000-0000-000000000001}",
                                        u"Terminado",
                                        u"Item Dos - ",
                                        u"ServerName Dos.DosDMR",
                                        u"Permisos {22222222-0000-0000-0000-000000000002}",
                                        u"Terminado",
                                        u"Finalizar",
                                        u"released"};
  EXPECT_EQ(steps.events, expected);
}

TEST(ProcesarServidores, AFailedStartIsCountedAndTheServerStillGetsPhaseTwo) {
  RecordingSteps steps;
  steps.failRegisterOf = u"C:\\S\\Uno.exe";
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe"}), outcome);
  EXPECT_EQ(outcome.Errores.Count(), 1);
  EXPECT_NE(std::find(steps.events.begin(), steps.events.end(), u"Permisos {1}"),
            steps.events.end());
}

TEST(ProcesarServidores, AnUnregisteredIdentifierFailsWithoutStartingTheTool) {
  RecordingSteps steps;
  steps.guids[u"Dos.DosDMR"] = u"{2}";
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), outcome);
  ASSERT_EQ(outcome.Errores.Count(), 1);
  EXPECT_NE(outcome.Errores[0].find(u"Uno.UnoDMR"), String::npos);
  for (const String& e : steps.events) EXPECT_NE(e, u"Permisos ");
  EXPECT_NE(std::find(steps.events.begin(), steps.events.end(), u"Permisos {2}"),
            steps.events.end());
}

TEST(ProcesarServidores, AnIdentityFailureIsOneEntryAndTheRunGoesOn) {
  RecordingSteps steps;
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  steps.guids[u"Dos.DosDMR"] = u"{2}";
  steps.failIdentityOf = u"{1}";
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), outcome);
  EXPECT_EQ(outcome.Errores.Count(), 1);
  EXPECT_EQ(steps.events.back(), u"released");
}

TEST(ProcesarServidores, AVersionFailureEndsTheRunAfterFinishingTheWindow) {
  RecordingSteps steps;
  steps.failVersionOf = u"C:\\S\\Dos.exe";
  JobOutcome outcome;
  EXPECT_THROW(
      Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe", u"C:\\S\\Tres.exe"}), outcome),
      EOSError);
  EXPECT_EQ(outcome.Errores.Count(), 0);
  const std::vector<String> tail(steps.events.end() - 2, steps.events.end());
  EXPECT_EQ(tail, (std::vector<String>{u"Finalizar", u"released"}));
  for (const String& e : steps.events) EXPECT_NE(e, u"Registrar C:\\S\\Tres.exe");
}

TEST(ProcesarServidores, NoItemsStillEndsCleanly) {
  RecordingSteps steps;
  JobOutcome outcome;
  Procesar(steps, TStringList(), outcome);
  EXPECT_EQ(steps.events,
            (std::vector<String>{u"created", u"Inicializar 0 true",
                                 u"Mensaje Registrando Servidores DCOM...", u"Finalizar",
                                 u"Inicializar 0 true", u"Mensaje Asignando permisos DCOM...",
                                 u"Finalizar", u"released"}));
}

TEST(ProcesarServidores, ResultsNameEachItemAndEntriesArePathAndReason) {
  RecordingSteps steps;
  steps.failRegisterOf = u"C:\\S\\Uno.exe";
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), outcome);
  EXPECT_FALSE(outcome.Stopped);
  ASSERT_EQ(outcome.Errores.Count(), 2);
  EXPECT_EQ(outcome.Errores[0], u"C:\\S\\Uno.exe: No se pudo iniciar el servidor: no existe.");
  EXPECT_EQ(outcome.Errores[1], u"C:\\S\\Dos.exe: " + NotRegisteredReason(u"Dos.DosDMR"));
  ASSERT_EQ(outcome.Items.size(), 4u);
  const ItemResult& uno1 = outcome.Items[0];
  EXPECT_EQ(uno1.Phase, RunPhase::Registro);
  EXPECT_FALSE(uno1.Ok);
  EXPECT_EQ(uno1.Reason, u"No se pudo iniciar el servidor: no existe.");
  EXPECT_TRUE(outcome.Items[1].Ok);
  const ItemResult& uno2 = outcome.Items[2];
  EXPECT_EQ(uno2.Phase, RunPhase::Identidad);
  EXPECT_TRUE(uno2.Ok);
  EXPECT_EQ(uno2.ProgId, u"Uno.UnoDMR");
  EXPECT_EQ(uno2.Clsid, u"{1}");
  EXPECT_EQ(uno2.Identity.AppId, u"{1}");
  EXPECT_EQ(uno2.Identity.RunAs.Text, u"Interactive User");
  const ItemResult& dos2 = outcome.Items[3];
  EXPECT_FALSE(dos2.Ok);
  EXPECT_TRUE(dos2.Clsid.empty());
  EXPECT_EQ(dos2.ProgId, u"Dos.DosDMR");
  // The progress heard of each result as it came.
  ASSERT_EQ(steps.results.size(), 4u);
  EXPECT_EQ(steps.results[3].Reason, dos2.Reason);
}

TEST(ProcesarServidores, AStopAtAnItemsLabelStartsNothingMoreAndSkipsPhaseTwo) {
  RecordingSteps steps;
  steps.stopAt = u"Item Dos - ";
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe", u"C:\\S\\Tres.exe"}), outcome);
  EXPECT_EQ(steps.events,
            (std::vector<String>{u"created", u"Inicializar 3 true",
                                 u"Mensaje Registrando Servidores DCOM...", u"Item Uno - ",
                                 u"Registrar C:\\S\\Uno.exe", u"Terminado", u"Item Dos - ",
                                 u"Finalizar", u"released"}));
  EXPECT_EQ(outcome.Errores.Count(), 0);
  EXPECT_TRUE(outcome.Stopped);
  EXPECT_EQ(outcome.NotHandled, 3);  // none of them got its identity
  EXPECT_EQ(outcome.Items.size(), 1u);
}

TEST(ProcesarServidores, AStopWhileWaitingFailsThatItemOnly) {
  RecordingSteps steps;
  steps.stopAt = u"Registrar C:\\S\\Uno.exe";
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), outcome);
  ASSERT_EQ(outcome.Errores.Count(), 1);
  EXPECT_EQ(outcome.Errores[0], u"C:\\S\\Uno.exe: No se esperó.");
  for (const String& e : steps.events) {
    EXPECT_NE(e, u"Registrar C:\\S\\Dos.exe");
    EXPECT_NE(e, u"Mensaje Asignando permisos DCOM...");
  }
  EXPECT_TRUE(outcome.Stopped);
  EXPECT_EQ(outcome.NotHandled, 2);
  EXPECT_EQ(steps.events.back(), u"released");
}

TEST(ProcesarServidores, AStopInPhaseTwoCountsTheServersLeft) {
  RecordingSteps steps;
  steps.stopAt = u"Permisos {1}";
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  steps.guids[u"Dos.DosDMR"] = u"{2}";
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe", u"C:\\S\\Tres.exe"}), outcome);
  // Phase 1 went through, Uno's identity was cut short, nothing after it ran.
  for (const char16_t* path : {u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe", u"C:\\S\\Tres.exe"})
    EXPECT_NE(std::find(steps.events.begin(), steps.events.end(), String(u"Registrar ") + path),
              steps.events.end());
  for (const String& e : steps.events) EXPECT_NE(e, u"Permisos {2}");
  ASSERT_EQ(outcome.Errores.Count(), 1);
  EXPECT_EQ(outcome.Errores[0], u"C:\\S\\Uno.exe: No se esperó.");
  EXPECT_TRUE(outcome.Stopped);
  EXPECT_EQ(outcome.NotHandled, 2);
  EXPECT_EQ(outcome.Items.back().Identity.AppId, u"{1}");
  EXPECT_FALSE(outcome.Items.back().Identity.RunAsRead);
  EXPECT_EQ(outcome.Items.back().Identity.RunAs.Text, u"Antes") << "what the AppID holds now";
}

TEST(ProcesarServidores, AnEarlyEndKeepsWhatFailedBeforeIt) {
  RecordingSteps steps;
  steps.failRegisterOf = u"C:\\S\\Uno.exe";
  steps.failVersionOf = u"C:\\S\\Dos.exe";
  JobOutcome outcome;
  EXPECT_THROW(Procesar(steps, Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe"}), outcome), EOSError);
  ASSERT_EQ(outcome.Errores.Count(), 1);
  EXPECT_EQ(outcome.Items.size(), 1u);
  EXPECT_FALSE(outcome.Stopped);
}

TEST(ProcesarServidores, VerificationActivatesOnlyTheServersBothStepsPrepared) {
  RecordingSteps steps;
  steps.failRegisterOf = u"C:\\S\\Uno.exe";
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  steps.guids[u"Dos.DosDMR"] = u"{2}";
  steps.guids[u"Tres.TresDMR"] = u"{3}";
  steps.failVerifyOf = u"Tres.TresDMR";
  JobOutcome outcome;
  {
    const auto progress = steps.CrearVentanaDeProgreso();
    ProcesarServidores(steps, *progress,
                       Paths({u"C:\\S\\Uno.exe", u"C:\\S\\Dos.exe", u"C:\\S\\Tres.exe"}), outcome,
                       &steps, /*verify=*/true);
  }
  std::vector<String> verified;
  for (const String& e : steps.events)
    if (e.starts_with(u"Verificar ")) verified.push_back(e);
  EXPECT_EQ(verified, (std::vector<String>{u"Verificar Dos.DosDMR", u"Verificar Tres.TresDMR"}));
  ASSERT_EQ(outcome.Items.size(), 8u);
  EXPECT_EQ(outcome.Items[6].Phase, RunPhase::Verificacion);
  EXPECT_TRUE(outcome.Items[6].Ok);
  EXPECT_FALSE(outcome.Items[7].Ok);
  ASSERT_EQ(outcome.Errores.Count(), 2);
  EXPECT_EQ(outcome.Errores[1], u"C:\\S\\Tres.exe: no se activa");
}

// --- the job around the passes ---------------------------------------------

TEST(RegistrationJob, ARefusedRequestThrowsBeforeAnythingRuns) {
  RecordingSteps steps;
  FakeFolders folders;
  RegistrationJob job(steps, folders);
  const auto never = [&]() -> std::unique_ptr<progress::IRunProgress> {
    ADD_FAILURE() << "no progress for a refused request";
    return steps.CrearVentanaDeProgreso();
  };
  EXPECT_THROW(job.Ejecutar({.EsteUsuario = true, .Ruta = u"C:\\S"}, never), Exception);
  EXPECT_THROW(job.Ejecutar({.Modo = 1}, never), Exception);
  EXPECT_TRUE(folders.patterns.empty());
  EXPECT_TRUE(steps.events.empty());
}

TEST(RegistrationJob, AFailedCheckRefusesBeforeAnythingIsCollectedOrStarted) {
  RecordingSteps steps;
  steps.failCheck = u"No se encontró DComPerm.exe.";
  FakeFolders folders;
  RegistrationJob job(steps, folders);
  EXPECT_THROW(job.Ejecutar({.Ruta = u"C:\\S"}, [&] { return steps.CrearVentanaDeProgreso(); }),
               Exception);
  EXPECT_TRUE(folders.patterns.empty());
  EXPECT_TRUE(steps.events.empty());
  // An inquiry changes nothing and needs none of the checks.
  job.Consultar({.Modo = 1, .Ruta = u"C:\\S\\Uno.exe"}, steps);
  EXPECT_EQ(steps.checks, 1);
}

TEST(ProcesarServidores, AClassRegisteredByAnotherFileFailsWithoutStartingTheTool) {
  RecordingSteps steps;
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  steps.registeredElsewhere = u"{1}";
  JobOutcome outcome;
  Procesar(steps, Paths({u"C:\\S\\Uno.exe"}), outcome);
  ASSERT_EQ(outcome.Errores.Count(), 1);
  EXPECT_EQ(outcome.Errores[0], u"C:\\S\\Uno.exe: registrada para C:\\Otra\\x.exe");
  for (const String& e : steps.events) EXPECT_NE(e, u"Permisos {1}");
}

// CI runs as root: the unreadable folder is the double's.
TEST(RegistrationJob, AnUnreadableFolderIsAFailureOfItsOwnAndTheRestIsHandled) {
  RecordingSteps steps;
  steps.guids[u"a.aDMR"] = u"{A}";
  FakeFolders folders;
  folders.Add(u"C:\\S\\", 1, {{u"a.exe", {}, 0}, {u"privada", {}, kDir}});
  folders.Add(u"C:\\S\\privada\\", 2, {{u"p.exe", {}, 0}});
  folders.failing[u"C:\\S\\privada\\"] = {5, 0};
  RegistrationJob job(steps, folders);
  const JobOutcome outcome = job.Ejecutar(
      {.Ruta = u"C:\\S"}, [&] { return steps.CrearVentanaDeProgreso(); }, &steps);
  EXPECT_FALSE(outcome.NothingFound());
  EXPECT_FALSE(outcome.Succeeded());
  EXPECT_EQ(outcome.Servers, 1);
  ASSERT_EQ(outcome.Errores.Count(), 1);
  EXPECT_EQ(outcome.Errores[0],
            u"C:\\S\\privada: No se pudo leer la carpeta (Acceso denegado, error 5).");
  ASSERT_FALSE(steps.results.empty());
  EXPECT_EQ(steps.results[0].Phase, RunPhase::Busqueda);
  EXPECT_NE(std::find(steps.events.begin(), steps.events.end(), u"Permisos {A}"),
            steps.events.end());
}

TEST(RegistrationJob, NothingFoundOpensNoProgress) {
  RecordingSteps steps;
  FakeFolders folders;
  folders.folders[u"C:\\Vacio\\"] = {};
  RegistrationJob job(steps, folders);
  const JobOutcome outcome =
      job.Ejecutar({.Ruta = u"C:\\Vacio"}, [&] { return steps.CrearVentanaDeProgreso(); });
  EXPECT_TRUE(outcome.NothingFound());
  EXPECT_TRUE(steps.events.empty());
}

TEST(RegistrationJob, AnEarlyEndIsTheOutcomesAndNamesItsItemAfterTheProgressIsReleased) {
  RecordingSteps steps;
  steps.failVersionOf = u"C:\\S\\Dos.exe";
  FakeFolders folders;
  RegistrationJob job(steps, folders);
  JobOutcome outcome;
  ASSERT_NO_THROW(outcome = job.Ejecutar({.Modo = 1, .Ruta = u"C:\\S\\Dos.exe"},
                                         [&] { return steps.CrearVentanaDeProgreso(); }));
  EXPECT_EQ(steps.events.back(), u"released");
  ASSERT_TRUE(outcome.Failure);
  EXPECT_THROW(std::rethrow_exception(outcome.Failure), EOSError);
  ASSERT_TRUE(outcome.EndedAt);
  EXPECT_EQ(outcome.EndedAt->Path, u"C:\\S\\Dos.exe");
  EXPECT_EQ(outcome.EndedAt->Phase, RunPhase::Registro);
  EXPECT_NE(outcome.EndedAt->Reason.find(u"1812"), String::npos);
  EXPECT_FALSE(outcome.Succeeded());
  EXPECT_EQ(outcome.SummaryText(), kSummaryErrors);
}

TEST(RegistrationJob, AnInquiryReadsEachServersIdentityAndStartsNothing) {
  RecordingSteps steps;
  steps.guids[u"Uno.UnoDMR"] = u"{1}";
  FakeFolders folders;
  RegistrationJob job(steps, folders);
  const JobOutcome outcome = job.Consultar({.Modo = 1, .Ruta = u"C:\\S\\Uno.exe"}, steps);
  EXPECT_TRUE(outcome.Succeeded());
  ASSERT_EQ(steps.results.size(), 1u);
  EXPECT_EQ(steps.results[0].Phase, RunPhase::Consulta);
  EXPECT_EQ(steps.results[0].Identity.RunAs.Text, u"Antes");
  EXPECT_EQ(steps.events, (std::vector<String>{u"ServerName Uno.UnoDMR", u"LeerIdentidad {1}"}));
}

namespace {

TStringList Entries(int count) {
  TStringList list;
  for (int i = 1; i <= count; ++i)
    list.Add(u"C:\\S\\S" + IntToStr(i) + u".exe: motivo " + IntToStr(i));
  return list;
}

std::vector<String> Lines(const String& text) {
  std::vector<String> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(u'\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == String::npos) return lines;
    start = end + 1;
  }
}

}  // namespace

TEST(ErrorSummaryText, TheSentenceAloneWhenThereIsNothingToList) {
  EXPECT_EQ(ErrorSummaryText(TStringList(), std::nullopt), kSummaryErrors);
}

TEST(ErrorSummaryText, OneLinePerFailureAfterAnEmptyLine) {
  const std::vector<String> lines = Lines(ErrorSummaryText(Entries(2), std::nullopt));
  EXPECT_EQ(lines, (std::vector<String>{kSummaryErrors, u"", u"C:\\S\\S1.exe: motivo 1",
                                        u"C:\\S\\S2.exe: motivo 2"}));
}

TEST(ErrorSummaryText, AtMostTwentyLinesThenTheRestCounted) {
  std::vector<String> lines = Lines(ErrorSummaryText(Entries(20), std::nullopt));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines.back(), u"C:\\S\\S20.exe: motivo 20");

  lines = Lines(ErrorSummaryText(Entries(21), std::nullopt));
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[21], u"C:\\S\\S20.exe: motivo 20");
  EXPECT_EQ(lines[22], u"... y 1 más.");

  lines = Lines(ErrorSummaryText(Entries(57), 4));
  ASSERT_EQ(lines.size(), 24u);
  EXPECT_EQ(lines[22], u"... y 37 más.");
  EXPECT_EQ(lines[23], u"Proceso detenido: 4 servidores sin procesar.");
}

TEST(ErrorSummaryText, AStopWithoutFailuresStillSaysWhatWasLeft) {
  EXPECT_EQ(ErrorSummaryText(TStringList(), 1),
            String(kSummaryErrors) + u"\n\nProceso detenido: 1 servidor sin procesar.");
  EXPECT_EQ(StoppedLine(0), u"Proceso detenido: 0 servidores sin procesar.");
}
