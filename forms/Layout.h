#pragma once
// A window is described by a layout table: one row per control, in the
// order the controls are declared, each naming its kind, parent, caption,
// position and size (pixels at 96 dpi, relative to the parent's client
// area), tab order and event bindings, and the form's typed member that is
// to keep the control. The toolkit builds the window from it.

#include <climits>
#include <concepts>
#include <cstdint>
#include <functional>
#include <variant>
#include <vector>

#include "runtime/String.h"

namespace varnel::forms {

enum class Kind {
  Label,
  Edit,
  RadioButton,
  GroupBox,
  Panel,
  RadioGroup,
  PictureButton,  // push button with a bitmap glyph and optional text
  FlatButton,     // tool button: frame only while the mouse is over it, no focus
  Image,          // stretches its picture over the whole control
  Custom,         // a control the form creates itself (see Form::CreateCustom)
};

class Control;
class Label;
class Edit;
class RadioButton;
class Container;
class RadioGroup;
class PictureButton;
class FlatButton;
class Image;

// The form's member that keeps the control a row makes, e.g. `&LblUsuario`
// for a `forms::Label* LblUsuario`. A member of another kind than the row's
// is refused when the form is built.
using ControlMember = std::variant<std::monostate, Label**, Edit**, RadioButton**, Container**,
                                   RadioGroup**, PictureButton**, FlatButton**, Image**, Control**>;

// The container a row's control goes into, named by the form's member that
// an earlier row fills, e.g. `&GroupBox1` for a `forms::GroupBox* GroupBox1`;
// empty for the form itself. A parent that no row before it fills is refused
// when the form is built.
class ParentRef {
 public:
  ParentRef() = default;
  template <typename T>
  requires std::derived_from<T, Container> ParentRef(
      T** member)  // implicit: rows read `.Parent = &GroupBox1`
      : member_(member),
        read_([](const void* slot) -> Container* { return *static_cast<T* const*>(slot); }) {}

  explicit operator bool() const { return member_ != nullptr; }
  // The member's address, which the row that fills it names as its Into.
  const void* Member() const { return member_; }
  // The container in the member; nullptr until a row has filled it.
  Container* Get() const { return member_ ? read_(member_) : nullptr; }

 private:
  const void* member_ = nullptr;
  Container* (*read_)(const void*) = nullptr;
};

enum class Align { None, Top };
enum class TextAlign { Left, Right };

inline constexpr int kNoTab = INT_MAX;

// Font override for one control; empty face = the form's font.
struct FontSpec {
  String Face{};
  int Height = 0;  // character height in pixels
  bool Bold = false;
  std::uint32_t Color = 0xFFFFFFFF;  // 0x00BBGGRR; all ones = window text colour
};

struct ControlSpec {
  String Name{};
  ControlMember Into{};
  Kind Type = Kind::Label;
  ParentRef Parent{};
  String Caption{};
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int TabOrder = kNoTab;

  // Kind-specific settings.
  std::vector<String> Items{};  // radio group items
  int Columns = 1;              // radio group columns
  int ItemIndex = -1;           // radio group selection
  bool Checked = false;         // radio button
  bool ReadOnly = false;        // edit
  bool Password = false;        // edit: input shown as "*"
  bool Default = false;         // picture button: Enter presses it
  bool AutoSize = false;        // label: width and height follow the text
  bool WordWrap = false;        // label
  TextAlign Alignment = TextAlign::Left;
  Align Dock = Align::None;
  int Picture = 0;     // resource id of the bitmap or PNG
  int GlyphCount = 1;  // images in the bitmap strip: [enabled, disabled]
  FontSpec Font{};

  std::function<void()> OnClick{};  // click, selection or change, by kind
};

using Layout = std::vector<ControlSpec>;

}  // namespace varnel::forms
