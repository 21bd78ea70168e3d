#include "tests/ui/driver/Controls.h"

#include "tests/ui/driver/Windows.h"

namespace varnel::ui {

namespace {

void Collect(HWND parent, bool recursive, int depth, std::vector<ControlInfo>& out) {
  int index = 0;
  for (HWND child = ::GetWindow(parent, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT), ++index) {
    out.push_back(DescribeControl(child, index, depth));
    if (recursive) Collect(child, true, depth + 1, out);
  }
}

bool Matches(const ControlInfo& info, const ControlQuery& query) {
  if (query.VisibleOnly && !info.Visible) return false;
  if (query.Id && info.Id != *query.Id) return false;
  if (query.ClassName && info.ClassName != *query.ClassName) return false;
  if (query.Text && info.Text != *query.Text && StripAccelerators(info.Text) != *query.Text)
    return false;
  return true;
}

bool IsButtonWithCheck(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

}  // namespace

ControlInfo DescribeControl(HWND control, int zOrderIndex, int depth) {
  ControlInfo info;
  info.Handle = control;
  info.ClassName = ClassNameOf(control);
  info.Text = ReadText(control);
  info.Parent = ::GetAncestor(control, GA_PARENT);
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, info.Parent, reinterpret_cast<POINT*>(&r), 2);
  info.RectInParentClient = r;
  info.Enabled = ::IsWindowEnabled(control) != FALSE;
  info.Visible = ::IsWindowVisible(control) != FALSE;
  info.Style = static_cast<LONG>(::GetWindowLongPtrW(control, GWL_STYLE));
  info.ExStyle = static_cast<LONG>(::GetWindowLongPtrW(control, GWL_EXSTYLE));
  info.Id = static_cast<int>(::GetWindowLongPtrW(control, GWLP_ID));
  info.ZOrderIndex = zOrderIndex;
  info.Depth = depth;
  if (info.ClassName == u"Button" && IsButtonWithCheck(info.Style))
    info.Checked = IsChecked(control);
  return info;
}

std::vector<ControlInfo> ListChildren(HWND parent, bool recursive) {
  std::vector<ControlInfo> out;
  Collect(parent, recursive, 0, out);
  return out;
}

String Describe(const ControlQuery& query) {
  String text = u"control";
  if (query.Text) text += u" with text \"" + *query.Text + u"\"";
  if (query.ClassName) text += u" of class \"" + *query.ClassName + u"\"";
  if (query.Id) text += u" with id " + IntToStr(*query.Id);
  if (query.VisibleOnly) text += u" (visible)";
  return text;
}

HWND FindChild(HWND parent, const ControlQuery& query) {
  for (const ControlInfo& info : ListChildren(parent, true))
    if (Matches(info, query)) return info.Handle;
  return nullptr;
}

HWND GetChild(HWND parent, const ControlQuery& query) {
  if (HWND found = FindChild(parent, query)) return found;
  throw Exception(u"No " + Describe(query) + u" in window \"" + ReadText(parent) + u"\"");
}

HWND WaitForChild(HWND parent, const ControlQuery& query, Milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindChild(parent, query)) != nullptr; }, timeout,
            Describe(query) + u" in window \"" + ReadText(parent) + u"\"");
  return found;
}

std::vector<ControlInfo> TabOrder(HWND parent) {
  std::vector<ControlInfo> order;
  for (ControlInfo& info : ListChildren(parent, false))
    if (info.Visible && info.Enabled && info.TabStop()) order.push_back(std::move(info));
  return order;
}

bool IsChecked(HWND button) { return SendBounded(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

String StripAccelerators(StringView text) {
  String result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') result.push_back(u'&');
      if (i + 1 < text.size())
        ++i;
      else
        break;
      if (text[i] == u'&') continue;
    }
    result.push_back(text[i]);
  }
  return result;
}

char16_t AcceleratorOf(StringView text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return text[i + 1];
  }
  return 0;
}

}  // namespace varnel::ui
