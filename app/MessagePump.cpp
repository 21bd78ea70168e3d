#include "app/MessagePump.h"

#include <windows.h>

#include "forms/win32/Form.h"

namespace varnel::app {

void MessagePump::ProcessMessages() {
  MSG msg{};
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      continue;
    }
    if (forms::Form::PreTranslate(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace varnel::app
