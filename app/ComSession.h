#pragma once
// COM for the calling thread, as a pair that cannot be unbalanced: the
// initialisation here, the matching uninitialisation on every way out. A
// failed initialisation is not undone.

#include <objbase.h>
#include <ole2.h>

namespace varnel::app {

template <HRESULT (*Initialize)(), void (*Uninitialize)()>
class ThreadSession {
 public:
  ThreadSession() : initialized_(SUCCEEDED(Initialize())) {}
  ThreadSession(const ThreadSession&) = delete;
  ThreadSession& operator=(const ThreadSession&) = delete;
  ~ThreadSession() {
    if (initialized_) Uninitialize();
  }

 private:
  bool initialized_;
};

inline HRESULT OleInitializeThread() { return ::OleInitialize(nullptr); }
inline HRESULT CoInitializeThread() { return ::CoInitialize(nullptr); }
inline void OleUninitializeThread() { ::OleUninitialize(); }
inline void CoUninitializeThread() { ::CoUninitialize(); }

// OLE (and with it COM) for the thread: drag and drop, the clipboard, the
// shell's dialogs.
using OleSession = ThreadSession<OleInitializeThread, OleUninitializeThread>;
// One more COM initialisation of the thread, balanced on its own.
using ComSession = ThreadSession<CoInitializeThread, CoUninitializeThread>;

}  // namespace varnel::app
