#include "platform/win32/PipeReader.h"

#include <objbase.h>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::win32 {

namespace {

constexpr DWORD kChunk = 16 * 1024;

UniqueHandle NewEvent() {
  UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) RaiseLastOSError();
  return event;
}

// A name no other pipe has: a new GUID.
String UniquePipeName() {
  GUID id;
  OleCheck(::CoCreateGuid(&id));
  wchar_t text[40];
  ::StringFromGUID2(id, text, 40);
  return u"\\\\.\\pipe\\Varnel-" + FromW(text);
}

}  // namespace

CapturePipe MakeCapturePipe() {
  const String name = UniquePipeName();
  CapturePipe pipe;
  // One instance, ours: FILE_FLAG_FIRST_PIPE_INSTANCE fails rather than
  // joining a pipe someone else made under the name.
  pipe.reading.reset(::CreateNamedPipeW(
      W(name), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, kChunk, 0,
      nullptr));
  if (pipe.reading.get() == INVALID_HANDLE_VALUE) {
    pipe.reading.release();
    RaiseLastOSError();
  }
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  pipe.writing.reset(::CreateFileW(W(name), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (pipe.writing.get() == INVALID_HANDLE_VALUE) {
    pipe.writing.release();
    RaiseLastOSError();
  }
  return pipe;
}

PipeReader::PipeReader(UniqueHandle reading)
    : reading_(std::move(reading)), readDone_(NewEvent()), stop_(NewEvent()) {
  thread_.reset(::CreateThread(nullptr, 0, &PipeReader::Run, this, 0, nullptr));
  if (!thread_) RaiseLastOSError();
}

PipeReader::~PipeReader() { Stop(); }

const std::string& PipeReader::Finish(DWORD drainMs) {
  if (::WaitForSingleObject(thread_.get(), drainMs) != WAIT_OBJECT_0) Stop();
  return bytes_;
}

void PipeReader::Stop() noexcept {
  if (!thread_) return;
  ::SetEvent(stop_.get());
  ::WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI PipeReader::Run(void* self) {
  // Nothing may leave a thread's function; a failure ends the reading.
  try {
    static_cast<PipeReader*>(self)->ReadUntilClosedOrStopped();
  } catch (...) {
  }
  return 0;
}

void PipeReader::ReadUntilClosedOrStopped() {
  char chunk[kChunk];
  for (;;) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = readDone_.get();
    ::ResetEvent(readDone_.get());
    if (!::ReadFile(reading_.get(), chunk, kChunk, nullptr, &overlapped) &&
        ::GetLastError() != ERROR_IO_PENDING)
      return;  // ERROR_BROKEN_PIPE: every writer has closed its end
    const HANDLE events[] = {readDone_.get(), stop_.get()};
    const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (woken != WAIT_OBJECT_0) ::CancelIo(reading_.get());
    DWORD count = 0;
    const BOOL read = ::GetOverlappedResult(reading_.get(), &overlapped, &count, TRUE);
    bytes_.append(chunk, count);
    if (!read || woken != WAIT_OBJECT_0) return;
  }
}

}  // namespace varnel::win32
