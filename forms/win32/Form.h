#pragma once
// A top-level window built from a layout table. The form owns its controls
// and its fonts, and keeps each control in the typed member its row names.

#include <windows.h>

#include <memory>
#include <vector>

#include "forms/Layout.h"
#include "forms/win32/Control.h"
#include "forms/win32/Host.h"
#include "forms/win32/Window.h"
#include "platform/win32/Unique.h"

namespace varnel::forms {

struct FormSpec {
  String ClassName;  // window class, e.g. u"TFrmVarnel"
  String Caption;
  int ClientWidth = 0;
  int ClientHeight = 0;
  bool MinimizeBox = false;
  bool MaximizeBox = false;
  FontSpec Font;         // the font of the form and of every control
  HWND Owner = nullptr;  // owner window; nullptr = its own taskbar button
};

class Form : public Window {
 public:
  Form(IFormHost& host, const FormSpec& window);
  ~Form() override;

  String Caption() const;
  void SetCaption(const String& text);
  int Left() const;
  int Width() const;   // outer width, frame included
  int Height() const;  // outer height
  void SetHeight(int height);
  bool Visible() const;

  // Shows the window. The first time, the show handler runs first and the
  // window is then centred on the work area.
  void Show();
  void Hide();
  void BringToFront();

  // The control whose window is `hwnd`, if it is one of this form's.
  Control* ControlFor(HWND hwnd) const;

  // Lays out the top-docked controls of `parent` (nullptr = the form) again:
  // visible bands stack from the top, hidden ones take no room.
  void Realign(Control* parent = nullptr);

  HFONT FontFor(const FontSpec& row);
  HBRUSH FaceBrush() const { return faceBrush_; }
  // The window a row's control goes into: its parent's, or the form's.
  HWND ParentWindowFor(const ControlSpec& row) const;
  int NextControlId() { return nextId_++; }
  // Picture button pressed by Enter.
  void SetDefaultButton(Control* button) { default_ = button; }

  // Keyboard handling for the message pump: accelerators ("&" letters),
  // Enter for the default button, tab navigation. True when handled.
  static bool PreTranslate(MSG& msg);

 protected:
  // Creates the controls of a layout table, parents first, siblings in tab
  // order, and stores each in its row's member. `custom` builds the
  // controls of kind Custom. A row whose parent no row before it fills is
  // refused (Exception) before any control is made.
  void Build(const Layout& layout,
             const std::function<std::unique_ptr<Control>(const ControlSpec&)>& custom = {});
  virtual void OnShow() {}
  // Close box or system menu: the main window terminates the application;
  // other windows decide for themselves.
  virtual void OnClose();
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  Window* ChildObject(HWND child) const override { return ControlFor(child); }

 private:
  // The rows whose parent is `parent` (a member's address; nullptr = the
  // form), and their children in turn.
  void CreateChildren(const Layout& layout, const void* parent,
                      const std::function<std::unique_ptr<Control>(const ControlSpec&)>& custom);
  std::unique_ptr<Control> CreateControl(
      const ControlSpec& row,
      const std::function<std::unique_ptr<Control>(const ControlSpec&)>& custom);
  bool PressAccelerator(wchar_t key);

  HBRUSH faceBrush_ = nullptr;  // a system colour brush: never deleted
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::pair<FontSpec, win32::UniqueFont>> fonts_;
  FontSpec font_;
  Control* default_ = nullptr;
  int nextId_ = 100;
  bool shown_ = false;
  HWND lastFocus_ = nullptr;
};

}  // namespace varnel::forms
