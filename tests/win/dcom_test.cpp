// The DCOM connection component against the real COM class registry, with
// the stand-in server registering itself and serving its class.

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "components/USDCOMConnection.h"
#include "platform/win32/ClassRegistryWin32.h"
#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

using namespace varnel;
using namespace varnel::components;
using namespace varnel::win32;

namespace {

std::wstring Wide(const char* text) {
  std::wstring out;
  for (; *text; ++text) out += static_cast<wchar_t>(*text == '/' ? '\\' : *text);
  return out;
}

std::wstring FixtureServer(const wchar_t* variant) {
  return L"Z:" + Wide(VARNEL_BINARY_DIR) + L"\\fixtures\\server\\" + variant + L".exe";
}

// A string value under HKLM\SOFTWARE\Classes; nothing when the key or value is missing.
std::optional<std::wstring> ClassesValue(const std::wstring& subKey,
                                         const wchar_t* value = nullptr) {
  const std::wstring path = L"SOFTWARE\\Classes\\" + subKey;
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), value, RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buffer);
}

bool ClassesKeyExists(const std::wstring& subKey) {
  UniqueKey key;
  const std::wstring path = L"SOFTWARE\\Classes\\" + subKey;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void DeleteClassesKey(const std::wstring& subKey) {
  UniqueKey classes;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes", 0, KEY_ALL_ACCESS, classes.put()) ==
      ERROR_SUCCESS)
    ::RegDeleteTreeW(classes.get(), subKey.c_str());
}

// Starts a program with a parameter string as the shell passes it and waits
// for it; returns its exit code.
DWORD RunAndWait(const std::wstring& path, const std::wstring& parameters) {
  std::wstring commandLine = L"\"" + path + L"\"" + parameters;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
    RaiseLastOSError();
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 30'000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  return code;
}

// One copy of a server variant under its own name in a private temp folder.
// Whatever the copy registered is removed when the copy goes.
class ServerCopy {
 public:
  ServerCopy(const wchar_t* variant, const std::wstring& baseName) : baseName_(baseName) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"varnel-dcom-test";
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    path_ = folder_ + L"\\" + baseName + L".exe";
    if (!::CopyFileW(FixtureServer(variant).c_str(), path_.c_str(), FALSE)) RaiseLastOSError();
  }
  ~ServerCopy() {
    if (const auto clsid = ClassesValue(ProgID() + L"\\CLSID")) {
      if (const auto appID = ClassesValue(L"CLSID\\" + *clsid, L"AppID"))
        DeleteClassesKey(L"AppID\\" + *appID);
      DeleteClassesKey(L"AppID\\" + *clsid);
      DeleteClassesKey(L"CLSID\\" + *clsid);
    }
    DeleteClassesKey(ProgID());
    ::DeleteFileW(path_.c_str());
  }
  ServerCopy(const ServerCopy&) = delete;
  ServerCopy& operator=(const ServerCopy&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring ProgID() const { return baseName_ + L"." + baseName_ + L"DMR"; }
  DWORD Run(const std::wstring& parameters) const { return RunAndWait(path_, parameters); }

 private:
  std::wstring baseName_;
  std::wstring folder_;
  std::wstring path_;
};

String S(const std::wstring& text) { return FromW(text.c_str(), text.size()); }

class DcomRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
  void TearDown() override { ::CoUninitialize(); }

  ClassRegistryWin32 registry;
};

TEST_F(DcomRegistryTest, RegisteredServerReadsAsTheIdentifierTheRegistryHolds) {
  ServerCopy alfa(L"server", L"DcomAlfa");
  ASSERT_EQ(alfa.Run(L" /REGSERVER"), 0u);
  const auto clsid = ClassesValue(L"DcomAlfa.DcomAlfaDMR\\CLSID");
  ASSERT_TRUE(clsid.has_value());

  SDCOMConnection dcom(nullptr, registry);
  dcom.SetName(u"DCOM");
  dcom.SetServerName(u"DcomAlfa.DcomAlfaDMR");
  const String text = dcom.ServerGUID();
  EXPECT_EQ(text.size(), 38u);
  EXPECT_EQ(text, S(*clsid));
  for (char16_t c : text) EXPECT_FALSE(c >= u'a' && c <= u'z') << ToUtf8(text);
  // The component's own formatter gives the platform's text.
  dcom.SetServerNameNet(u"DcomAlfa.DcomAlfaDMR");
  EXPECT_EQ(dcom.ServerGUIDNet(), text);

  EXPECT_EQ(ClassesValue(L"CLSID\\" + *clsid + L"\\LocalServer32"), L"\"" + alfa.Path() + L"\"");
  EXPECT_EQ(ClassesValue(L"CLSID\\" + *clsid + L"\\ProgID"), L"DcomAlfa.DcomAlfaDMR");
  EXPECT_EQ(ClassesValue(L"CLSID\\" + *clsid, L"AppID"), *clsid);
  EXPECT_TRUE(ClassesValue(L"AppID\\" + *clsid).has_value());

  // The identifier is stable for a name and differs between names; the
  // switch is read in any letter case.
  ASSERT_EQ(alfa.Run(L" -regserver"), 0u);
  EXPECT_EQ(ClassesValue(L"DcomAlfa.DcomAlfaDMR\\CLSID"), *clsid);
  ServerCopy beta(L"server", L"DcomBeta");
  ASSERT_EQ(beta.Run(L" /RegServer"), 0u);
  const auto betaClsid = ClassesValue(L"DcomBeta.DcomBetaDMR\\CLSID");
  ASSERT_TRUE(betaClsid.has_value());
  EXPECT_NE(*betaClsid, *clsid);

  // A name nobody registered, written after a registered one, reads "".
  dcom.SetServerName(u"DcomNadie.DcomNadieDMR");
  EXPECT_EQ(dcom.ServerGUID(), u"");
  // The identifier's text finds the name back.
  dcom.SetServerGUID(S(*betaClsid));
  EXPECT_EQ(dcom.ServerName(), u"DcomBeta.DcomBetaDMR");
  EXPECT_EQ(dcom.ServerGUID(), S(*betaClsid));
}

