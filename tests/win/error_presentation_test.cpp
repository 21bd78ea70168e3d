// How the application presents an exception that leaves a handler: one
// modal box with the message (a "." added after letters and digits), the
// application title, the error icon and OK; nothing at all for the silent
// abort; the capture cancelled first; the other windows disabled while the
// box is open; focus back afterwards; and the message loop goes on.
//
// The real application object hosts two small forms in this process. The
// box is modal, so a helper thread finds it, reads it and presses OK while
// the GUI thread sits in the box's own loop.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/Application.h"
#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "platform/win32/Text.h"
#include "runtime/Exceptions.h"

namespace varnel {
namespace {

using std::chrono::milliseconds;

const String kTitle = u"Configuración Servidores Quiral Velmira";
constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 0x440;

std::string U8(const String& text) { return ToUtf8(text); }

String TextOf(HWND hwnd) { return forms::WindowText(hwnd); }

// --- the forms the exceptions leave from ------------------------------------

class ThrowingForm final : public forms::Form {
 public:
  ThrowingForm(forms::IFormHost& host, const String& caption) : Form(host, WindowShape(caption)) {
    Build({
        {.Name = u"EdtNombre",
         .Into = &edit_,
         .Type = forms::Kind::Edit,
         .Left = 10,
         .Top = 10,
         .Width = 150,
         .Height = 21,
         .TabOrder = 0},
        {.Name = u"BitBtnLanzar",
         .Into = &button_,
         .Type = forms::Kind::PictureButton,
         .Caption = u"&Lanzar",
         .Left = 10,
         .Top = 40,
         .Width = 75,
         .Height = 25,
         .TabOrder = 1,
         .OnClick = [this] { Clicked(); }},
    });
  }

  HWND Edit() const { return edit_->Handle(); }
  HWND Button() const { return button_->Handle(); }

  // What the button's handler does after counting the click.
  std::function<void()> Action;
  int Clicks = 0;
  bool TerminateOnClose = false;

 protected:
  void OnClose() override {
    if (TerminateOnClose)
      Form::OnClose();
    else
      Hide();
  }

 private:
  forms::Edit* edit_ = nullptr;
  forms::PictureButton* button_ = nullptr;

