#include "tests/ui/driver/Process.h"

#include <algorithm>
#include <cwctype>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::ui {

using win32::FromW;
using win32::W;

namespace {

String Upper(StringView text) {
  String result(text);
  for (char16_t& c : result) c = static_cast<char16_t>(std::towupper(c));
  return result;
}

String NameOf(StringView entry) {
  // Entries such as "=C:=C:\..." start with "="; their name includes it.
  const std::size_t equals = entry.find(u'=', 1);
  return String(entry.substr(0, equals == StringView::npos ? entry.size() : equals));
}

}  // namespace

String ComposeCommandLine(const String& path, const String& arguments) {
  String line = u"\"" + path + u"\"";
  if (!arguments.empty()) line += u" " + arguments;
  return line;
}

std::pair<String, String> PathWith(StringView folder) {
  std::vector<wchar_t> buffer(32768);
  const DWORD length =
      ::GetEnvironmentVariableW(L"PATH", buffer.data(), static_cast<DWORD>(buffer.size()));
  String path(folder);
  if (length != 0 && length < buffer.size()) {
    path += u';';
    path.append(buffer.begin(), buffer.begin() + length);
  }
  return {u"PATH", path};
}

String ComposeEnvironmentBlock(const std::vector<std::pair<String, String>>& overrides) {
  std::vector<String> entries;
  if (wchar_t* block = ::GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p; p += std::wcslen(p) + 1) entries.push_back(FromW(p));
    ::FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : overrides) {
    const String key = Upper(name);
    std::erase_if(entries, [&](const String& e) { return Upper(NameOf(e)) == key; });
    entries.push_back(name + u"=" + value);
  }
  // Windows wants the block sorted by name, without regard to case.
  std::sort(entries.begin(), entries.end(),
            [](const String& a, const String& b) { return Upper(NameOf(a)) < Upper(NameOf(b)); });
  String block;
  for (const String& e : entries) {
    block += e;
    block.push_back(u'\0');
  }
  block.push_back(u'\0');
  return block;
}

namespace {
ProcessOptions PathAndArguments(const String& path, const String& arguments) {
  ProcessOptions options;
  options.Path = path;
  options.Arguments = arguments;
  return options;
}
}  // namespace

Process::Process(const String& path, const String& arguments)
    : Process(PathAndArguments(path, arguments)) {}

Process::Process(const ProcessOptions& options) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (options.Hidden) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
  }
  String commandLine = ComposeCommandLine(options.Path, options.Arguments);
  String environment;
  if (!options.Environment.empty()) environment = ComposeEnvironmentBlock(options.Environment);
  win32::UniqueHandle output;
  if (!options.OutputFile.empty()) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    output.reset(::CreateFileW(W(options.OutputFile), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (output.get() == INVALID_HANDLE_VALUE) {
      output.release();
      win32::RaiseLastOSError();
    }
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
  }
  PROCESS_INFORMATION info{};
  const BOOL started = ::CreateProcessW(
      W(options.Path), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr,
      output ? TRUE : FALSE, CREATE_UNICODE_ENVIRONMENT,
      environment.empty() ? nullptr : const_cast<wchar_t*>(W(environment)),
      options.WorkingDirectory.empty() ? nullptr : W(options.WorkingDirectory), &startup, &info);
  if (!started) {
    const DWORD code = ::GetLastError();
    throw Exception(u"Cannot start " + options.Path + u": " + win32::MakeOSError(code).Message());
  }
  ::CloseHandle(info.hThread);
  handle_.reset(info.hProcess);
  id_ = info.dwProcessId;
  threadId_ = info.dwThreadId;
}

Process::~Process() {
  if (handle_ && !detached_ && IsRunning()) Kill();
}

bool Process::Wait(Milliseconds timeout) const {
  return ::WaitForSingleObject(handle_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Process::WaitForExit(Milliseconds timeout) const {
  if (!Wait(timeout))
    throw TimeoutError(TimeoutMessage(u"process " + IntToStr(id_) + u" to exit", timeout));
}

bool Process::IsRunning() const { return handle_ && !Wait(Milliseconds(0)); }

DWORD Process::ExitCode() const {
  if (IsRunning()) throw Exception(u"Process " + IntToStr(id_) + u" is still running");
  DWORD code = 0;
  if (!::GetExitCodeProcess(handle_.get(), &code)) win32::RaiseLastOSError();
  return code;
}

void Process::Kill(UINT exitCode) const {
  if (!IsRunning()) return;
  ::TerminateProcess(handle_.get(), exitCode);
  Wait(Milliseconds(5000));
}

void Process::WaitForInputIdle(Milliseconds timeout) const {
  const DWORD result = ::WaitForInputIdle(handle_.get(), static_cast<DWORD>(timeout.count()));
  if (result == WAIT_TIMEOUT)
    throw TimeoutError(TimeoutMessage(u"process " + IntToStr(id_) + u" to be idle", timeout));
}

}  // namespace varnel::ui
