#pragma once
// A control is a small class with typed methods over its window. The form
// owns its controls; each control's HWND is a child of its parent's window
// and is destroyed with it.

#include <windows.h>

#include <functional>

#include "forms/Layout.h"
#include "runtime/String.h"

namespace varnel::forms {

class Form;

class Control {
 public:
  Control(Form& form, const ControlSpec& row);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  const String& Name() const { return name_; }
  HWND Handle() const { return hwnd_; }
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
  // 0x00BBGGRR, or all ones for the window-text colour.
  std::uint32_t TextColor() const { return textColor_; }
  void Repaint();

  // Called by the form when this control sends a notification.
  virtual void Notify(WORD code);
  // Owner-drawn controls paint here.
  virtual void DrawItem(const DRAWITEMSTRUCT&) {}

  std::function<void()> OnClick;

 protected:
  void Attach(HWND hwnd);
  HFONT Font() const { return font_; }
  void SetFont(HFONT font);

 private:
  Form& form_;
  String name_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;  // owned by the form's font cache
  Align dock_ = Align::None;
  std::uint32_t textColor_ = 0xFFFFFFFF;
};

}  // namespace varnel::forms