  static forms::FormSpec WindowShape(const String& caption) {
    forms::FormSpec window;
    window.ClassName = u"TFrmPruebaErrores";
    window.Caption = caption;
    window.ClientWidth = 240;
    window.ClientHeight = 120;
    window.Font = {u"Tahoma", 11, false, 0xFFFFFFFF};
    return window;
  }
  void Clicked() {
    ++Clicks;
    if (Action) Action();
  }
};

// A child window that counts the WM_CANCELMODE messages it gets.
class CaptureWindow {
 public:
  explicit CaptureWindow(HWND parent) {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = &CaptureWindow::Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"PruebaCaptura";
      return ::RegisterClassExW(&wc);
    }();
    EXPECT_NE(atom, 0);
    hwnd_ = ::CreateWindowExW(0, L"PruebaCaptura", L"", WS_CHILD | WS_VISIBLE, 170, 40, 40, 25,
                              parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&cancelModes_));
  }
  CaptureWindow(const CaptureWindow&) = delete;
  CaptureWindow& operator=(const CaptureWindow&) = delete;
  ~CaptureWindow() { ::DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }
  int CancelModes() const { return cancelModes_.load(); }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CANCELMODE) {
      if (auto* count =
              reinterpret_cast<std::atomic<int>*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
        ++*count;
      // As the default does: give the capture up.
      if (::GetCapture() == hwnd) ::ReleaseCapture();
      return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
  HWND hwnd_ = nullptr;
  std::atomic<int> cancelModes_{0};
};

// --- the helper thread that answers the box ----------------------------------

struct SeenBox {
  String Text;
  String Caption;
  bool TextControl = false;
  bool ErrorIcon = false;
  std::vector<std::pair<int, String>> Buttons;  // visible buttons: id, text
  HWND Owner = nullptr;
  // Taken while the box was open.
  std::vector<bool> WatchedEnabled;
  HWND FocusWhileOpen = nullptr;
  int CancelModesWhileOpen = -1;
};

struct FindBoxState {
  DWORD Pid;
  HWND Found = nullptr;
};

BOOL CALLBACK FindBoxVisit(HWND hwnd, LPARAM lp) {
  auto* state = reinterpret_cast<FindBoxState*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[16] = {};
  ::GetClassNameW(hwnd, cls, 16);
  if (pid == state->Pid && ::lstrcmpW(cls, L"#32770") == 0 && ::IsWindowVisible(hwnd)) {
    state->Found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindMessageBoxOfThisProcess() {
  FindBoxState state{::GetCurrentProcessId()};
  ::EnumWindows(&FindBoxVisit, reinterpret_cast<LPARAM>(&state));
  return state.Found;
}

// Watches for this process's box for `wait`; when one appears it is read,
// `whileOpen` runs, and OK is pressed.
class BoxWatcher {
 public:
  BoxWatcher(milliseconds wait, std::vector<HWND> watched, DWORD guiThread,
             const CaptureWindow* capture = nullptr)
      : thread_([this, wait, watched = std::move(watched), guiThread, capture] {
          Watch(wait, watched, guiThread, capture);
        }) {}
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;
  ~BoxWatcher() {
    if (thread_.joinable()) thread_.join();
  }

  bool Done() const { return done_.load(); }
  // Pumps the GUI thread's messages until the watcher is done, then gives
  // what it saw.
  std::optional<SeenBox> Finish(app::Application& app) {
    while (!done_.load()) {
      app.Pump().ProcessMessages();
      ::Sleep(5);
    }
    thread_.join();
    return seen_;
  }

 private:
  void Watch(milliseconds wait, const std::vector<HWND>& watched, DWORD guiThread,
             const CaptureWindow* capture) {
    const auto end = std::chrono::steady_clock::now() + wait;
    HWND box = nullptr;
    while (!(box = FindMessageBoxOfThisProcess()) && std::chrono::steady_clock::now() < end)
      ::Sleep(10);
    if (box) {
      ::Sleep(50);  // let the box finish its WM_INITDIALOG work
      SeenBox seen;
      seen.Caption = TextOf(box);
      const HWND text = ::GetDlgItem(box, kTextId);
      seen.TextControl = text != nullptr;
      if (text) seen.Text = TextOf(text);
      const HWND icon = ::GetDlgItem(box, kIconId);
      const auto shown =
          icon ? reinterpret_cast<HICON>(::SendMessageW(icon, STM_GETICON, 0, 0)) : nullptr;
      seen.ErrorIcon = shown && shown == ::LoadIconW(nullptr, IDI_ERROR);
      for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        ::GetClassNameW(c, cls, 16);
        if (::lstrcmpiW(cls, L"Button") == 0 && ::IsWindowVisible(c))
          seen.Buttons.emplace_back(::GetDlgCtrlID(c), TextOf(c));
      }
      seen.Owner = ::GetWindow(box, GW_OWNER);
      for (HWND w : watched) seen.WatchedEnabled.push_back(::IsWindowEnabled(w) != FALSE);
      GUITHREADINFO info{};
      info.cbSize = sizeof(info);
      if (::GetGUIThreadInfo(guiThread, &info)) seen.FocusWhileOpen = info.hwndFocus;
      if (capture) seen.CancelModesWhileOpen = capture->CancelModes();
      seen_ = std::move(seen);
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
      // Done once the box is gone.
      while (::IsWindow(box) && std::chrono::steady_clock::now() < end + milliseconds(5000))
        ::Sleep(10);
    }
    done_.store(true);
  }

  std::optional<SeenBox> seen_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// --- the fixture: one application object for the whole program ---------------

// Without a window manager, Wine waits up to 2 s for one whenever a managed
// window is hidden or destroyed (every box, every form). This program's own
// windows are made unmanaged, read once when its display driver loads, that
// is before the first window; the key is removed again at the end.
constexpr wchar_t kWineAppKey[] = L"Software\\Wine\\AppDefaults\\win_error_presentation_test.exe";

void UseUnmanagedWindows() {
  HKEY key = nullptr;
  const String path = win32::FromW(kWineAppKey) + u"\\X11 Driver";
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, win32::W(path), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return;  // not under Wine's registry layout: nothing to speed up
  static const wchar_t kNo[] = L"N";
  ::RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo), sizeof(kNo));
  ::RegCloseKey(key);
}

class ErrorPresentation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseUnmanagedWindows();
    app_ = std::make_unique<app::Application>();
    app_->Initialize();
    app_->SetTitle(kTitle);
  }
  static void TearDownTestSuite() {
    app_.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kWineAppKey);
  }

  void SetUp() override {
    form_ = std::make_unique<ThrowingForm>(*app_, u"Prueba de errores");
    other_ = std::make_unique<ThrowingForm>(*app_, u"Otra ventana");
    other_->Show();
    form_->Show();
    app_->Pump().ProcessMessages();
    ASSERT_EQ(::GetActiveWindow(), form_->Handle());
  }
  void TearDown() override {
    form_.reset();
    other_.reset();
    app_->SetTitle(kTitle);
  }

  // Clicks the button with `action` as its handler and answers the box.
  std::optional<SeenBox> ClickWith(std::function<void()> action,
                                   milliseconds wait = milliseconds(5000),
                                   const CaptureWindow* capture = nullptr,
                                   bool viaCommand = false) {
    form_->Action = std::move(action);
    BoxWatcher watcher(wait, {form_->Handle(), other_->Handle()}, ::GetCurrentThreadId(), capture);
    if (viaCommand) {
      // The notification a click sends, without the focus (and so the
      // activation) the button takes when it is pressed.
      ::SendMessageW(form_->Handle(), WM_COMMAND,
                     MAKEWPARAM(::GetDlgCtrlID(form_->Button()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(form_->Button()));
    } else {
      ::SendMessageW(form_->Button(), BM_CLICK, 0, 0);
    }
    return watcher.Finish(*app_);
  }
  std::optional<SeenBox> ClickThrowing(const String& message) {
    return ClickWith([message] { throw Exception(message); });
  }

  static std::unique_ptr<app::Application> app_;
  std::unique_ptr<ThrowingForm> form_;
  std::unique_ptr<ThrowingForm> other_;
};

std::unique_ptr<app::Application> ErrorPresentation::app_;

void ExpectErrorBox(const std::optional<SeenBox>& box, const String& text, const char* what) {
  ASSERT_TRUE(box.has_value()) << what << ": no message box";
  EXPECT_EQ(U8(box->Text), U8(text)) << what;
  EXPECT_TRUE(box->TextControl) << what;
  EXPECT_EQ(U8(box->Caption), U8(kTitle)) << what;
  EXPECT_TRUE(box->ErrorIcon) << what;
  ASSERT_EQ(box->Buttons.size(), 1u) << what;
  EXPECT_EQ(box->Buttons[0].first, IDOK) << what;
  EXPECT_EQ(U8(box->Buttons[0].second), "OK") << what;
}

// --- the message -------------------------------------------------------------

TEST_F(ErrorPresentation, DotAddedOnlyAfterCharactersAboveTheDot) {
  struct Case {
    const char16_t* thrown;
    const char16_t* shown;
  };
  const Case cases[] = {
      {u"Debe digitar un Usuario.", u"Debe digitar un Usuario."},
      {u"Falta la contraseña", u"Falta la contraseña."},
      {u"Código 5", u"Código 5."},
      {u"Configuración", u"Configuración."},  // non-ASCII letter
      {u"¡Atención!", u"¡Atención!"},
      {u"Error (x)", u"Error (x)"},
      {u"Termina en blanco ", u"Termina en blanco "},
      {u"Termina en coma,", u"Termina en coma,"},     // 0x2C
      {u"Termina en guion-", u"Termina en guion-"},   // 0x2D
      {u"Termina en barra/", u"Termina en barra/."},  // 0x2F, just above the dot
      {u"Termina en dos puntos:", u"Termina en dos puntos:."},
      {u"Línea\r\n", u"Línea\r\n"},
  };
  for (const Case& c : cases)
    ExpectErrorBox(ClickThrowing(c.thrown), c.shown, ToUtf8(c.thrown).c_str());
  EXPECT_EQ(form_->Clicks, static_cast<int>(std::size(cases)));
}

TEST_F(ErrorPresentation, EmptyMessageGivesAnEmptyBoxWithCaptionAndIcon) {
  ExpectErrorBox(ClickThrowing(u""), u"", "empty message");
}

TEST_F(ErrorPresentation, EveryExceptionKindShowsItsMessage) {
  ExpectErrorBox(ClickWith([] { throw EOSError(u"Falla del sistema", 5); }), u"Falla del sistema.",
                 "EOSError");
  ExpectErrorBox(ClickWith([] { throw EOleSysError(u"Clase no registrada", -2147221164); }),
                 u"Clase no registrada.", "EOleSysError");
  ExpectErrorBox(ClickWith([] { throw EConvertError(u"Texto inválido"); }), u"Texto inválido.",
                 "EConvertError");
  ExpectErrorBox(ClickWith([] { throw std::runtime_error("fallo estándar"); }), u"fallo estándar.",
                 "std::runtime_error");
}

TEST_F(ErrorPresentation, ChangedTitleFollowsIntoTheCaption) {
  app_->SetTitle(u"Otro título ñ");
  const std::optional<SeenBox> box = ClickThrowing(u"Hola");
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(U8(box->Caption), "Otro título ñ");
  EXPECT_EQ(U8(box->Text), "Hola.");
}

// --- the silent abort and the loop going on ------------------------------------

TEST_F(ErrorPresentation, SilentAbortShowsNothingAndTheLoopGoesOn) {
  const auto start = std::chrono::steady_clock::now();
  const std::optional<SeenBox> none = ClickWith([] { throw EAbort(); }, milliseconds(1500));
  EXPECT_FALSE(none.has_value()) << "a box appeared: \"" << U8(none->Text) << "\"";
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(1500));
  EXPECT_EQ(form_->Clicks, 1);
  // The handler ran to the abort; the next click is handled as usual.
  ExpectErrorBox(ClickThrowing(u"Después"), u"Después.", "after the abort");
  ExpectErrorBox(ClickThrowing(u"Otra vez"), u"Otra vez.", "second box");
  EXPECT_EQ(form_->Clicks, 3);
  // A handler that does not throw shows nothing either.
  EXPECT_FALSE(ClickWith([] {}, milliseconds(500)).has_value());
  EXPECT_EQ(form_->Clicks, 4);
}