TEST_F(DcomRegistryTest, ConnectStartsTheServerAndDisconnectEndsIt) {
  ServerCopy alfa(L"server", L"DcomConecta");
  ASSERT_EQ(alfa.Run(L" /REGSERVER"), 0u);
  SDCOMConnection dcom(nullptr, registry);
  dcom.SetName(u"DCOM");
  dcom.SetServerName(u"DcomConecta.DcomConectaDMR");
  ASSERT_NO_THROW(dcom.SetConnected(true));
  ASSERT_TRUE(dcom.Connected());

  // Ask the object which process serves it: another one than ours.
  DWORD serverPid = 0;
  {
    const auto* server = dynamic_cast<const DispatchServerObject*>(dcom.GetServer().get());
    ASSERT_NE(server, nullptr);
    IDispatch* dispatch = server->Dispatch();
    wchar_t name[] = L"ProcessId";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    DISPPARAMS none{};
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                               &result, nullptr, nullptr),
              S_OK);
    ASSERT_EQ(result.vt, VT_I4);
    serverPid = static_cast<DWORD>(result.lVal);
    UINT count = 7;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
  }
  EXPECT_NE(serverPid, ::GetCurrentProcessId());
  UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, serverPid));
  ASSERT_TRUE(process);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  dcom.SetConnected(false);
  EXPECT_FALSE(dcom.Connected());
  EXPECT_EQ(dcom.GetServer(), nullptr);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 30'000), WAIT_OBJECT_0)
      << "the server did not end after its last object was released";
}

TEST_F(DcomRegistryTest, ServerStartedWithoutAClientEndsByItself) {
  ServerCopy alfa(L"server", L"DcomSolo");
  ASSERT_TRUE(::SetEnvironmentVariableW(L"VARNEL_SERVER_IDLE_MS", L"1500"));
  const ULONGLONG started = ::GetTickCount64();
  const DWORD code = alfa.Run(L" -Embedding");
  const ULONGLONG took = ::GetTickCount64() - started;
  ::SetEnvironmentVariableW(L"VARNEL_SERVER_IDLE_MS", nullptr);
  EXPECT_EQ(code, 0u);
  EXPECT_GE(took, 1000u);
  EXPECT_LT(took, 15'000u);
}

TEST_F(DcomRegistryTest, ConnectingToAnUnregisteredNameGivesTheComposedMessage) {
  SDCOMConnection dcom(nullptr, registry);
  dcom.SetName(u"DCOM");
  dcom.SetServerName(u"DcomNadie.DcomNadieDMR");
  String lookupFailure;
  try {
    (void)registry.ClassOf(u"DcomNadie.DcomNadieDMR");
  } catch (const EOleSysError& e) {
    EXPECT_LT(e.ErrorCode, 0);
    lookupFailure = e.Message();
  }
  ASSERT_FALSE(lookupFailure.empty());
  const String expected =
      u"SDCOM DCOM. Non successful connection Server!\r\r"
      u"ComputerName: LocalMachine\r"
      u"Server Name: DcomNadie.DcomNadieDMR\r\r"
      u"Error message:\r" +
      lookupFailure;
  try {
    dcom.SetConnected(true);
    FAIL() << "the connect did not fail";
  } catch (const EOleSysError&) {
    FAIL() << "the OLE kind must not come through";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), expected);
  }
  EXPECT_FALSE(dcom.Connected());
}

