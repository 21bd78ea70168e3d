// Programs started with their output captured: what they print arrives in
// order and whole, a program that prints much never blocks, nothing waits
// long for a grandchild that keeps the pipe, and the stand-in DComPerm's
// failure is read out of its words.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/win32/AppIdRegistryWin32.h"
#include "platform/win32/CapturingStarterWin32.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"
#include "runtime/Exceptions.h"
#include "setup/DComPermOutput.h"

using namespace varnel;
using namespace varnel::setup;
using namespace varnel::win32;

namespace {

String Fixture(const char16_t* relative) {
  String path = u"Z:" + FromUtf8(VARNEL_BINARY_DIR) + u"/fixtures/";
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return path + relative;
}

const String kTalker = Fixture(u"talker\\talker.exe");

std::unique_ptr<ICapturedProcess> Start(ICapturingStarter& starter, const String& program,
                                        const String& parameters) {
  String refusal;
  auto process = starter.StartCaptured(program, parameters, refusal);
  EXPECT_TRUE(process) << ToUtf8(refusal);
  return process;
}

// The runner's loop without a pump: wait, look, for at most `bound`.
bool WaitForEnd(IStartedProcess& process, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!process.Ended()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    if (process.WaitOnce() == WaitResult::Ended) break;
  }
  return true;
}

String CapturedOutput(ICapturingStarter& starter, const String& program, const String& parameters) {
  auto process = Start(starter, program, parameters);
  if (!process) return u"(not started)";
  EXPECT_TRUE(process->HasHandle());
  EXPECT_TRUE(WaitForEnd(*process, std::chrono::seconds(20)));
  return process->Output();
}

}  // namespace

TEST(CapturedProcess, OutputAndErrorArriveInOrderOnOnePipe) {
  CapturingStarterWin32 starter;
  EXPECT_EQ(CapturedOutput(starter, kTalker, u"lines"), u"salida 1\nerror 1\nsalida 2\n");
  // Decoded from the ANSI code page, whichever it is.
  EXPECT_EQ(CapturedOutput(starter, kTalker, u"ansi"), u"año ñandú\r\n");
  // Its standard input is empty, not ours and not a console to wait on.
  EXPECT_EQ(CapturedOutput(starter, kTalker, u"stdin"), u"read 0\n");
}

TEST(CapturedProcess, AProgramThatPrintsMuchNeverWaitsForUs) {
  CapturingStarterWin32 starter;
  auto process = Start(starter, kTalker, u"big 256");  // 256 KiB, far beyond the pipe's buffer
  ASSERT_TRUE(process);
  // Nobody asks for the output until the program has ended.
  ASSERT_TRUE(WaitForEnd(*process, std::chrono::seconds(20)));
  const String output = process->Output();
  EXPECT_EQ(output.size(), 256u * 1024u + 4u);
  EXPECT_EQ(output.substr(output.size() - 4), u"fin\n");
  EXPECT_EQ(process->Output(), output);  // asked again, the same
}

TEST(CapturedProcess, AGrandchildHoldingThePipeDelaysTheOutputOnlyBriefly) {
  CapturingStarterWin32 starter(300);
  auto process = Start(starter, kTalker, u"spawn");
  ASSERT_TRUE(process);
  ASSERT_TRUE(WaitForEnd(*process, std::chrono::seconds(20)));
  const auto begin = std::chrono::steady_clock::now();
  const String output = process->Output();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
  ASSERT_EQ(output.rfind(u"child ", 0), 0u) << ToUtf8(output);
  const auto child = static_cast<DWORD>(std::stoul(ToUtf8(output.substr(6))));
  const UniqueHandle grandchild(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child));
  ASSERT_TRUE(grandchild);
  EXPECT_EQ(::WaitForSingleObject(grandchild.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the grandchild still runs, holding the pipe";
  ::TerminateProcess(grandchild.get(), 1);
  ::WaitForSingleObject(grandchild.get(), 5000);
}

TEST(CapturedProcess, OutputIsForAProgramThatHasEnded) {
  CapturingStarterWin32 starter;
  auto process = Start(starter, kTalker, u"sleep 1500");
  ASSERT_TRUE(process);
  EXPECT_FALSE(process->Ended());
  EXPECT_THROW(process->Output(), Exception);
  // Let go while it runs: the reading stops, the program goes on alone.
  const auto begin = std::chrono::steady_clock::now();
  process.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));
}

TEST(CapturedProcess, AProgramThatCannotStartIsRefusedWithTheSystemsWords) {
  CapturingStarterWin32 starter;
  String refusal;
  EXPECT_EQ(starter.StartCaptured(Fixture(u"talker\\no-existe.exe"), u"", refusal), nullptr);
  EXPECT_FALSE(refusal.empty());
  // A bare name is not completed from the current folder.
  wchar_t saved[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(::SetCurrentDirectoryW(W(Fixture(u"talker"))));
  refusal.clear();
  EXPECT_EQ(starter.StartCaptured(u"talker.exe", u"lines", refusal), nullptr);
  EXPECT_EQ(starter.StartCaptured(u".\\talker.exe", u"lines", refusal), nullptr);
  ::SetCurrentDirectoryW(saved);
  EXPECT_FALSE(refusal.empty());
}

TEST(CapturedProcess, TheStandInDComPermFailsInTheRealOnesWords) {
  // An AppID key the stand-in may change.
  GUID guid;
  ASSERT_EQ(::CoCreateGuid(&guid), S_OK);
  wchar_t text[40];
  ::StringFromGUID2(guid, text, 40);
  const String appId = FromW(text);
  const String keyPath = u"SOFTWARE\\Classes\\AppID\\" + appId;
  {
    UniqueKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(keyPath), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
  }
  const String dcomperm = Fixture(u"dcomperm\\DComPerm.exe");
  CapturingStarterWin32 starter;
  AppIdRegistryWin32 registry;

  ::SetEnvironmentVariableW(L"VARNEL_DCOMPERM_FAIL", W(appId.substr(1, appId.size() - 2)));
  const String failed = CapturedOutput(starter, dcomperm, u"-runas " + appId + u" usuario clave");
  EXPECT_EQ(
      DComPermFailure(failed), u"ERROR: Cannot set RunAs password. " +
                                   [] {
                                     wchar_t message[512] = {};
                                     ::FormatMessageW(
                                         FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                         nullptr, ERROR_NONE_MAPPED, 0, message, 512, nullptr);
                                     String system = FromW(message);
                                     while (!system.empty() && system.back() <= u' ')
                                       system.pop_back();
                                     return system;
                                   }())
      << ToUtf8(failed);
  EXPECT_FALSE(registry.ReadRunAs(appId).ValuePresent) << "a failing tool changes nothing";

  ::SetEnvironmentVariableW(L"VARNEL_DCOMPERM_FAIL", L"{00000000-0000-0000-0000-000000000001}");
  const String succeeded =
      CapturedOutput(starter, dcomperm, u"-runas " + appId + u" \"Interactive User\"");
  EXPECT_EQ(DComPermFailure(succeeded), u"") << ToUtf8(succeeded);
  EXPECT_EQ(registry.ReadRunAs(appId).Text, u"Interactive User");

  ::SetEnvironmentVariableW(L"VARNEL_DCOMPERM_FAIL", nullptr);
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, W(keyPath));
}