// --- owner, disabled windows, focus, capture -----------------------------------

TEST_F(ErrorPresentation, OwnedByTheActiveWindowOthersDisabledWhileOpen) {
  const std::optional<SeenBox> box = ClickThrowing(u"Dueño");
  ExpectErrorBox(box, u"Dueño.", "owner");
  EXPECT_EQ(box->Owner, form_->Handle());
  ASSERT_EQ(box->WatchedEnabled.size(), 2u);
  EXPECT_FALSE(box->WatchedEnabled[0]) << "the owner is enabled under its box";
  EXPECT_FALSE(box->WatchedEnabled[1]) << "the other window is enabled under the box";
  EXPECT_TRUE(::IsWindowEnabled(form_->Handle()));
  EXPECT_TRUE(::IsWindowEnabled(other_->Handle()));
  EXPECT_EQ(::GetActiveWindow(), form_->Handle());

  // With the other window active, that one owns the box; the clicked form
  // is disabled like any other window of the application.
  other_->BringToFront();
  app_->Pump().ProcessMessages();
  ASSERT_EQ(::GetActiveWindow(), other_->Handle());
  const std::optional<SeenBox> second =
      ClickWith([] { throw Exception(u"Otro dueño"); }, milliseconds(5000), nullptr, true);
  ExpectErrorBox(second, u"Otro dueño.", "other owner");
  EXPECT_EQ(second->Owner, other_->Handle());
  ASSERT_EQ(second->WatchedEnabled.size(), 2u);
  EXPECT_FALSE(second->WatchedEnabled[0]);
  EXPECT_FALSE(second->WatchedEnabled[1]);
  EXPECT_TRUE(::IsWindowEnabled(form_->Handle()));
  EXPECT_TRUE(::IsWindowEnabled(other_->Handle()));
  EXPECT_EQ(::GetActiveWindow(), other_->Handle());
}

