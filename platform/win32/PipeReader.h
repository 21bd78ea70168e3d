#pragma once
// The reading end of a pipe a child process writes to, drained by a thread
// of its own from the start, so a child that writes much never blocks on a
// full pipe however long the caller takes to look. The pipe is a named one
// opened for overlapped reads, so that the reading can be stopped at any
// time, also while a grandchild keeps the writing end open.

#include <windows.h>

#include <string>

#include "platform/win32/Unique.h"

namespace varnel::win32 {

struct CapturePipe {
  UniqueHandle reading;  // overlapped, not inheritable
  UniqueHandle writing;  // inheritable, to be handed to the child only
};

// A new pipe of a unique name, both ends connected. Raises EOSError.
CapturePipe MakeCapturePipe();

class PipeReader {
 public:
  // Starts the thread over `reading`. Raises EOSError.
  explicit PipeReader(UniqueHandle reading);
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;
  // Stops the reading and joins the thread.
  ~PipeReader();

  // Waits up to `drainMs` for every writer to close the pipe, stops the
  // reading if one still holds it, and returns the bytes read.
  const std::string& Finish(DWORD drainMs);

 private:
  static DWORD WINAPI Run(void* self);
  void ReadUntilClosedOrStopped();
  void Stop() noexcept;

  UniqueHandle reading_;
  UniqueHandle readDone_;  // the overlapped reads' event
  UniqueHandle stop_;
  UniqueHandle thread_;
  std::string bytes_;  // the thread's until it has ended
};

}  // namespace varnel::win32
