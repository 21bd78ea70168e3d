#pragma once
// Starting a program through the shell and waiting for it, as the command
// runner sees it. The runner owns the loop (pump, look, wait); this interface
// only gives it the pieces, so the loop can be tried without real processes.

#include <memory>

#include "runtime/String.h"

namespace varnel {

// Why one blocking wait returned.
enum class WaitResult {
  Ended,           // the process has ended
  InputAvailable,  // something arrived in the calling thread's message queue
};

// A program the shell has started. Destroying it releases the process handle;
// the program itself keeps running.
class IStartedProcess {
 public:
  virtual ~IStartedProcess() = default;
  // False when the shell reported success without handing back a process
  // (it passed the file to a program that was already running).
  virtual bool HasHandle() const = 0;
  // Whether the process has ended, without waiting. An end is told by the
  // process itself, not by its exit code, so a program that exits with 259
  // has ended too.
  virtual bool Ended() = 0;
  // Blocks the calling thread, without using the processor, until the
  // process has ended or input is waiting in the thread's queue.
  virtual WaitResult WaitOnce() = 0;
};

class IProcessStarter {
 public:
  virtual ~IProcessStarter() = default;
  // Starts `program` hidden with `parameters` as its command-line tail.
  // nullptr when the shell could not start it (any error box of the shell's
  // own has been shown and closed by then); `refusal` then holds the
  // system's text for why, so a report can say it.
  virtual std::unique_ptr<IStartedProcess> Start(const String& program, const String& parameters,
                                                 String& refusal) = 0;
};

}  // namespace varnel
