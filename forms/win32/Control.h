#pragma once
// A control is a small class with typed methods over its window. The form
// owns its controls; each control's HWND is a child of its parent's window
// and is destroyed with it.

#include <windows.h>

#include <functional>

#include "forms/Layout.h"
#include "forms/win32/Window.h"
#include "runtime/String.h"

namespace varnel::forms {

class Form;

class Control : public Window {
 public:
  Control(Form& form, const ControlSpec& row);

  const String& Name() const { return name_; }
  Form& Owner() const { return form_; }

  String Caption() const;
  // Sets the text and repaints the control at once: the work runs on the
  // GUI thread, so a label must not wait for the message loop.
  virtual void SetCaption(const String& text);
  // Sets the text without repainting now.
  void SetCaptionOnly(const String& text);

  bool Enabled() const;
  virtual void SetEnabled(bool enabled);
  bool Visible() const;
  void SetVisible(bool visible);

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left);
  void SetHeight(int height);

  Align Dock() const { return dock_; }
  void Repaint();

  // What the control does with a notification it sent its parent.
  virtual void Notify(WORD code);
  // Owner-drawn controls paint here.
  virtual void DrawItem(const DRAWITEMSTRUCT&) {}
  // Whether the "&" letter of its caption presses it.
  virtual bool PressedByAccelerator() const { return false; }
  // Where its top-docked children go; nullopt for a control without any.
  virtual std::optional<RECT> AlignArea() const { return std::nullopt; }

  std::function<void()> OnClick;

 protected:
  // Makes the control's window from its row: a child of the row's parent,
  // with the next control identifier of the form.
  void CreateFromRow(const ControlSpec& row, const wchar_t* className, DWORD style,
                     DWORD exStyle = 0);
  HFONT Font() const { return font_; }
  void SetFont(HFONT font);
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
  Window* ChildObject(HWND child) const override;

 private:
  Form& form_;
  String name_;
  HFONT font_ = nullptr;  // owned by the form's font cache
  Align dock_ = Align::None;
  std::uint32_t textColor_ = kWindowTextColor;  // 0x00BBGGRR, or kWindowTextColor
};

// The text of `hwnd` for drawing: "&x" marks an accelerator.
String WindowText(HWND hwnd);

}  // namespace varnel::forms
