// The unattended run over doubles: what it reports when the run ends early.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "native/support/TableClassRegistry.h"
#include "runtime/Exceptions.h"
#include "setup/UnattendedRun.h"

using namespace varnel;
using namespace varnel::setup;
using namespace varnel::versioninfo;
using nlohmann::json;

namespace {

// Services a /whatif over one program never starts or enumerates anything
// with; a call to them is a fault of the run.
class Untouched final : public IVersionSource,
                        public IProcessStarter,
                        public IMessagePump,
                        public IFolderEnumerator,
                        public IClock,
                        public ICapturingStarter,
                        public IProgramFolders,
                        public ICredentialCheck,
                        public IMachineReader,
                        public IPathNames,
                        public ILaunchSecrets {
 public:
  std::uint32_t FileVersionInfoSize(const String&) override { return Fail<std::uint32_t>(); }
  bool FileVersionInfo(const String&, std::span<std::byte>) override { return Fail<bool>(); }
  bool QueryValue(std::span<const std::byte>, const String&, VersionValue&) override {
    return Fail<bool>();
  }
  std::uint32_t LastError() override { return 0; }
  String SystemErrorText(std::uint32_t) override { return {}; }
  std::unique_ptr<IStartedProcess> Start(const String&, const String&, String&) override {
    return Fail<std::unique_ptr<IStartedProcess>>();
  }
  void ProcessMessages() override {}
  bool Terminated() const override { return false; }
  std::optional<FolderReadFailure> Enumerate(
      const String&, const std::function<void(const FolderEntry&)>&) override {
    return Fail<std::optional<FolderReadFailure>>();
  }
  std::optional<FolderIdentity> Identity(const String&) override { return Fail<std::nullopt_t>(); }
  TDateTime Now() override { return TDateTime(); }
  char16_t TimeSeparator() override { return u':'; }
  std::unique_ptr<ICapturedProcess> StartCaptured(const String&, const String&, String&) override {
    return Fail<std::unique_ptr<ICapturedProcess>>();
  }
  String OwnFolder() override { return Fail<String>(); }
  String SystemFolder() override { return Fail<String>(); }
  String PathVariable() override { return Fail<String>(); }
  bool FileExists(const String&) override { return Fail<bool>(); }
  std::uint32_t LogonError(const String&, const String&) override { return Fail<std::uint32_t>(); }
  String ErrorText(std::uint32_t) override { return Fail<String>(); }
  // The inquiry reads the class key in the view of the server's kind.
  PeMachine MachineOf(const String&) override { return PeMachine::Amd64; }
  String LongFullPath(const String&) override { return Fail<String>(); }
  bool SameIgnoringCase(const String&, const String&) override { return Fail<bool>(); }
  std::optional<String> StoredPassword(const String&) override { return std::nullopt; }

 private:
  template <typename T>
  static T Fail() {
    ADD_FAILURE() << "a /whatif run used a service it must not use";
    throw Exception(u"not used");
  }
};

// An AppID store whose class look-up cannot be read.
class UnreadableAppIds final : public IAppIdRegistry {
 public:
  RunAsValue ReadRunAs(const String&) override { return {}; }
  std::optional<String> ReadClassAppId(const String&, RegistryView) override {
    throw Exception(u"Acceso denegado.");
  }
  std::optional<String> ReadLocalServer32(const String&, RegistryView) override {
    throw Exception(u"Acceso denegado.");
  }
  bool CanWriteIdentities() override { return true; }
};

class NoStop final : public IStopSignal {
 public:
  bool StopRequested() const override { return false; }
};

}  // namespace

