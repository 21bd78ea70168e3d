// The class-key reader over both registry views of the real registry: a key
// written in one view is found in that view only. Under Wine's 64-bit
// prefix, KEY_WOW64_32KEY writes land under Wow6432Node, as on Windows.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/AppIdRegistryWin32.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

using namespace varnel;
using namespace varnel::win32;

namespace {

String NewGuidText() {
  GUID guid;
  EXPECT_EQ(::CoCreateGuid(&guid), S_OK);
  wchar_t text[40];
  ::StringFromGUID2(guid, text, 40);
  return FromW(text);
}

REGSAM ViewFlag(RegistryView view) {
  return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

// HKLM\SOFTWARE\Classes\CLSID\{new} with an AppID value and a LocalServer32
// subkey, written in one view only; deleted from it on destruction.
class ClassKey {
 public:
  ClassKey(RegistryView view, const String& appId, const String& commandLine, DWORD type)
      : view_(view), clsid_(NewGuidText()), path_(u"SOFTWARE\\Classes\\CLSID\\" + clsid_) {
    Set(path_, u"AppID", appId, REG_SZ);
    Set(path_ + u"\\LocalServer32", {}, commandLine, type);
  }
  ClassKey(const ClassKey&) = delete;
  ClassKey& operator=(const ClassKey&) = delete;
  ~ClassKey() {
    UniqueKey classes;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID", 0,
                        KEY_ALL_ACCESS | ViewFlag(view_), classes.put()) == ERROR_SUCCESS)
      ::RegDeleteTreeW(classes.get(), W(clsid_));
  }
  const String& Clsid() const { return clsid_; }

 private:
  void Set(const String& path, const String& name, const String& value, DWORD type) {
    UniqueKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, nullptr, 0,
                                KEY_SET_VALUE | ViewFlag(view_), nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), name.empty() ? nullptr : W(name), 0, type,
                               reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
              ERROR_SUCCESS);
  }

  RegistryView view_;
  String clsid_;
  String path_;
};

String Environment(const char16_t* name) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(W(String(name)), buffer, MAX_PATH);
  return FromW(buffer, length < MAX_PATH ? length : 0);
}

}  // namespace

TEST(RegistryViews, AClassKeyIsFoundInTheViewItWasWrittenInOnly) {
  AppIdRegistryWin32 registry;
  const String appId32 = NewGuidText();
  const String appId64 = NewGuidText();
  const ClassKey only32(RegistryView::Bits32, appId32, u"\"C:\\Servidores\\viejo.exe\" -x", REG_SZ);
  const ClassKey only64(RegistryView::Bits64, appId64, u"C:\\Servidores\\nuevo.exe", REG_SZ);

  EXPECT_EQ(registry.ReadClassAppId(only32.Clsid(), RegistryView::Bits32), appId32);
  EXPECT_EQ(registry.ReadLocalServer32(only32.Clsid(), RegistryView::Bits32),
            u"\"C:\\Servidores\\viejo.exe\" -x");
  EXPECT_EQ(registry.ReadClassAppId(only32.Clsid(), RegistryView::Bits64), std::nullopt);
  EXPECT_EQ(registry.ReadLocalServer32(only32.Clsid(), RegistryView::Bits64), std::nullopt);

  EXPECT_EQ(registry.ReadClassAppId(only64.Clsid(), RegistryView::Bits64), appId64);
  EXPECT_EQ(registry.ReadLocalServer32(only64.Clsid(), RegistryView::Bits64),
            u"C:\\Servidores\\nuevo.exe");
  EXPECT_EQ(registry.ReadClassAppId(only64.Clsid(), RegistryView::Bits32), std::nullopt);
  EXPECT_EQ(registry.ReadLocalServer32(only64.Clsid(), RegistryView::Bits32), std::nullopt);

  // The one-argument read, kept until its callers name a view, is the 64-bit one.
  EXPECT_EQ(registry.ReadClassAppId(only64.Clsid()), appId64);
  EXPECT_EQ(registry.ReadClassAppId(only32.Clsid()), std::nullopt);
}

TEST(RegistryViews, AnExpandableCommandLineIsExpandedAndAPlainOneIsNot) {
  AppIdRegistryWin32 registry;
  const ClassKey expandable(RegistryView::Bits32, NewGuidText(), u"%SystemRoot%\\viejo.exe",
                            REG_EXPAND_SZ);
  const ClassKey plain(RegistryView::Bits32, NewGuidText(), u"%SystemRoot%\\viejo.exe", REG_SZ);
  const String systemRoot = Environment(u"SystemRoot");
  ASSERT_FALSE(systemRoot.empty());
  EXPECT_EQ(registry.ReadLocalServer32(expandable.Clsid(), RegistryView::Bits32),
            systemRoot + u"\\viejo.exe");
  EXPECT_EQ(registry.ReadLocalServer32(plain.Clsid(), RegistryView::Bits32),
            u"%SystemRoot%\\viejo.exe");
}

TEST(RegistryViews, NamesThatAreNoSingleKeyAreNotLookedUp) {
  AppIdRegistryWin32 registry;
  const ClassKey key(RegistryView::Bits64, NewGuidText(), u"C:\\s.exe", REG_SZ);
  for (const RegistryView view : {RegistryView::Bits32, RegistryView::Bits64}) {
    EXPECT_EQ(registry.ReadLocalServer32(u"", view), std::nullopt);
    EXPECT_EQ(registry.ReadClassAppId(u"", view), std::nullopt);
    EXPECT_EQ(registry.ReadLocalServer32(u"..\\CLSID\\" + key.Clsid(), view), std::nullopt);
  }
}

TEST(RegistryViews, TheAdministratorOfThePrefixCanWriteIdentities) {
  // Wine's prefix user holds every right; a refusal (no administrator
  // rights on Windows) is ERROR_ACCESS_DENIED, which the reader turns into false.
  AppIdRegistryWin32 registry;
  EXPECT_TRUE(registry.CanWriteIdentities());
}
