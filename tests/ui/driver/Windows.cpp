#include "tests/ui/driver/Windows.h"

#include <algorithm>

#include "platform/win32/Errors.h"
#include "platform/win32/Text.h"

namespace varnel::ui {

using win32::FromW;

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  // Only collects: nothing here can throw across the callback.
  auto* windows = reinterpret_cast<std::vector<HWND>*>(context);
  windows->push_back(window);
  return TRUE;
}

bool Matches(HWND window, const WindowQuery& query) {
  if (query.VisibleOnly && !::IsWindowVisible(window)) return false;
  if (query.ProcessId != 0 && ProcessIdOf(window) != query.ProcessId) return false;
  if (query.ClassName && ClassNameOf(window) != *query.ClassName) return false;
  if (query.Caption) {
    const String caption = ReadText(window);
    if (query.CaptionPrefix ? !caption.starts_with(*query.Caption) : caption != *query.Caption)
      return false;
  }
  return true;
}

}  // namespace

String Describe(const WindowQuery& query) {
  String text = u"window";
  if (query.ProcessId != 0) text += u" of process " + IntToStr(query.ProcessId);
  if (query.Caption)
    text += (query.CaptionPrefix ? u" with caption starting \"" : u" with caption \"") +
            *query.Caption + u"\"";
  if (query.ClassName) text += u" of class \"" + *query.ClassName + u"\"";
  if (query.VisibleOnly) text += u" (visible)";
  return text;
}

std::vector<HWND> FindTopLevelWindows(const WindowQuery& query) {
  std::vector<HWND> all;
  ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> found;
  for (HWND window : all)
    if (::IsWindow(window) && Matches(window, query)) found.push_back(window);
  return found;
}

HWND FindTopLevelWindow(const WindowQuery& query) {
  const std::vector<HWND> found = FindTopLevelWindows(query);
  return found.empty() ? nullptr : found.front();
}

HWND WaitForWindow(const WindowQuery& query, Milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevelWindow(query)) != nullptr; }, timeout,
            Describe(query));
  return found;
}

void WaitForWindowGone(HWND window, Milliseconds timeout) {
  // The window is going away: its caption is read without a message, which
  // would wait for the full timeout once the window is destroyed.
  wchar_t caption[512];
  const int length = ::InternalGetWindowText(window, caption, 512);
  WaitUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }, timeout,
            u"window \"" + FromW(caption, static_cast<std::size_t>(std::max(length, 0))) +
                u"\" to close");
}

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Milliseconds timeout) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             static_cast<UINT>(timeout.count()), &result))
    throw TimeoutError(
        TimeoutMessage(u"window message " + IntToHex(message, 4) + u" to be answered", timeout));
  return static_cast<LRESULT>(result);
}

String ReadText(HWND window, Milliseconds timeout) {
  DWORD_PTR length = 0;
  if (::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                            static_cast<UINT>(timeout.count()), &length)) {
    // Room to spare: the text may change (a label of a running program)
    // between the two messages, and a longer one must not come back cut.
    std::wstring buffer(length + 1 + 1024, L'\0');
    DWORD_PTR copied = 0;
    if (::SendMessageTimeoutW(
            window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
            SMTO_ABORTIFHUNG | SMTO_BLOCK, static_cast<UINT>(timeout.count()), &copied))
      return FromW(buffer.data(), std::min<std::size_t>(copied, buffer.size() - 1));
  }
  wchar_t caption[1024];
  const int n = ::GetWindowTextW(window, caption, 1024);
  return FromW(caption, static_cast<std::size_t>(n > 0 ? n : 0));
}

String ClassNameOf(HWND window) {
  wchar_t name[256];
  const int n = ::GetClassNameW(window, name, 256);
  return FromW(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

DWORD ProcessIdOf(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  return pid;
}

DWORD ThreadIdOf(HWND window) { return ::GetWindowThreadProcessId(window, nullptr); }

bool IsVisible(HWND window) { return ::IsWindowVisible(window) != FALSE; }
bool IsEnabled(HWND window) { return ::IsWindowEnabled(window) != FALSE; }

RECT WindowRect(HWND window) {
  RECT r{};
  if (!::GetWindowRect(window, &r)) win32::RaiseLastOSError();
  return r;
}

RECT ClientRect(HWND window) {
  RECT r{};
  if (!::GetClientRect(window, &r)) win32::RaiseLastOSError();
  return r;
}

int OuterWidth(HWND window) { return Width(WindowRect(window)); }
int OuterHeight(HWND window) { return Height(WindowRect(window)); }

HWND OwnerOf(HWND window) { return ::GetWindow(window, GW_OWNER); }

}  // namespace varnel::ui
