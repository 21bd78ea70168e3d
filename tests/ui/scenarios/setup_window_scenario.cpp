// The setup window of the real Varnel.exe: its layout, captions, tab order,
// styles and position, the identity and mode toggles, and the keyboard.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

#include "tests/ui/driver/Driver.h"

namespace varnel::ui {
namespace {

constexpr Milliseconds kWait{15000};
const String kWindowCaption = u"QUIRAL QRM - Configuración Servidores Quiral Velmira";
const String kBoxCaption = u"Configuración Servidores Quiral Velmira";
const String kGroupFolders = u" Directorio Servidores DCOM Quiral ";
const String kGroupProgram = u" Directorio Servidor DCOM Quiral ";

std::string U8(const String& text) { return ToUtf8(text); }

inline void FreeLibraryNoThrow(HMODULE module) noexcept { ::FreeLibrary(module); }
using UniqueModule = win32::Unique<HMODULE, FreeLibraryNoThrow>;

// The only direct child of `parent` of that class (the folder group has one
// edit and one button).
HWND OnlyChildOfClass(HWND parent, const String& className) {
  HWND found = nullptr;
  for (const ControlInfo& c : ListChildren(parent, false)) {
    if (c.ClassName != className) continue;
    if (found) throw Exception(u"more than one " + className + u" in " + ReadText(parent));
    found = c.Handle;
  }
  if (!found) throw Exception(u"no " + className + u" in " + ReadText(parent));
  return found;
}

// The edit a person would type into for a label: the one on the label's row.
HWND EditBeside(HWND parent, HWND label) {
  const ControlInfo l = DescribeControl(label);
  const int middle = (l.RectInParentClient.top + l.RectInParentClient.bottom) / 2;
  for (const ControlInfo& c : ListChildren(parent, false))
    if (c.ClassName == u"Edit" && c.RectInParentClient.top <= middle &&
        middle < c.RectInParentClient.bottom &&
        c.RectInParentClient.left > l.RectInParentClient.left)
      return c.Handle;
  throw Exception(u"no edit beside \"" + l.Text + u"\"");
}

HWND StaticStartingWith(HWND parent, const String& prefix) {
  for (const ControlInfo& c : ListChildren(parent, false))
    if (c.ClassName == u"Static" && c.Text.starts_with(prefix)) return c.Handle;
  throw Exception(u"no label starting with \"" + prefix + u"\"");
}

// One running Varnel.exe and the controls of its setup window, found by
// text and class the way a person finds them.
class SetupWindow {
 public:
  SetupWindow() : process_(VarnelExePath(), u"") {
    WindowQuery query;
    query.ProcessId = process_.Id();
    query.ClassName = u"TFrmVarnel";
    query.Caption = kWindowCaption;
    Window = WaitForWindow(query, kWait);
    const auto child = [&](HWND parent, const String& text, const String& cls) {
      return GetChild(parent, ControlQuery{text, cls, {}, false});
    };
    Image1 = OnlyChildOfClass(Window, u"VarnelImage");
    LblVersion = StaticStartingWith(Window, u"Versión");
    GroupBox1 = child(Window, u" Seguridad de componentes DCOM ", u"VarnelContainer");
    LblUsuario = child(GroupBox1, u"Usuario:", u"Static");
    LblContrasena = child(GroupBox1, u"Contraseña:", u"Static");
    LblConfContrasena = child(GroupBox1, u"Confirmar contraseña:", u"Static");
    RdbUsuarioInactivo = child(GroupBox1, u"Usuario interactivo", u"Button");
    RdbUsuarioInicial = child(GroupBox1, u"Usuario inicial", u"Button");
    RdbEsteUsuario = child(GroupBox1, u"Este usuario", u"Button");
    EdtUsuario = EditBeside(GroupBox1, LblUsuario);
    EdtContrasena = EditBeside(GroupBox1, LblContrasena);
    EdtConfContrasena = EditBeside(GroupBox1, LblConfContrasena);
    GrbDirectorio = child(Window, kGroupFolders, u"VarnelContainer");
    EdtDirSvrDcom = OnlyChildOfClass(GrbDirectorio, u"Edit");
    BitBtnDirServ = OnlyChildOfClass(GrbDirectorio, u"Button");
    BitBtnAceptar = child(Window, u"&Aceptar", u"Button");
    RdgTipRegi = child(Window, u" Modalidad de Registro ", u"VarnelContainer");
    Directorio = child(RdgTipRegi, u"Directorio", u"Button");
    Programa = child(RdgTipRegi, u"Programa", u"Button");
  }
  SetupWindow(const SetupWindow&) = delete;
  SetupWindow& operator=(const SetupWindow&) = delete;
  ~SetupWindow() {
    // Closing the window ends the program; the process object kills it if not.
    if (::IsWindow(Window)) Close(Window);
    process_.Wait(Milliseconds(5000));
  }

