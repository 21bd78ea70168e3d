// The one window base of the toolkit and the RAII types of the paint code:
// an exception from any handler of any window reaches the host and the
// window goes on; a child's notification comes back to its own object
// through every parent; class registration may be repeated; rows keep
// their controls in typed members; the DC and file owners give back what
// they took.

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/Application.h"
#include "forms/win32/Controls.h"
#include "forms/win32/Form.h"
#include "forms/win32/Window.h"
#include "platform/win32/Unique.h"
#include "runtime/Exceptions.h"
#include "support/TestHost.h"

namespace varnel {
namespace {

using testing_support::TestHost;

forms::FormSpec Shape() {
  forms::FormSpec window;
  window.ClassName = u"TFrmPruebaVentana";
  window.Caption = u"Prueba";
  window.ClientWidth = 300;
  window.ClientHeight = 200;
  window.Font = {u"Tahoma", 11, false, 0xFFFFFFFF};
  return window;
}

// A form whose controls sit in typed members, one of them inside a group box.
class MemberForm final : public forms::Form {
 public:
  explicit MemberForm(forms::IFormHost& host) : Form(host, Shape()) {
    // A layout table keeps one row to a control, as the window reads.
    // clang-format off
    Build({
        {.Name = u"GrbDatos", .Into = &GrbDatos, .Type = forms::Kind::GroupBox,
         .Caption = u" Datos ", .Left = 5, .Top = 5, .Width = 200, .Height = 80},
        {.Name = u"EdtNombre", .Into = &EdtNombre, .Type = forms::Kind::Edit,
         .Parent = &GrbDatos, .Left = 10, .Top = 20, .Width = 150, .Height = 21,
         .OnClick = [this] { ++changes; }},
        {.Name = u"SBSalir", .Into = &SBSalir, .Type = forms::Kind::FlatButton,
         .Caption = u"&Salir", .Left = 5, .Top = 100, .Width = 75, .Height = 25,
         .OnClick = [this] { throw Exception(u"desde el botón"); }},
        {.Name = u"LblSinMiembro", .Type = forms::Kind::Label, .Caption = u"sin miembro",
         .Left = 5, .Top = 140, .Width = 80, .Height = 13},
    });
    // clang-format on
  }

  forms::GroupBox* GrbDatos = nullptr;
  forms::Edit* EdtNombre = nullptr;
  forms::FlatButton* SBSalir = nullptr;
  int changes = 0;
};

TEST(Window, RowsFillTheirTypedMembersAndRefuseAMemberOfAnotherKind) {
  TestHost host;
  MemberForm form(host);
  ASSERT_NE(form.GrbDatos, nullptr);
  ASSERT_NE(form.EdtNombre, nullptr);
  ASSERT_NE(form.SBSalir, nullptr);
  EXPECT_EQ(::GetParent(form.EdtNombre->Handle()), form.GrbDatos->Handle());
  EXPECT_EQ(form.SBSalir->Caption(), u"&Salir");

  class WrongKind final : public forms::Form {
   public:
    explicit WrongKind(forms::IFormHost& host) : Form(host, Shape()) {
      Build({{.Name = u"LblNombre", .Into = &edit, .Type = forms::Kind::Label}});
    }
    forms::Edit* edit = nullptr;
  };
  try {
    WrongKind wrong(host);
    FAIL() << "a Label row was stored in an Edit member";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(u"LblNombre"), String::npos);
  }
}

TEST(Window, ARowWhoseParentNoRowBeforeItBuildsIsRefused) {
  TestHost host;
  // The parent's row comes after its child, or there is no row for it at
  // all: either way the child would have nowhere to go.
  class ParentAfterChild final : public forms::Form {
   public:
    explicit ParentAfterChild(forms::IFormHost& host) : Form(host, Shape()) {
      Build({{.Name = u"EdtNombre", .Type = forms::Kind::Edit, .Parent = &GrbDatos},
             {.Name = u"GrbDatos", .Into = &GrbDatos, .Type = forms::Kind::GroupBox}});
    }
    forms::GroupBox* GrbDatos = nullptr;
  };
  class NoParentRow final : public forms::Form {
   public:
    explicit NoParentRow(forms::IFormHost& host) : Form(host, Shape()) {
      Build({{.Name = u"GrbDatos", .Into = &GrbDatos, .Type = forms::Kind::GroupBox},
             {.Name = u"EdtNombre", .Type = forms::Kind::Edit, .Parent = &PnlOtro}});
    }
    forms::GroupBox* GrbDatos = nullptr;
    forms::Panel* PnlOtro = nullptr;
  };
  try {
    ParentAfterChild wrong(host);
    FAIL() << "a child was built before its parent";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(u"EdtNombre"), String::npos);
  }
  try {
    NoParentRow wrong(host);
    FAIL() << "a row with no parent row was built";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(u"EdtNombre"), String::npos);
  }
}