TEST_F(DcomRegistryTest, ConnectToThisComputerByNameUsesEveryContext) {
  ServerCopy alfa(L"server", L"DcomRemoto");
  ASSERT_EQ(alfa.Run(L" /REGSERVER"), 0u);
  ASSERT_TRUE(registry.RemoteAvailable());
  SDCOMConnection dcom(nullptr, registry);
  dcom.SetName(u"DCOM");
  dcom.SetServerName(u"DcomRemoto.DcomRemotoDMR");
  String own = registry.LocalComputerName();
  ASSERT_FALSE(own.empty());
  for (char16_t& c : own)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  dcom.SetComputerName(own);
  ASSERT_NO_THROW(dcom.SetConnected(true));
  EXPECT_TRUE(dcom.Connected());
  dcom.SetComputerName(u"");  // a different name disconnects
  EXPECT_FALSE(dcom.Connected());
}

TEST_F(DcomRegistryTest, VariantsRegisterAsTheyAreMeantTo) {
  {
    ServerCopy copy(L"server_noappid", L"DcomSinAppId");
    ASSERT_EQ(copy.Run(L" /REGSERVER"), 0u);
    const auto clsid = ClassesValue(copy.ProgID() + L"\\CLSID");
    ASSERT_TRUE(clsid.has_value());
    EXPECT_TRUE(ClassesValue(L"CLSID\\" + *clsid + L"\\LocalServer32").has_value());
    EXPECT_FALSE(ClassesValue(L"CLSID\\" + *clsid, L"AppID").has_value());
    EXPECT_FALSE(ClassesKeyExists(L"AppID\\" + *clsid));
  }
  {
    ServerCopy copy(L"server_otherappid", L"DcomOtroAppId");
    ASSERT_EQ(copy.Run(L" /REGSERVER"), 0u);
    const auto clsid = ClassesValue(copy.ProgID() + L"\\CLSID");
    ASSERT_TRUE(clsid.has_value());
    const auto appID = ClassesValue(L"CLSID\\" + *clsid, L"AppID");
    ASSERT_TRUE(appID.has_value());
    EXPECT_NE(*appID, *clsid);
    EXPECT_EQ(appID->size(), 38u);
    EXPECT_TRUE(ClassesKeyExists(L"AppID\\" + *appID));
    EXPECT_FALSE(ClassesKeyExists(L"AppID\\" + *clsid));
  }
  {
    ServerCopy copy(L"server_fail", L"DcomFalla");
    EXPECT_EQ(copy.Run(L" /REGSERVER"), 1u);
    EXPECT_FALSE(ClassesKeyExists(copy.ProgID()));
  }
  {
    ServerCopy copy(L"server_noversion", L"DcomSinVersion");
    ASSERT_EQ(copy.Run(L" /REGSERVER"), 0u);
    EXPECT_TRUE(ClassesValue(copy.ProgID() + L"\\CLSID").has_value());
  }
}

TEST_F(DcomRegistryTest, UnregisterRemovesWhatRegisterWrote) {
  ServerCopy alfa(L"server", L"DcomBorrar");
  ASSERT_EQ(alfa.Run(L" /REGSERVER"), 0u);
  const auto clsid = ClassesValue(alfa.ProgID() + L"\\CLSID");
  ASSERT_TRUE(clsid.has_value());
  ASSERT_TRUE(ClassesKeyExists(L"AppID\\" + *clsid));
  EXPECT_EQ(alfa.Run(L" /UNREGSERVER"), 0u);
  EXPECT_FALSE(ClassesKeyExists(alfa.ProgID()));
  EXPECT_FALSE(ClassesKeyExists(L"CLSID\\" + *clsid));
  EXPECT_FALSE(ClassesKeyExists(L"AppID\\" + *clsid));
  SDCOMConnection dcom(nullptr, registry);
  dcom.SetServerName(S(alfa.ProgID()));
  EXPECT_EQ(dcom.ServerGUID(), u"");
}

// The version block the registration run shows for each server.
std::optional<std::wstring> FileDescription(const std::wstring& path) {
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> block(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\StringFileInfo\\0C0A04E4\\FileDescription", &value,
                        &length))
    return std::nullopt;
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(DcomServerFixture, VariantsCarryTheirDescriptions) {
  EXPECT_EQ(FileDescription(FixtureServer(L"server")), L"Servidor DCOM de prueba");
  EXPECT_EQ(FileDescription(FixtureServer(L"server_ventas")), L"Servidor de Ventas");
  EXPECT_EQ(FileDescription(FixtureServer(L"server_nomina")), L"Servidor de N\u00F3mina");
  EXPECT_EQ(FileDescription(FixtureServer(L"server_inventario")), L"Servidor de Inventario");
  EXPECT_EQ(FileDescription(FixtureServer(L"server_noversion")), std::nullopt);
}

}  // namespace
