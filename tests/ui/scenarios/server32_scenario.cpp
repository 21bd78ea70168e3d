// The 32-bit stand-in server and the registration the tests write for it:
// what the job will read from a 32-bit server on 64-bit Windows. Wine here
// runs no 32-bit code, so the program itself never registers; where it
// does run, it must write exactly what the helper writes.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/AppIdRegistryWin32.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "platform/win32/VersionSourceWin32.h"
#include "tests/ui/driver/Driver.h"
#include "tests/ui/driver/Server32.h"
#include "versioninfo/PeMachine.h"
#include "versioninfo/VersionInfo.h"

namespace varnel::ui {

using namespace varnel::versioninfo;
namespace {

std::string U8(const String& text) { return ToUtf8(text); }

String Server32Path() { return FixturePath(u"server\\server32.exe"); }

const String kClasses = u"SOFTWARE\\Classes\\";

bool ClassKeyIn(const String& clsid, REGSAM view) {
  win32::UniqueKey key;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, win32::W(kClasses + u"CLSID\\" + clsid), 0,
                         KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

TEST(Server32, TheFixtureIsA32BitStandInWithAVersion) {
  ASSERT_TRUE(FileExists(Server32Path())) << U8(Server32Path());
  PeMachineReader machines;
  EXPECT_EQ(machines.MachineOf(Server32Path()), PeMachine::I386);
  EXPECT_EQ(machines.MachineOf(FixturePath(u"server\\server.exe")), PeMachine::Amd64);
  // The version block is read from the file, not by running it.
  win32::VersionSourceWin32 versions;
  TEXEVersionData data;
  GetEXEVersionData(versions, Server32Path(), data);
  EXPECT_EQ(U8(data.FileDescription), "Servidor DCOM de prueba de 32 bits");
}

TEST(Server32, ItsRegistrationSitsInThe32BitViewWithAnAppIdOfItsOwn) {
  const String exe = Server32Path();
  ServerIds ids;
  {
    const Server32Registration registration(u"server32", exe);
    ids = registration.Ids();
    EXPECT_EQ(U8(ids.ProgId), "server32.server32DMR");
    EXPECT_NE(ids.AppId, ids.Clsid);
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kClasses + ids.ProgId + u"\\CLSID"),
              ids.Clsid);

    win32::AppIdRegistryWin32 registry;
    EXPECT_EQ(registry.ReadClassAppId(ids.Clsid, RegistryView::Bits32), ids.AppId);
    EXPECT_EQ(registry.ReadLocalServer32(ids.Clsid, RegistryView::Bits32), u"\"" + exe + u"\"");
    EXPECT_EQ(registry.ReadClassAppId(ids.Clsid, RegistryView::Bits64), std::nullopt);
    EXPECT_EQ(registry.ReadLocalServer32(ids.Clsid, RegistryView::Bits64), std::nullopt);
    EXPECT_TRUE(registry.ReadRunAs(ids.AppId).KeyExists);
    EXPECT_FALSE(registry.ReadRunAs(ids.Clsid).KeyExists);
  }
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kClasses + ids.ProgId));
  EXPECT_FALSE(ClassKeyIn(ids.Clsid, KEY_WOW64_32KEY));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kClasses + u"AppID\\" + ids.AppId));
}

TEST(Server32, StartingItFailsAtOnceOrRegistersWhatTheHelperWrites) {
  const ServerIds ids = StandInIds(u"server32");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  String commandLine = ComposeCommandLine(Server32Path(), u"/REGSERVER");
  const ULONGLONG begin = ::GetTickCount64();
  if (!::CreateProcessW(win32::W(Server32Path()), reinterpret_cast<wchar_t*>(commandLine.data()),
                        nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    const DWORD error = ::GetLastError();
    std::printf("server32.exe does not start here: error %lu after %llu ms\n", error,
                ::GetTickCount64() - begin);
    EXPECT_LT(::GetTickCount64() - begin, 10000u);
    return;
  }
  const win32::UniqueHandle process(started.hProcess);
  const win32::UniqueHandle thread(started.hThread);
  ASSERT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  std::printf("server32.exe started and ended with %lu after %llu ms\n", code,
              ::GetTickCount64() - begin);
  if (code != 0) return;  // it could not run its own code
  // It ran: its keys are the helper's, in the same views.
  win32::AppIdRegistryWin32 registry;
  EXPECT_EQ(registry.ReadClassAppId(ids.Clsid, RegistryView::Bits32), ids.AppId);
  EXPECT_EQ(registry.ReadClassAppId(ids.Clsid, RegistryView::Bits64), std::nullopt);
  const Server32Registration cleanup(u"server32", Server32Path());
}

}  // namespace
}  // namespace varnel::ui
