#pragma once
// Starting a console tool by its full path with what it prints captured,
// for tools that report their failures only there (DComPerm prints its
// errors and exits with 0). The started process is waited for like any
// other (IStartedProcess), so the runner's loop of pump, look and wait
// serves it unchanged.

#include <memory>

#include "platform/ProcessStarter.h"
#include "runtime/String.h"

namespace varnel {

class ICapturedProcess : public IStartedProcess {
 public:
  // What the program wrote to its standard output and error, in the order
  // it arrived, decoded from the ANSI code page. To be asked once Ended()
  // is true: it waits a little for the last bytes (a program the tool
  // started may still hold the pipe, and is not waited for long). Raises
  // Exception when asked before the end.
  virtual String Output() = 0;
};

class ICapturingStarter {
 public:
  virtual ~ICapturingStarter() = default;
  // Starts the program at `programPath`, a full path (nothing is searched
  // for), with the command line `"programPath" parameters`, without a
  // window, its standard input empty and its standard output and error
  // captured. nullptr when it could not be started; `refusal` then holds
  // the system's text for why.
  virtual std::unique_ptr<ICapturedProcess> StartCaptured(const String& programPath,
                                                          const String& parameters,
                                                          String& refusal) = 0;
};

}  // namespace varnel