TEST_F(ErrorPresentation, FocusReturnsToTheControlThatHadIt) {
  const HWND edit = form_->Edit();
  const std::optional<SeenBox> box = ClickWith([edit] {
    ::SetFocus(edit);
    throw Exception(u"Foco");
  });
  ExpectErrorBox(box, u"Foco.", "focus");
  // While the box was open the focus was in the box, not in the edit.
  EXPECT_NE(box->FocusWhileOpen, edit);
  EXPECT_NE(box->FocusWhileOpen, nullptr);
  EXPECT_EQ(::GetFocus(), edit);

  // The same with the button keeping the focus it took when clicked.
  ExpectErrorBox(ClickThrowing(u"Botón"), u"Botón.", "button focus");
  EXPECT_EQ(::GetFocus(), form_->Button());
}

TEST_F(ErrorPresentation, CaptureHolderGetsCancelModeBeforeTheBox) {
  CaptureWindow capture(form_->Handle());
  const std::optional<SeenBox> box = ClickWith(
      [&capture] {
        ::SetCapture(capture.Handle());
        throw Exception(u"Captura");
      },
      milliseconds(5000), &capture);
  ExpectErrorBox(box, u"Captura.", "capture");
  EXPECT_EQ(box->CancelModesWhileOpen, 1);
  EXPECT_EQ(capture.CancelModes(), 1);
  EXPECT_EQ(::GetCapture(), nullptr);

  // The silent abort cancels the capture too. No box opens here, so this is
  // the case that shows the presentation itself sends the message (a box
  // disabling its owner can cancel a child's capture on its own).
  const std::optional<SeenBox> none = ClickWith(
      [&capture] {
        ::SetCapture(capture.Handle());
        throw EAbort();
      },
      milliseconds(300));
  EXPECT_FALSE(none.has_value());
  EXPECT_EQ(capture.CancelModes(), 2);

  // No capture, no WM_CANCELMODE.
  ExpectErrorBox(ClickThrowing(u"Sin captura"), u"Sin captura.", "no capture");
  EXPECT_EQ(capture.CancelModes(), 2);
}

