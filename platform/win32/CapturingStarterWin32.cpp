#include "platform/win32/CapturingStarterWin32.h"

#include <vector>

#include "platform/win32/Errors.h"
#include "platform/win32/PipeReader.h"
#include "platform/win32/ProcessWait.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

namespace {

// The attribute list that limits inheritance to `handles`; deleted on every
// way out.
class InheritOnly {
 public:
  explicit InheritOnly(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    if (!::InitializeProcThreadAttributeList(List(), 1, 0, &size)) RaiseLastOSError();
    initialized_ = true;
    if (!::UpdateProcThreadAttribute(List(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                     handles_.size() * sizeof(HANDLE), nullptr, nullptr))
      RaiseLastOSError();
  }
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;
  ~InheritOnly() {
    if (initialized_) ::DeleteProcThreadAttributeList(List());
  }
  LPPROC_THREAD_ATTRIBUTE_LIST List() noexcept {
    return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
  }

 private:
  std::vector<HANDLE> handles_;  // must outlive the list
  std::vector<BYTE> storage_;
  bool initialized_ = false;
};

UniqueHandle OpenNulForReading() {
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  UniqueHandle nul(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inheritable, OPEN_EXISTING, 0, nullptr));
  if (nul.get() == INVALID_HANDLE_VALUE) {
    nul.release();
    RaiseLastOSError();
  }
  return nul;
}

String FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return String();
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
  return FromW(text.data(), text.size());
}

// CreateProcessW completes a relative name from the current folder: only a
// full path is taken.
bool IsFullPath(const String& path) {
  const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
  if (path.size() >= 3 && path[1] == u':' && separator(path[2])) return true;
  return path.size() >= 3 && separator(path[0]) && separator(path[1]);
}

String RefusalText(DWORD code) {
  String text = SystemErrorText(code);
  while (!text.empty() && text.back() <= u' ') text.pop_back();
  return text.empty() ? u"error " + IntToStr(code) : text;
}

class CapturedProcessWin32 final : public ICapturedProcess {
 public:
  CapturedProcessWin32(UniqueHandle process, std::unique_ptr<PipeReader> reader,
                       DWORD drainMs) noexcept
      : process_(std::move(process)), reader_(std::move(reader)), drainMs_(drainMs) {}

  bool HasHandle() const override { return true; }
  bool Ended() override { return ProcessEnded(process_.get()); }
  WaitResult WaitOnce() override { return WaitForProcessOrInput(process_.get()); }

  String Output() override {
    if (!ProcessEnded(process_.get()))
      throw Exception(u"The output of a program is read once it has ended.");
    if (reader_) {
      output_ = FromAnsi(reader_->Finish(drainMs_));
      reader_.reset();
    }
    return output_;
  }

 private:
  UniqueHandle process_;
  std::unique_ptr<PipeReader> reader_;
  DWORD drainMs_;
  String output_;
};

}  // namespace

std::unique_ptr<ICapturedProcess> CapturingStarterWin32::StartCaptured(const String& programPath,
                                                                       const String& parameters,
                                                                       String& refusal) {
  if (!IsFullPath(programPath)) {
    refusal = RefusalText(ERROR_BAD_PATHNAME);
    return nullptr;
  }
  CapturePipe pipe = MakeCapturePipe();
  UniqueHandle input = OpenNulForReading();
  // Reading starts before the child does, so it can never fill the pipe.
  auto reader = std::make_unique<PipeReader>(std::move(pipe.reading));

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup);
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = SW_HIDE;
  startup.StartupInfo.hStdInput = input.get();
  startup.StartupInfo.hStdOutput = pipe.writing.get();
  startup.StartupInfo.hStdError = pipe.writing.get();
  InheritOnly inherit({pipe.writing.get(), input.get()});
  startup.lpAttributeList = inherit.List();

  String commandLine = u"\"" + programPath + u"\"";
  if (!parameters.empty()) commandLine += u" " + parameters;
  PROCESS_INFORMATION started{};
  const BOOL ok = ::CreateProcessW(
      W(programPath), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, TRUE,
      CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT | CREATE_UNICODE_ENVIRONMENT, nullptr,
      nullptr, &startup.StartupInfo, &started);
  const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
  // Our copy of the writing end goes, so the pipe closes when the child's
  // (and its children's) copies do.
  pipe.writing.reset();
  if (!ok) {
    refusal = RefusalText(error);
    return nullptr;
  }
  UniqueHandle thread(started.hThread);
  return std::make_unique<CapturedProcessWin32>(UniqueHandle(started.hProcess), std::move(reader),
                                                drainMs_);
}

}  // namespace varnel::win32
