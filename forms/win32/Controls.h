#pragma once
// The standard controls of the toolkit, one class per kind.

#include <windows.h>

#include <memory>
#include <vector>

#include "forms/win32/Control.h"
#include "platform/win32/Unique.h"

namespace varnel::forms {

// Static text. With AutoSize the control takes the size of its text.
class Label : public Control {
 public:
  Label(Form& form, const ControlSpec& row);
  void SetCaption(const String& text) override;

 private:
  void FitToText();
  bool autoSize_;
};

class Edit : public Control {
 public:
  Edit(Form& form, const ControlSpec& row);
  String Text() const { return Caption(); }
  void SetText(const String& text) { SetCaptionOnly(text); }
  void Notify(WORD code) override;

 protected:
  std::optional<LRESULT> Reflected(UINT msg, WPARAM wp, LPARAM lp) override;
};

class RadioButton : public Control {
 public:
  RadioButton(Form& form, const ControlSpec& row);
  bool Checked() const;
  void SetChecked(bool checked);
  void Notify(WORD code) override;
};

// A group box or a panel: a window that holds other controls. Group boxes
// draw an etched frame with their caption; panels draw nothing but their
// background.
class Container : public Control {
 public:
  Container(Form& form, const ControlSpec& row);
  // Where top-docked children start: group boxes keep their frame free.
  std::optional<RECT> AlignArea() const override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint(HDC dc) override;

 private:
  bool group_;
};

using GroupBox = Container;
using Panel = Container;

// A group box whose items are radio buttons laid out in columns.
class RadioGroup : public Container {
 public:
  RadioGroup(Form& form, const ControlSpec& row);
  int ItemIndex() const;
  void SetItemIndex(int index);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ItemClicked();
  std::vector<HWND> items_;
  int lastIndex_;
};

// Bitmap strip [enabled, disabled] whose lower-left pixel colour is
// transparent. A strip of one image gets a greyed twin computed from it.
class Glyph {
 public:
  Glyph() = default;
  Glyph(int resourceId, int count);
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Draw(HDC dc, int x, int y, bool enabled) const;
  explicit operator bool() const { return static_cast<bool>(bitmap_); }

 private:
  win32::UniqueBitmap bitmap_;  // 32-bit top-down: enabled image, disabled image
  int width_ = 0;
  int height_ = 0;
  COLORREF transparent_ = 0;
};

// A button's glyph and text, centred together in `area` and moved by
// `shift` pixels while pushed; disabled text is embossed grey.
void DrawButtonFace(HDC dc, const RECT& area, const Glyph& glyph, const String& text, HFONT font,
                    bool enabled, int shift);

// Push button with a glyph left of its text (or alone, centred).
class PictureButton : public Control {
 public:
  PictureButton(Form& form, const ControlSpec& row);
  void DrawItem(const DRAWITEMSTRUCT& item) override;
  bool PressedByAccelerator() const override { return true; }

 private:
  Glyph glyph_;
  bool default_;
};

// Tool button: flat until the mouse is over it, never takes the keyboard
// focus; answers BM_CLICK and its "&" accelerator.
class FlatButton : public Control {
 public:
  FlatButton(Form& form, const ControlSpec& row);
  bool PressedByAccelerator() const override { return true; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint(HDC dc) override;

 private:
  void Click();
  void Invalidate();
  Glyph glyph_;
  bool hot_ = false;
  bool pressed_ = false;
};

// A picture stretched over the whole control, aspect not kept.
class Image : public Control {
 public:
  Image(Form& form, const ControlSpec& row);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint(HDC dc) override;

 private:
  std::vector<std::uint32_t> pixels_;  // 0xAARRGGBB, top-down
  int width_ = 0;
  int height_ = 0;
};

}  // namespace varnel::forms
