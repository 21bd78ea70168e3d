// Programs the run starts that fail in the worst ways: a server that crashes
// while it registers (the run goes through every item, counts the failures
// and stays usable), and a DComPerm that is nowhere to be found (nothing
// starts at all).

#include "setup/DComPermLocation.h"
#include "tests/ui/scenarios/fault_support.h"

namespace varnel::ui::fault {
namespace {

// Wine starts its debugger on an unhandled exception and, by default, shows
// a crash dialog that would wait for a person. The prefix is told not to;
// the earlier setting comes back afterwards.
class NoCrashDialog {
 public:
  NoCrashDialog() {
    previous_ = ReadDword();
    Write(0);
  }
  NoCrashDialog(const NoCrashDialog&) = delete;
  NoCrashDialog& operator=(const NoCrashDialog&) = delete;
  ~NoCrashDialog() {
    if (previous_) {
      Write(*previous_);
    } else {
      ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Wine\\WineDbg";
  static constexpr wchar_t kValue[] = L"ShowCrashDialog";

  static std::optional<DWORD> ReadDword() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
      return std::nullopt;
    return value;
  }
  static void Write(DWORD value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &value, sizeof(value)),
              ERROR_SUCCESS);
  }

  std::optional<DWORD> previous_;
};

TEST(FaultCrash, ServerThatCrashesWhileRegisteringIsOneFailedItem) {
  NoCrashDialog noDialog;
  ToolFolder tools(u"FxCrash-tools");
  TempFolder servers(u"FxCrash-servers");
  Registrations registrations;
  const std::vector<String> good = {u"FxCrashFirst", u"FxCrashLast"};
  const String bad = u"FxCrashBoom";
  for (const String& name : good) {
    registrations.Add(name);
    CopyFileTo(ServerFixture(u"server.exe"), servers.File(name + u".exe"));
  }
  registrations.Add(bad);
  CopyFileTo(CrasherFixture(), servers.File(bad + u".exe"));

  Varnel varnel(tools);
  varnel.Select(u"Usuario interactivo");
  varnel.PickFolder(servers.Path());
  varnel.Accept();
  // The crash ends the server; the run counts its identity step as failed
  // (nothing was registered) and handles the others.
  EXPECT_EQ(U8(FirstLine(varnel.FinishRun(Milliseconds(60000)))), U8(kSummaryErrors));
  EXPECT_FALSE(RegisteredClsid(bad).has_value());
  std::vector<String> expected;
  for (const String& name : good) {
    const std::optional<String> clsid = RegisteredClsid(name);
    ASSERT_TRUE(clsid.has_value()) << U8(name);
    expected.push_back(*clsid);
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, ClassesKey(u"AppID\\" + *clsid), u"RunAs"),
              std::optional<String>(u"Interactive User"));
  }
  const std::vector<String> ids = RunAsIdentifiers(tools.Calls());
  EXPECT_EQ(ids.size(), 2u);
  for (const String& id : expected) EXPECT_TRUE(Contains(ids, id));
  EXPECT_TRUE(ProcessesNamed(bad + u".exe").empty());
  varnel.ExpectIdleAndResponsive();
  varnel.Quit();
}

// Without DComPerm nothing may start: registering every server and then
// failing each identity would leave a half-done machine.
TEST(FaultCrash, MissingDComPermRefusesTheRunAndTheProgramStaysUsable) {
  ToolFolder tools(u"FxNoPerm-tools", /*withDComPerm=*/false);
  TempFolder servers(u"FxNoPerm-servers");
  Registrations registrations;
  const std::vector<String> names = {u"FxNoPermUno", u"FxNoPermDos"};
  for (const String& name : names) {
    registrations.Add(name);
    CopyFileTo(ServerFixture(u"server.exe"), servers.File(name + u".exe"));
  }

  Varnel varnel(tools);
  varnel.Select(u"Usuario inicial");
  varnel.PickFolder(servers.Path());
  for (int run = 0; run < 2; ++run) {
    varnel.Accept();
    const RunBoxes boxes = RunToSummary(varnel);
    EXPECT_EQ(U8(boxes.Summary), U8(setup::kDComPermNotFound));
    EXPECT_EQ(boxes.SummaryIcon, IconKind::Error);
    EXPECT_TRUE(boxes.ShellBoxes.empty());
    for (const String& name : names) EXPECT_FALSE(RegisteredClsid(name).has_value()) << U8(name);
    EXPECT_TRUE(tools.Calls().empty());
    varnel.ExpectIdleAndResponsive();
  }
  varnel.Quit();
}

}  // namespace
}  // namespace varnel::ui::fault
