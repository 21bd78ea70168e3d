#include "tests/ui/driver/MessageBoxes.h"

#include <cstdlib>

#include "tests/ui/driver/Controls.h"
#include "tests/ui/driver/Input.h"
#include "tests/ui/driver/Screenshot.h"
#include "tests/ui/driver/Windows.h"

namespace varnel::ui {

namespace {

HWND ChildWithId(HWND parent, int id) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    // Dialog templates store ids as 16 bits; 0xFFFF may come back as -1.
    if ((::GetWindowLongPtrW(child, GWLP_ID) & 0xFFFF) == (id & 0xFFFF)) return child;
  }
  return nullptr;
}

struct Candidate {
  IconKind Kind;
  LPCWSTR Id;
};

const Candidate kCandidates[] = {
    {IconKind::Error, IDI_ERROR},
    {IconKind::Information, IDI_INFORMATION},
    {IconKind::Warning, IDI_WARNING},
    {IconKind::Question, IDI_QUESTION},
};

int Distance(std::uint32_t a, std::uint32_t b) {
  auto channel = [](std::uint32_t v, int shift) { return static_cast<int>((v >> shift) & 0xFF); };
  return std::abs(channel(a, 16) - channel(b, 16)) + std::abs(channel(a, 8) - channel(b, 8)) +
         std::abs(channel(a, 0) - channel(b, 0));
}

// The share of the icon's opaque pixels (those that come out the same on
// black and on white) that differ on the screen; 1.0 when none is opaque.
double Mismatch(const Pixels& shown, HICON icon) {
  const Pixels onBlack = RenderIcon(icon, shown.Width, shown.Height, Rgb(0, 0, 0));
  const Pixels onWhite = RenderIcon(icon, shown.Width, shown.Height, Rgb(255, 255, 255));
  std::size_t opaque = 0;
  std::size_t differ = 0;
  for (std::size_t i = 0; i < shown.Data.size(); ++i) {
    if (Distance(onBlack.Data[i], onWhite.Data[i]) > 24) continue;
    ++opaque;
    if (Distance(onBlack.Data[i], shown.Data[i]) > 48) ++differ;
  }
  return opaque == 0 ? 1.0 : static_cast<double>(differ) / static_cast<double>(opaque);
}

}  // namespace

String IconKindName(IconKind kind) {
  switch (kind) {
    case IconKind::None:
      return u"none";
    case IconKind::Error:
      return u"error";
    case IconKind::Information:
      return u"information";
    case IconKind::Warning:
      return u"warning";
    case IconKind::Question:
      return u"question";
    case IconKind::Unknown:
      break;
  }
  return u"unknown";
}

bool IsMessageBox(HWND window) {
  return ::IsWindowVisible(window) && ClassNameOf(window) == u"#32770" &&
         ChildWithId(window, kMessageBoxTextId) != nullptr;
}

IconKind DetectIconByHandle(HWND iconControl) {
  if (!iconControl || !::IsWindowVisible(iconControl)) return IconKind::None;
  const auto shownIcon = reinterpret_cast<HICON>(SendBounded(iconControl, STM_GETICON, 0, 0));
  if (!shownIcon) return IconKind::None;
  for (const Candidate& c : kCandidates)
    if (::LoadIconW(nullptr, c.Id) == shownIcon) return c.Kind;
  return IconKind::Unknown;
}

IconKind DetectIcon(HWND iconControl) {
  const IconKind byHandle = DetectIconByHandle(iconControl);
  return byHandle == IconKind::Unknown ? DetectIconByPixels(iconControl) : byHandle;
}

IconKind DetectIconByPixels(HWND iconControl) {
  if (!iconControl || !::IsWindowVisible(iconControl)) return IconKind::None;
  if (!SendBounded(iconControl, STM_GETICON, 0, 0)) return IconKind::None;
  const Pixels shown = CaptureWindowPixels(iconControl);
  IconKind best = IconKind::Unknown;
  double bestMismatch = 0.1;  // more than a tenth of the icon off: not that icon
  for (const Candidate& c : kCandidates) {
    const double mismatch = Mismatch(shown, ::LoadIconW(nullptr, c.Id));
    if (mismatch < bestMismatch) {
      bestMismatch = mismatch;
      best = c.Kind;
    }
  }
  return best;
}

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.Handle = box;
  info.Caption = ReadText(box);
  if (HWND text = ChildWithId(box, kMessageBoxTextId)) info.Text = ReadText(text);
  info.Icon = DetectIcon(ChildWithId(box, kMessageBoxIconId));
  for (const ControlInfo& child : ListChildren(box, false)) {
    if (child.ClassName != u"Button" || !child.Visible) continue;
    info.Buttons.push_back(child.Text);
    info.ButtonIds.push_back(child.Id);
  }
  info.Owner = OwnerOf(box);
  return info;
}

std::vector<HWND> FindMessageBoxes(DWORD pid) {
  WindowQuery query;
  query.ProcessId = pid;
  query.ClassName = u"#32770";
  std::vector<HWND> boxes;
  for (HWND window : FindTopLevelWindows(query))
    if (IsMessageBox(window)) boxes.push_back(window);
  return boxes;
}

std::optional<MessageBoxInfo> FindMessageBox(DWORD pid) {
  const std::vector<HWND> boxes = FindMessageBoxes(pid);
  if (boxes.empty()) return std::nullopt;
  return ReadMessageBox(boxes.front());
}

MessageBoxInfo WaitForMessageBox(DWORD pid, Milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> boxes = FindMessageBoxes(pid);
        found = boxes.empty() ? nullptr : boxes.front();
        return found != nullptr;
      },
      timeout, pid ? u"a message box of process " + IntToStr(pid) : String(u"a message box"));
  // The box is shown before its icon is painted: give it a moment.
  TryWaitUntil([&] { return ::GetUpdateRect(found, nullptr, FALSE) == FALSE; }, Milliseconds(500));
  Pause(Milliseconds(100));
  return ReadMessageBox(found);
}

void Press(const MessageBoxInfo& box, int buttonId, Milliseconds timeout) {
  // Wine's box template holds every button and hides the ones not asked for.
  HWND button = ChildWithId(box.Handle, buttonId);
  if (!button || !::IsWindowVisible(button))
    throw Exception(u"Message box \"" + box.Caption + u"\" has no button of id " +
                    IntToStr(buttonId));
  Click(button);
  WaitForWindowGone(box.Handle, timeout);
}

}  // namespace varnel::ui
