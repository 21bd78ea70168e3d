#pragma once
// The one base of every window the program makes: forms, painted controls,
// the application's hidden window. One static window procedure serves them
// all: it binds the object at WM_NCCREATE and lets go of it at
// WM_NCDESTROY, hands the notifications a child sends back to the child's
// object, and catches whatever a handler throws for the host's error
// presentation, so that no exception crosses a Win32 callback.

#include <windows.h>

#include <cstdint>
#include <optional>

#include "forms/win32/Host.h"

namespace varnel::forms {

// How a window is made; the class must have been registered with
// Window::RegisterWindowClass, or be a standard control class.
struct WindowArgs {
  const wchar_t* ClassName = nullptr;
  const wchar_t* Text = L"";
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  HWND Parent = nullptr;  // parent, or owner of a top-level window
  int Id = 0;             // child control identifier
};

// A window class of the toolkit: arrow cursor, the program's icon.
struct WindowClass {
  const wchar_t* Name = nullptr;
  UINT Style = 0;
  HBRUSH Background = nullptr;
};

// The colour of the window text, where a colour may be given.
inline constexpr std::uint32_t kWindowTextColor = 0xFFFFFFFF;

// The colours of a control on the button face: WM_CTLCOLOR*'s answer.
LRESULT FaceColors(HDC dc, std::uint32_t textColor);

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  // Destroys a window of the toolkit's classes that is still there. Classes
  // whose window reports to their members destroy it first (Destroy).
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  IFormHost& Host() const { return host_; }

  // Registers `windowClass` for Window's procedure; registering a name again
  // does nothing. Raises EOSError when the system refuses.
  static void RegisterWindowClass(const WindowClass& windowClass);
  // The object of a window of the toolkit's classes; nullptr for any other.
  static Window* FromHandle(HWND hwnd);

 protected:
  explicit Window(IFormHost& host) : host_(host) {}

  // Makes the window; a window of the toolkit's classes is bound to this
  // object before its first message. Raises EOSError on failure.
  void Create(const WindowArgs& args);
  // Keeps a window made elsewhere (a standard control, or a window another
  // object serves); it is not bound and not destroyed by this object.
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  // Takes the window down now, while every object it reports to is alive.
  void Destroy();

  // Every message of a bound window. The default gives children without an
  // object the button-face colours, and the rest to DefWindowProc.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // A notification this window sent its parent (WM_COMMAND, WM_NOTIFY,
  // WM_DRAWITEM, WM_CTLCOLOR*), handed back to it by the parent. Nothing:
  // the parent handles it itself.
  virtual std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp);
  // The object of the child window `child` of this window, if any.
  virtual Window* ChildObject(HWND child) const { return FromHandle(child); }

  // WM_PAINT and WM_PRINTCLIENT go to Paint; true when `msg` was one.
  bool PaintMessage(UINT msg, WPARAM wp);
  virtual void Paint(HDC) {}

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  std::optional<LRESULT> Reflect(UINT msg, WPARAM wp, LPARAM lp);

  IFormHost& host_;
  HWND hwnd_ = nullptr;
  bool bound_ = false;  // the window runs Procedure and knows this object
};

}  // namespace varnel::forms