  DWORD Pid() const { return process_.Id(); }
  const Process& Proc() const { return process_; }
  std::vector<HWND> Credentials() const {
    return {LblUsuario,    EdtUsuario,        LblContrasena,
            EdtContrasena, LblConfContrasena, EdtConfContrasena};
  }

  HWND Window = nullptr;
  HWND Image1, LblVersion, GroupBox1, LblUsuario, LblContrasena, LblConfContrasena,
      RdbUsuarioInactivo, RdbUsuarioInicial, RdbEsteUsuario, EdtUsuario, EdtContrasena,
      EdtConfContrasena, GrbDirectorio, EdtDirSvrDcom, BitBtnDirServ, BitBtnAceptar, RdgTipRegi,
      Directorio, Programa;

 private:
  Process process_;
};

// The size the window's font (Tahoma, 11 pixels high) gives a single line.
SIZE TextSize(const String& text) {
  LOGFONTW logFont{};
  logFont.lfHeight = -11;
  logFont.lfWeight = FW_NORMAL;
  logFont.lfCharSet = DEFAULT_CHARSET;
  ::lstrcpyW(logFont.lfFaceName, L"Tahoma");
  win32::UniqueFont font(::CreateFontIndirectW(&logFont));
  const HDC dc = ::GetDC(nullptr);
  const HGDIOBJ old = ::SelectObject(dc, font.get());
  RECT r{0, 0, 0, 0};
  ::DrawTextW(dc, win32::W(text), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return {r.right - r.left, r.bottom - r.top};
}

struct Expected {
  const char* name;
  HWND control;
  HWND parent;
  int left, top, width, height;
};

void ExpectPlaced(const Expected& e) {
  const ControlInfo c = DescribeControl(e.control);
  EXPECT_EQ(c.Parent, e.parent) << e.name;
  EXPECT_EQ(c.RectInParentClient.left, e.left) << e.name;
  EXPECT_EQ(c.RectInParentClient.top, e.top) << e.name;
  EXPECT_EQ(c.Width(), e.width) << e.name;
  EXPECT_EQ(c.Height(), e.height) << e.name;
  EXPECT_TRUE(c.Visible) << e.name;
}

// A label sits at its layout position and takes the size of its text.
void ExpectLabel(const char* name, HWND label, HWND parent, int left, int top, const String& text) {
  const ControlInfo c = DescribeControl(label);
  EXPECT_EQ(U8(c.Text), U8(text)) << name;
  const SIZE size = TextSize(text);
  ExpectPlaced(
      {name, label, parent, left, top, static_cast<int>(size.cx), static_cast<int>(size.cy)});
  EXPECT_FALSE(c.TabStop()) << name;
}

// Direct children of `parent` that take part in Tab navigation (tab stops
// and containers Tab descends into), in Z-order.
std::vector<HWND> TabSequence(HWND parent) {
  std::vector<HWND> out;
  for (const ControlInfo& c : ListChildren(parent, false))
    if (c.TabStop() || (c.ExStyle & WS_EX_CONTROLPARENT)) out.push_back(c.Handle);
  return out;
}

std::vector<HWND> ZOrder(HWND parent, const std::vector<HWND>& among) {
  std::vector<HWND> out;
  for (const ControlInfo& c : ListChildren(parent, false))
    if (std::find(among.begin(), among.end(), c.Handle) != among.end()) out.push_back(c.Handle);
  return out;
}

// --- layout ----------------------------------------------------------------

TEST(SetupWindowLayout, EveryControlWhereTheLayoutPutsIt) {
  SetupWindow w;
  const HWND form = w.Window;
  ExpectPlaced({"Image1", w.Image1, form, 0, 0, 393, 86});
  ExpectPlaced({"GroupBox1", w.GroupBox1, form, 57, 220, 280, 200});
  ExpectPlaced({"RdbUsuarioInactivo", w.RdbUsuarioInactivo, w.GroupBox1, 22, 29, 113, 17});
  ExpectPlaced({"RdbUsuarioInicial", w.RdbUsuarioInicial, w.GroupBox1, 22, 47, 113, 17});
  ExpectPlaced({"RdbEsteUsuario", w.RdbEsteUsuario, w.GroupBox1, 22, 66, 113, 17});
  ExpectPlaced({"EdtUsuario", w.EdtUsuario, w.GroupBox1, 136, 113, 121, 21});
  ExpectPlaced({"EdtContrasena", w.EdtContrasena, w.GroupBox1, 136, 137, 121, 21});
  ExpectPlaced({"EdtConfContrasena", w.EdtConfContrasena, w.GroupBox1, 136, 161, 121, 21});
  ExpectPlaced({"GrbDirectorio", w.GrbDirectorio, form, 7, 142, 378, 64});
  ExpectPlaced({"EdtDirSvrDcom", w.EdtDirSvrDcom, w.GrbDirectorio, 11, 32, 335, 21});
  ExpectPlaced({"BitBtnDirServ", w.BitBtnDirServ, w.GrbDirectorio, 346, 31, 22, 22});
  ExpectPlaced({"BitBtnAceptar", w.BitBtnAceptar, form, 159, 426, 75, 25});
  ExpectPlaced({"RdgTipRegi", w.RdgTipRegi, form, 8, 92, 377, 44});
  EXPECT_EQ(DescribeControl(w.Directorio).Parent, w.RdgTipRegi);
  EXPECT_EQ(DescribeControl(w.Programa).Parent, w.RdgTipRegi);
  // Two columns: the items side by side on one row, "Directorio" first.
  const RECT dir = DescribeControl(w.Directorio).RectInParentClient;
  const RECT prog = DescribeControl(w.Programa).RectInParentClient;
  EXPECT_EQ(dir.top, prog.top);
  EXPECT_LT(dir.right, prog.left + 1);

  ExpectLabel("LblUsuario", w.LblUsuario, w.GroupBox1, 22, 115, u"Usuario:");
  ExpectLabel("LblContrasena", w.LblContrasena, w.GroupBox1, 22, 139, u"Contraseña:");
  ExpectLabel("LblConfContrasena", w.LblConfContrasena, w.GroupBox1, 22, 163,
              u"Confirmar contraseña:");

  // Captions and texts.
  EXPECT_EQ(U8(ReadText(form)), U8(kWindowCaption));
  EXPECT_EQ(U8(ReadText(w.GrbDirectorio)), U8(kGroupFolders));
  EXPECT_EQ(U8(ReadText(w.BitBtnDirServ)), "");
  EXPECT_EQ(U8(ReadText(w.EdtDirSvrDcom)), "");
  EXPECT_EQ(U8(ReadText(w.EdtUsuario)), "");
  EXPECT_EQ(U8(ReadText(w.EdtContrasena)), "");
  EXPECT_EQ(U8(ReadText(w.EdtConfContrasena)), "");
  EXPECT_EQ(U8(ReadText(w.Image1)), "");

  // Initial selection and enabling.
  EXPECT_TRUE(IsChecked(w.Directorio));
  EXPECT_FALSE(IsChecked(w.Programa));
  EXPECT_FALSE(IsChecked(w.RdbUsuarioInactivo));
  EXPECT_FALSE(IsChecked(w.RdbUsuarioInicial));
  EXPECT_TRUE(IsChecked(w.RdbEsteUsuario));
  for (const ControlInfo& c : ListChildren(form, true))
    EXPECT_TRUE(c.Enabled) << U8(c.ClassName) << " \"" << U8(c.Text) << "\"";
  EXPECT_TRUE(IsEnabled(form));
}

TEST(SetupWindowLayout, TabOrderAmongSiblings) {
  SetupWindow w;
  EXPECT_EQ(TabSequence(w.Window),
            (std::vector<HWND>{w.RdgTipRegi, w.GroupBox1, w.GrbDirectorio, w.BitBtnAceptar}));
  // Inside the identity group: the three options (only the selected one a
  // tab stop), then the three edits.
  EXPECT_EQ(ZOrder(w.GroupBox1, {w.RdbUsuarioInactivo, w.RdbUsuarioInicial, w.RdbEsteUsuario,
                                 w.EdtUsuario, w.EdtContrasena, w.EdtConfContrasena}),
            (std::vector<HWND>{w.RdbUsuarioInactivo, w.RdbUsuarioInicial, w.RdbEsteUsuario,
                               w.EdtUsuario, w.EdtContrasena, w.EdtConfContrasena}));
  EXPECT_EQ(TabSequence(w.GroupBox1), (std::vector<HWND>{w.RdbEsteUsuario, w.EdtUsuario,
                                                         w.EdtContrasena, w.EdtConfContrasena}));
  EXPECT_EQ(TabSequence(w.GrbDirectorio), (std::vector<HWND>{w.EdtDirSvrDcom, w.BitBtnDirServ}));
  EXPECT_EQ(TabSequence(w.RdgTipRegi), (std::vector<HWND>{w.Directorio}));
  // Labels, the banner and the version take no focus.
  for (HWND h : {w.LblUsuario, w.LblContrasena, w.LblConfContrasena, w.LblVersion, w.Image1})
    EXPECT_FALSE(DescribeControl(h).TabStop()) << U8(ReadText(h));

  // The tab stop follows the selection.
  Click(w.RdbUsuarioInicial);
  EXPECT_TRUE(TryWaitUntil([&] { return IsChecked(w.RdbUsuarioInicial); }, kWait));
  EXPECT_EQ(TabSequence(w.GroupBox1), (std::vector<HWND>{w.RdbUsuarioInicial, w.EdtUsuario,
                                                         w.EdtContrasena, w.EdtConfContrasena}));
  Click(w.Programa);
  EXPECT_TRUE(TryWaitUntil([&] { return IsChecked(w.Programa); }, kWait));
  EXPECT_EQ(TabSequence(w.RdgTipRegi), (std::vector<HWND>{w.Programa}));
}

TEST(SetupWindowLayout, EditStyles) {
  SetupWindow w;
  const ControlInfo dir = DescribeControl(w.EdtDirSvrDcom);
  EXPECT_NE(dir.Style & ES_READONLY, 0);
  EXPECT_EQ(dir.Style & ES_PASSWORD, 0);
  EXPECT_EQ(DescribeControl(w.EdtUsuario).Style & (ES_PASSWORD | ES_READONLY), 0);
  EXPECT_EQ(SendBounded(w.EdtUsuario, EM_GETPASSWORDCHAR, 0, 0), 0);
  for (HWND edit : {w.EdtContrasena, w.EdtConfContrasena}) {
    const ControlInfo c = DescribeControl(edit);
    EXPECT_NE(c.Style & ES_PASSWORD, 0);
    EXPECT_EQ(c.Style & ES_READONLY, 0);
    EXPECT_EQ(SendBounded(edit, EM_GETPASSWORDCHAR, 0, 0), L'*');
  }
  // Typing into the read-only field changes nothing; typing into the user
  // name does.
  Focus(w.EdtDirSvrDcom);
  TypeText(w.Window, u"abc");
  Focus(w.EdtUsuario);
  TypeText(w.Window, u"ñu");
  EXPECT_TRUE(TryWaitUntil([&] { return ReadText(w.EdtUsuario) == u"ñu"; }, kWait))
      << U8(ReadText(w.EdtUsuario));
  EXPECT_EQ(U8(ReadText(w.EdtDirSvrDcom)), "");
}

TEST(SetupWindowLayout, WindowFrameSizeAndPlace) {
  SetupWindow w;
  const RECT client = ClientRect(w.Window);
  EXPECT_EQ(Width(client), 393);
  EXPECT_EQ(Height(client), 456);

  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(w.Window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(w.Window, GWL_EXSTYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_NE(style & WS_SYSMENU, 0u);
  EXPECT_EQ(style & WS_THICKFRAME, 0u);
  EXPECT_EQ(style & WS_MINIMIZEBOX, 0u);
  EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);
  EXPECT_EQ(style & WS_CHILD, 0u);
  EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0u);
  EXPECT_EQ(exStyle & WS_EX_TOOLWINDOW, 0u);
  EXPECT_EQ(OwnerOf(w.Window), nullptr);  // its own taskbar button
  // The frame a fixed single border with a caption gives, nothing more.
  RECT frame{0, 0, 393, 456};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  EXPECT_EQ(OuterWidth(w.Window), Width(frame));
  EXPECT_EQ(OuterHeight(w.Window), Height(frame));

  // Centred on the work area (integer halves may round either way).
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const RECT r = WindowRect(w.Window);
  EXPECT_LE(std::abs((r.left - work.left) - (work.right - r.right)), 1)
      << r.left << " " << r.right << " in " << work.left << " " << work.right;
  EXPECT_LE(std::abs((r.top - work.top) - (work.bottom - r.bottom)), 1)
      << r.top << " " << r.bottom << " in " << work.top << " " << work.bottom;

  // No icon of its own (the class icon, MAINICON, shows). Wine answers
  // WM_GETICON across processes with a failed send but sets the result, so
  // the result starts as a value no answer gives.
  for (WPARAM kind : {WPARAM{ICON_BIG}, WPARAM{ICON_SMALL}}) {
    DWORD_PTR icon = 1;
    ::SendMessageTimeoutW(w.Window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG, 5000, &icon);
    EXPECT_EQ(icon, 0u) << "WM_GETICON " << kind;
  }
}

TEST(SetupWindowLayout, ProgramIconIsOne48By48ImageIn32BitColour) {
  UniqueModule exe(::LoadLibraryExW(win32::W(VarnelExePath()), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(exe);
  const HRSRC group =
      ::FindResourceW(exe.get(), L"MAINICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  const auto* bytes =
      static_cast<const std::uint8_t*>(::LockResource(::LoadResource(exe.get(), group)));
  ASSERT_NE(bytes, nullptr);
  ASSERT_GE(::SizeofResource(exe.get(), group), 6u + 14u);
  const auto word = [&](std::size_t at) {
    return static_cast<int>(bytes[at] | (bytes[at + 1] << 8));
  };
  EXPECT_EQ(word(2), 1);  // icons
  EXPECT_EQ(word(4), 1);  // one image
  EXPECT_EQ(bytes[6], 48);
  EXPECT_EQ(bytes[7], 48);
  EXPECT_EQ(word(6 + 6), 32);  // bits per pixel
}

TEST(SetupWindowLayout, VersionLabelRightAlignedByItsWidth) {
  SetupWindow w;
  const ControlInfo label = DescribeControl(w.LblVersion);
  EXPECT_EQ(U8(label.Text), "Versión: 16.0.1.1");
  EXPECT_EQ(label.Parent, w.Window);
  const SIZE size = TextSize(u"Versión: 16.0.1.1");
  EXPECT_EQ(label.Width(), size.cx);
  EXPECT_EQ(label.Height(), size.cy);
  EXPECT_EQ(label.RectInParentClient.top, 438);  // the show handler keeps the top
  const int outer = OuterWidth(w.Window);
  const int width = label.Width();
  EXPECT_EQ(label.RectInParentClient.left, outer - width * 115 / 100)
      << "outer width " << outer << ", label width " << width;
  EXPECT_FALSE(label.TabStop());
}

TEST(SetupWindowLayout, Screenshot) {
  SetupWindow w;
  CreateFolders(BuildTreePath(u"screenshots"));
  const String path = BuildTreePath(u"screenshots\\setup-window.png");
  // Give the banner and the group boxes time to paint.
  Pause(Milliseconds(500));
  SaveScreenshot(path, w.Window);
  const std::string bytes = ReadFileBytes(path);
  int width = 0, height = 0;
  ASSERT_TRUE(ReadPngSize(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), width, height));
  EXPECT_EQ(width, OuterWidth(w.Window));
  EXPECT_EQ(height, OuterHeight(w.Window));
  // The banner is a dark picture; the client area below it is button face.
  const Pixels pixels = CaptureWindowPixels(w.Window);
  const RECT frame = WindowRect(w.Window);
  POINT banner{20, 40}, face{3, 300};
  ::ClientToScreen(w.Window, &banner);
  ::ClientToScreen(w.Window, &face);
  const std::uint32_t b = pixels.At(banner.x - frame.left, banner.y - frame.top);
  EXPECT_LT(((b >> 16) & 0xFF) + ((b >> 8) & 0xFF) + (b & 0xFF), 3u * 128u) << std::hex << b;
  const COLORREF faceColor = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(pixels.At(face.x - frame.left, face.y - frame.top),
            Rgb(GetRValue(faceColor), GetGValue(faceColor), GetBValue(faceColor)));
}

// --- identity and mode -----------------------------------------------------

TEST(SetupWindowToggles, IdentityOptionsDisableAndEnableTheCredentialsAndKeepTexts) {
  SetupWindow w;
  SetEditText(w.EdtUsuario, u"UxSetupUsuario");
  SetEditText(w.EdtContrasena, u"clave1");
  SetEditText(w.EdtConfContrasena, u"clave2");
  const auto allEnabled = [&](bool enabled) {
    for (HWND h : w.Credentials())
      if (IsEnabled(h) != enabled) return false;
    return true;
  };
  const auto textsKept = [&] {
    EXPECT_EQ(U8(ReadText(w.EdtUsuario)), "UxSetupUsuario");
    EXPECT_EQ(U8(ReadText(w.EdtContrasena)), "clave1");
    EXPECT_EQ(U8(ReadText(w.EdtConfContrasena)), "clave2");
  };

  for (HWND option : {w.RdbUsuarioInicial, w.RdbUsuarioInactivo}) {
    Click(option);
    ASSERT_TRUE(TryWaitUntil([&] { return allEnabled(false); }, kWait)) << U8(ReadText(option));
    EXPECT_TRUE(IsChecked(option));
    EXPECT_FALSE(IsChecked(w.RdbEsteUsuario));
    textsKept();
    // The options themselves stay usable.
    EXPECT_TRUE(IsEnabled(w.RdbUsuarioInactivo));
    EXPECT_TRUE(IsEnabled(w.RdbUsuarioInicial));
    EXPECT_TRUE(IsEnabled(w.RdbEsteUsuario));
    EXPECT_TRUE(IsEnabled(w.GroupBox1));

    Click(w.RdbEsteUsuario);
    ASSERT_TRUE(TryWaitUntil([&] { return allEnabled(true); }, kWait));
    EXPECT_TRUE(IsChecked(w.RdbEsteUsuario));
    EXPECT_FALSE(IsChecked(option));
    textsKept();
  }
  // From one disabling option to the other: still disabled.
  Click(w.RdbUsuarioInicial);
  ASSERT_TRUE(TryWaitUntil([&] { return allEnabled(false); }, kWait));
  Click(w.RdbUsuarioInactivo);
  ASSERT_TRUE(TryWaitUntil([&] { return IsChecked(w.RdbUsuarioInactivo); }, kWait));
  Pause(Milliseconds(200));
  EXPECT_TRUE(allEnabled(false));
  textsKept();
}

TEST(SetupWindowToggles, ModeSetsTheFolderGroupCaptionAndKeepsThePath) {
  SetupWindow w;
  const String path = u"Z:\\UxSetupModo\\servidores";
  SetEditText(w.EdtDirSvrDcom, path);
  for (int round = 0; round < 2; ++round) {
    Click(w.Programa);
    ASSERT_TRUE(TryWaitUntil([&] { return ReadText(w.GrbDirectorio) == kGroupProgram; }, kWait))
        << "\"" << U8(ReadText(w.GrbDirectorio)) << "\"";
    EXPECT_TRUE(IsChecked(w.Programa));
    EXPECT_FALSE(IsChecked(w.Directorio));
    EXPECT_EQ(U8(ReadText(w.EdtDirSvrDcom)), U8(path));

    Click(w.Directorio);
    ASSERT_TRUE(TryWaitUntil([&] { return ReadText(w.GrbDirectorio) == kGroupFolders; }, kWait))
        << "\"" << U8(ReadText(w.GrbDirectorio)) << "\"";
    EXPECT_TRUE(IsChecked(w.Directorio));
    EXPECT_EQ(U8(ReadText(w.EdtDirSvrDcom)), U8(path));
  }
  // The mode leaves the identity alone.
  EXPECT_TRUE(IsChecked(w.RdbEsteUsuario));
  EXPECT_TRUE(IsEnabled(w.EdtUsuario));
}

// --- keyboard --------------------------------------------------------------

void ExpectValidationBox(const SetupWindow& w, const char* how) {
  const MessageBoxInfo box = WaitForMessageBox(w.Pid(), kWait);
  EXPECT_EQ(U8(box.Text), "Debe digitar un Usuario.") << how;
  EXPECT_EQ(U8(box.Caption), U8(kBoxCaption)) << how;
  EXPECT_EQ(box.Icon, IconKind::Error) << how << ": " << U8(IconKindName(box.Icon));
  EXPECT_EQ(box.ButtonIds, std::vector<int>{IDOK}) << how;
  Press(box, IDOK);
  EXPECT_TRUE(TryWaitUntil([&] { return !FindMessageBox(w.Pid()); }, kWait)) << how;
  EXPECT_TRUE(TryWaitUntil([&] { return IsEnabled(w.Window); }, kWait)) << how;
}

TEST(SetupWindowKeyboard, EnterAndAltAPressAceptar) {
  SetupWindow w;
  Focus(w.EdtUsuario);
  PressEnter(w.Window);
  ExpectValidationBox(w, "Enter in the user name");

  Focus(w.EdtConfContrasena);
  PressEnter(w.Window);
  ExpectValidationBox(w, "Enter in the confirmation");

  Focus(w.EdtUsuario);
  PressAlt(w.Window, u'a');
  ExpectValidationBox(w, "Alt+A");
  // Nothing else happened: no second box, texts and selection as they were.
  EXPECT_FALSE(FindMessageBox(w.Pid()).has_value());
  EXPECT_TRUE(IsChecked(w.RdbEsteUsuario));
  EXPECT_EQ(U8(ReadText(w.EdtUsuario)), "");
}

TEST(SetupWindowKeyboard, TabVisitsTheControlsInTabOrder) {
  SetupWindow w;
  Focus(w.Directorio);
  const std::vector<std::pair<const char*, HWND>> expected = {
      {"RdbEsteUsuario", w.RdbEsteUsuario}, {"EdtUsuario", w.EdtUsuario},
      {"EdtContrasena", w.EdtContrasena},   {"EdtConfContrasena", w.EdtConfContrasena},
      {"EdtDirSvrDcom", w.EdtDirSvrDcom},   {"BitBtnDirServ", w.BitBtnDirServ},
      {"BitBtnAceptar", w.BitBtnAceptar},   {"Directorio", w.Directorio},
  };
  for (const auto& [name, control] : expected) {
    PressTab(w.Window);
    ASSERT_TRUE(TryWaitUntil([&] { return FocusedControl(w.Window) == control; }, kWait))
        << "Tab should reach " << name << "; focus is on \""
        << U8(ReadText(FocusedControl(w.Window))) << "\" ("
        << U8(ClassNameOf(FocusedControl(w.Window))) << ")";
  }
  // Tab moved the focus only: nothing was pressed or selected.
  EXPECT_FALSE(FindMessageBox(w.Pid()).has_value());
  EXPECT_TRUE(IsChecked(w.Directorio));
  EXPECT_TRUE(IsChecked(w.RdbEsteUsuario));
}

}  // namespace
}  // namespace varnel::ui