TEST(Window, ChildNotificationsComeBackToTheirControlThroughEveryParent) {
  TestHost host;
  MemberForm form(host);
  // EN_CHANGE goes to the group box, the edit's parent, which hands it back.
  ::SetWindowTextW(form.EdtNombre->Handle(), L"Ana");
  ::SetWindowTextW(form.EdtNombre->Handle(), L"Eva");
  EXPECT_EQ(form.changes, 2);
  EXPECT_TRUE(host.errors.empty());
}

TEST(Window, WhatAHandlerThrowsReachesTheHostAndTheWindowGoesOn) {
  TestHost host;
  MemberForm form(host);
  ::SendMessageW(form.SBSalir->Handle(), BM_CLICK, 0, 0);
  ::SendMessageW(form.SBSalir->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(host.errors, (std::vector<String>{u"desde el botón", u"desde el botón"}));
  EXPECT_TRUE(::IsWindow(form.SBSalir->Handle()));

  // A paint that fails, in a window class of its own.
  class FailingPaint final : public forms::Window {
   public:
    explicit FailingPaint(forms::IFormHost& host) : Window(host) {
      RegisterWindowClass({.Name = L"PruebaPinturaFallida"});
      Create({.ClassName = L"PruebaPinturaFallida", .Style = WS_POPUP, .Width = 20, .Height = 20});
    }

   protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
      if (PaintMessage(msg, wp)) return 0;
      return Window::HandleMessage(msg, wp, lp);
    }
    void Paint(HDC) override { throw EOSError(u"sin memoria", 8); }
  };
  FailingPaint window(host);
  const win32::UniqueWindowDC screen(nullptr);
  ::SendMessageW(window.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(screen.get()), 0);
  ASSERT_EQ(host.errors.size(), 3u);
  EXPECT_EQ(host.errors[2], u"sin memoria");
}

TEST(Window, ObjectsAreFoundOnlyForTheToolkitsWindowsAndLetGoWithThem) {
  TestHost host;
  auto form = std::make_unique<MemberForm>(host);
  const HWND button = form->SBSalir->Handle();
  EXPECT_EQ(forms::Window::FromHandle(form->Handle()), form.get());
  EXPECT_EQ(forms::Window::FromHandle(button), form->SBSalir);
  // A standard control is not bound: its user data is not ours to read.
  EXPECT_EQ(forms::Window::FromHandle(form->EdtNombre->Handle()), nullptr);
  EXPECT_EQ(forms::Window::FromHandle(nullptr), nullptr);

  // A parent taking its children down unbinds each painted control.
  ::DestroyWindow(form->Handle());
  EXPECT_FALSE(::IsWindow(button));
  EXPECT_EQ(form->Handle(), nullptr);
  EXPECT_EQ(form->SBSalir->Handle(), nullptr);
  form.reset();  // and the objects then go without touching a window
}

TEST(Window, ClassesAndTheApplicationMayBeRegisteredAgain) {
  EXPECT_NO_THROW(forms::Window::RegisterWindowClass({.Name = L"PruebaDosVeces"}));
  EXPECT_NO_THROW(forms::Window::RegisterWindowClass({.Name = L"PruebaDosVeces"}));
  for (int i = 0; i < 2; ++i) {
    app::Application application;
    EXPECT_TRUE(::IsWindow(application.AppWindow()));
  }
}

TEST(Unique, PaintAndSelectionOwnersGiveBackWhatTheyTook) {
  const win32::UniqueWindowDC screen(nullptr);
  ASSERT_TRUE(screen);
  const win32::UniqueMemDC memory(::CreateCompatibleDC(screen.get()));
  const win32::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 4, 4));
  const HGDIOBJ original = ::GetCurrentObject(memory.get(), OBJ_BITMAP);
  {
    const win32::UniqueSelectObject selected(memory.get(), bitmap.get());
    EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_BITMAP), bitmap.get());
  }
  EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_BITMAP), original);
}

TEST(Unique, FileHandleFailureIsInvalidHandleValue) {
  win32::UniqueFile missing(::CreateFileW(L"C:\\no-existe\\nada.txt", GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
  wchar_t path[MAX_PATH];
  ASSERT_NE(::GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  win32::UniqueFile own(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(own);
  own.reset();
  EXPECT_EQ(own.get(), INVALID_HANDLE_VALUE);
}

}  // namespace
}  // namespace varnel