// Last: once Run has returned, the application counts as terminated.
TEST_F(ErrorPresentation, TheRealMessageLoopGoesOnAfterEachBox) {
  // Application::Run shows the form and loops until it is closed; the
  // watcher answers two boxes, then closes the form.
  form_->TerminateOnClose = true;
  form_->Action = [] { throw Exception(u"En el bucle"); };
  std::vector<String> texts;
  std::thread helper([&] {
    for (int i = 0; i < 2; ++i) {
      ::PostMessageW(form_->Button(), BM_CLICK, 0, 0);
      HWND box = nullptr;
      for (int wait = 0; wait < 500 && !(box = FindMessageBoxOfThisProcess()); ++wait) ::Sleep(10);
      if (!box) break;
      ::Sleep(50);
      texts.push_back(TextOf(::GetDlgItem(box, kTextId)));
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      for (int wait = 0; wait < 500 && ::IsWindow(box); ++wait) ::Sleep(10);
    }
    ::PostMessageW(form_->Handle(), WM_CLOSE, 0, 0);
  });
  app_->Run(*form_);
  helper.join();
  EXPECT_EQ(texts, (std::vector<String>{u"En el bucle.", u"En el bucle."}));
  EXPECT_EQ(form_->Clicks, 2);
  EXPECT_TRUE(app_->Pump().Terminated());
}

}  // namespace
}  // namespace varnel
