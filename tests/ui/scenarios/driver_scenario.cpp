// The driver proved against fixtures/uitarget: every action a UI scenario
// of the program relies on, on a window whose behaviour is known.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/ui/driver/Driver.h"

namespace varnel::ui {
namespace {

constexpr Milliseconds kWait{10000};
const String kCaption = u"Objetivo de Pruebas";

std::string U8(const String& text) { return ToUtf8(text); }

// One running uitarget.exe and its window.
class Target {
 public:
  explicit Target(std::vector<std::pair<String, String>> environment = {},
                  String arguments = {})
      : process_(ProcessOptions{FixturePath(u"uitarget.exe"), std::move(arguments),
                                BuildTreePath(), std::move(environment), false}) {
    WindowQuery query;
    query.ProcessId = process_.Id();
    query.Caption = kCaption;
    window_ = WaitForWindow(query, kWait);
  }
  HWND Window() const { return window_; }
  Process& Proc() { return process_; }
  HWND Child(const ControlQuery& query) const { return GetChild(window_, query); }
  HWND ById(int id) const { return Child(ControlQuery{{}, {}, id, false}); }
  HWND ByText(const String& text) const { return Child(ControlQuery{text, {}, {}, false}); }
  String Label() const { return ReadText(ById(110)); }
  // Waits until the label reads `text`.
  void ExpectLabel(const String& text) const {
    EXPECT_TRUE(TryWaitUntil([&] { return Label() == text; }, kWait))
        << "label is \"" << U8(Label()) << "\", expected \"" << U8(text) << "\"";
  }

 private:
  Process process_;
  HWND window_ = nullptr;
};

TEST(Probe, Experiments) {
  Target t;
  for (const ControlInfo& c : ListChildren(t.Window(), true))
    std::printf("%s id=%d '%s' z=%d\n", U8(c.ClassName).c_str(), c.Id, U8(c.Text).c_str(),
                c.ZOrderIndex);
  HWND focused = FocusedControl(t.Window());
  std::printf("focused=%p edit=%p\n", static_cast<void*>(focused), static_cast<void*>(t.ById(101)));
  // Enter by posting
  PressEnter(t.Window());
  Pause(Milliseconds(300));
  std::printf("after posted enter: %s\n", U8(t.Label()).c_str());
  PressAlt(t.Window(), u'a');
  Pause(Milliseconds(300));
  std::printf("after posted alt+a: %s\n", U8(t.Label()).c_str());
  Focus(t.ById(102));
  std::printf("focus on password: %d\n", FocusedControl(t.Window()) == t.ById(102));
  SendKeyInput(t.Window(), VK_RETURN);
  Pause(Milliseconds(300));
  std::printf("after SendInput enter: %s\n", U8(t.Label()).c_str());
  SendKeyInput(t.Window(), 'A', true);
  Pause(Milliseconds(300));
  std::printf("after SendInput alt+a: %s\n", U8(t.Label()).c_str());
  Click(t.ByText(u"Mensaje"));
  MessageBoxInfo box = WaitForMessageBox(t.Proc().Id(), kWait);
  std::printf("box '%s' '%s' icon=%s buttons=%zu\n", U8(box.Caption).c_str(), U8(box.Text).c_str(),
              U8(IconKindName(box.Icon)).c_str(), box.Buttons.size());
  for (const ControlInfo& c : ListChildren(box.Handle, true))
    std::printf("  %s id=%x '%s'\n", U8(c.ClassName).c_str(), static_cast<unsigned>(c.Id), U8(c.Text).c_str());
  SaveScreenshot(BuildTreePath(u"probe-box.png"));
  Press(box, IDOK);
  Click(t.ByText(u"Abrir"));
  FileDialog d = WaitForFileDialog(t.Proc().Id(), kWait);
  std::printf("dialog '%s'\n", U8(d.Caption).c_str());
  for (const ControlInfo& c : ListChildren(d.Handle, true))
    std::printf("  %s id=%d '%s' vis=%d\n", U8(c.ClassName).c_str(), c.Id, U8(c.Text).c_str(), c.Visible);
  PickPath(d, BuildTreePath(u"fixtures"));
  Pause(Milliseconds(300));
  std::printf("after pick: %s / %s\n", U8(t.Label()).c_str(), U8(ReadText(t.ById(101))).c_str());
}

}  // namespace
}  // namespace varnel::ui