TEST(UnattendedRun, AWhatIfThatEndsEarlyNamesItsItemInTheWhatIfPhase) {
  Untouched untouched;
  UnreadableAppIds appIds;
  TableClassRegistry classes;
  classes.Register(u"Uno.UnoDMR", Guid{0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}});
  JobServices services{untouched, untouched, untouched, appIds,    untouched, classes,  untouched,
                       untouched, untouched, untouched, untouched, untouched, untouched};
  std::vector<std::string> report;
  String lines;
  UnattendedOutput output;
  output.Line = [&](const String& line) { lines += line + u"\n"; };
  output.ErrorLine = output.Line;
  output.Report = [&](const std::string& line) { report.push_back(line); };

  UnattendedOptions options;
  options.Modo = 1;
  options.Path = u"C:\\srv\\Uno.exe";
  options.WhatIf = true;
  EXPECT_EQ(RunUnattended(options, u"", services, NoStop(), output), kExitErrors);

  ASSERT_EQ(report.size(), 2u) << ToUtf8(lines);
  const json item = json::parse(report[0]);
  EXPECT_EQ(item["path"], "C:\\srv\\Uno.exe");
  EXPECT_EQ(item["phase"], "whatif") << "nothing was registered";
  EXPECT_EQ(item["ok"], false);
  EXPECT_EQ(item["error"], "Acceso denegado.");
  EXPECT_EQ(item["progId"], "Uno.UnoDMR");
  const json summary = json::parse(report[1]);
  EXPECT_EQ(summary["summary"], "errors");
  EXPECT_EQ(summary["failed"], 1);
  EXPECT_NE(lines.find(u"Acceso denegado."), String::npos);
}

namespace {

// What a restore needs before it starts: the right to write identities, and
// DComPerm beside the program.
class ReadyTools final : public IAppIdRegistry, public IProgramFolders {
 public:
  RunAsValue ReadRunAs(const String&) override { return {true, false, u""}; }
  std::optional<String> ReadClassAppId(const String&, RegistryView) override {
    return std::nullopt;
  }
  std::optional<String> ReadLocalServer32(const String&, RegistryView) override {
    return std::nullopt;
  }
  bool CanWriteIdentities() override { return true; }
  String OwnFolder() override { return u"C:\\Varnel"; }
  String SystemFolder() override { return u"C:\\Windows\\System32"; }
  String PathVariable() override { return {}; }
  bool FileExists(const String& path) override { return path == u"C:\\Varnel\\DComPerm.exe"; }
};

class Stopped final : public IStopSignal {
 public:
  bool StopRequested() const override { return true; }
};

}  // namespace

// Ctrl+C has an exit code of its own, apart from a server that failed.
TEST(UnattendedRun, AStopExitsWithItsOwnCodeAndStartsNothing) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "varnel_restore_stop.jsonl";
  std::ofstream(file, std::ios::binary)
      << R"({"path":"C:\\s\\Uno.exe","phase":"identity","ok":true,"progId":"Uno.UnoDMR",)"
      << R"("clsid":"","runAs":null,"appId":"{00000001-0002-0003-0405-060708090A0B}",)"
      << R"("runAsBefore":"Interactive User","changed":true})"
      << "\n"
      << R"({"summary":"success"})"
      << "\n";
  Untouched untouched;
  ReadyTools tools;
  TableClassRegistry classes;
  JobServices services{untouched, untouched, untouched, tools,     untouched, classes,  untouched,
                       untouched, tools,     untouched, untouched, untouched, untouched};
  std::vector<std::string> report;
  UnattendedOutput output;
  output.Line = [](const String&) {};
  output.ErrorLine = output.Line;
  output.Report = [&](const std::string& line) { report.push_back(line); };
  UnattendedOptions options;
  options.RestorePath = FromUtf8(file.string());
  EXPECT_EQ(RunUnattended(options, u"", services, Stopped(), output), kExitStopped);
  ASSERT_FALSE(report.empty());
  const json summary = json::parse(report.back());
  EXPECT_EQ(summary["exitCode"], kExitStopped);
  EXPECT_EQ(summary["summary"], "errors");
  std::filesystem::remove(file);
}
