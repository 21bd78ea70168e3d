// The folder and program picker of the real Varnel.exe: the shell's open
// dialog with its title, its mode, its start folder "C:\QUIRAL", and what a
// choice or a cancel does to the path field.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

#include "tests/ui/driver/Driver.h"

namespace varnel::ui {
namespace {

constexpr Milliseconds kWait{15000};
const String kWindowCaption = u"QUIRAL QRM - Configuración Servidores Quiral Velmira";
const String kDialogCaption = u"Seleccionar Directorio Servidores DCOM Quiral";

std::string U8(const String& text) { return ToUtf8(text); }

HWND OnlyChildOfClass(HWND parent, const String& className) {
  for (const ControlInfo& c : ListChildren(parent, false))
    if (c.ClassName == className) return c.Handle;
  throw Exception(u"no " + className + u" in " + ReadText(parent));
}

class Varnel {
 public:
  Varnel() : process_(VarnelExePath(), u"") {
    WindowQuery query;
    query.ProcessId = process_.Id();
    query.ClassName = u"TFrmVarnel";
    query.Caption = kWindowCaption;
    Window = WaitForWindow(query, kWait);
    GrbDirectorio = GetChild(
        Window,
        ControlQuery{u" Directorio Servidores DCOM Quiral ", u"VarnelContainer", {}, false});
    EdtDirSvrDcom = OnlyChildOfClass(GrbDirectorio, u"Edit");
    BitBtnDirServ = OnlyChildOfClass(GrbDirectorio, u"Button");
    Directorio = GetChild(Window, ControlQuery{u"Directorio", u"Button", {}, false});
    Programa = GetChild(Window, ControlQuery{u"Programa", u"Button", {}, false});
  }
  Varnel(const Varnel&) = delete;
  Varnel& operator=(const Varnel&) = delete;
  ~Varnel() {
    if (::IsWindow(Window)) Close(Window);
    process_.Wait(Milliseconds(5000));
  }
  DWORD Pid() const { return process_.Id(); }

  // Presses the folder button and waits for the shell's dialog.
  FileDialog OpenPicker() const {
    Click(BitBtnDirServ);
    return WaitForFileDialog(Pid(), kWait);
  }
  String Path() const { return ReadText(EdtDirSvrDcom); }

  HWND Window = nullptr;
  HWND GrbDirectorio = nullptr;
  HWND EdtDirSvrDcom = nullptr;
  HWND BitBtnDirServ = nullptr;
  HWND Directorio = nullptr;
  HWND Programa = nullptr;

 private:
  Process process_;
};

// Texts of the items of another process's list view: LVM_GETITEMTEXTW
// takes a pointer, so the item record and its text buffer live in the
// target's memory.
std::vector<String> ListViewItems(HWND list) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(list, &pid);
  win32::UniqueHandle process(
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
  if (!process) throw Exception(u"OpenProcess failed");
  constexpr std::size_t kChars = 520;
  const std::size_t size = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
  void* remote = ::VirtualAllocEx(process.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) throw Exception(u"VirtualAllocEx failed");
  std::vector<String> items;
  const auto count = static_cast<int>(SendBounded(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.cchTextMax = static_cast<int>(kChars);
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    ::WriteProcessMemory(process.get(), remote, &item, sizeof(item), nullptr);
    const auto length = static_cast<std::size_t>(SendBounded(
        list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote)));
    std::vector<wchar_t> text(kChars, L'\0');
    ::ReadProcessMemory(process.get(), item.pszText, text.data(), kChars * sizeof(wchar_t),
                        nullptr);
    items.push_back(win32::FromW(text.data(), std::min(length, kChars - 1)));
  }
  ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return items;
}

bool Contains(const std::vector<String>& items, const String& text) {
  return std::find(items.begin(), items.end(), text) != items.end();
}

String Joined(const std::vector<String>& items) {
  String out;
  for (const String& item : items) out += (out.empty() ? u"" : u", ") + item;
  return out;
}

HWND FileList(const FileDialog& dialog) {
  return GetChild(dialog.Handle, ControlQuery{{}, u"SysListView32", {}, false});
}

// The dialog's "Files of type" box (a combo box; hidden when the dialog
// offers no file types).
ControlInfo FileTypes(const FileDialog& dialog) {
  return DescribeControl(GetChild(dialog.Handle, ControlQuery{{}, u"ComboBox", {}, false}));
}

void ExpectNoMessageBox(const Varnel& v, const char* when) {
  EXPECT_THROW(WaitForMessageBox(v.Pid(), Milliseconds(1500)), TimeoutError) << when;
}

void SelectMode(const Varnel& v, HWND item, const String& groupCaption) {
  Click(item);
  ASSERT_TRUE(TryWaitUntil([&] { return ReadText(v.GrbDirectorio) == groupCaption; }, kWait))
      << "\"" << U8(ReadText(v.GrbDirectorio)) << "\"";
}

// The program's default folder, made for one test and removed with all its
// contents at the end (other tests expect it to be absent).
class QuiralFolder {
 public:
  QuiralFolder() {
    if (FolderExists(kPath)) throw Exception(u"C:\\QUIRAL exists already");
    CreateFolders(JoinPath(kPath, u"UxPickerSub"));
    WriteTextFile(JoinPath(kPath, u"UxPickerMarca.exe"), u"MZ");
    WriteTextFile(JoinPath(kPath, u"UxPickerNota.txt"), u"nota");
  }
  QuiralFolder(const QuiralFolder&) = delete;
  QuiralFolder& operator=(const QuiralFolder&) = delete;
  ~QuiralFolder() { Remove(); }
  void Remove() noexcept { DeleteTree(kPath); }

  static constexpr char16_t kPath[] = u"C:\\QUIRAL";
};

// --- folder mode -----------------------------------------------------------

TEST(PickerFolderMode, PickSetsThePathCancelKeepsIt) {
  Varnel v;
  TempFolder temp(u"UxPicker");
  const String folder = temp.MakeFolder(u"servidores á");

  Focus(v.BitBtnDirServ);
  FileDialog dialog = v.OpenPicker();
  EXPECT_EQ(U8(dialog.Caption), U8(kDialogCaption));
  EXPECT_FALSE(FileTypes(dialog).Visible) << "a folder picker offers no file types";
  EXPECT_FALSE(IsEnabled(v.Window)) << "the setup window stays usable under the dialog";
  // Its parent is the application's hidden window, not the setup window.
  const HWND owner = OwnerOf(dialog.Handle);
  EXPECT_EQ(U8(ClassNameOf(owner)), "VarnelApplication");
  EXPECT_EQ(ProcessIdOf(owner), v.Pid());
  EXPECT_FALSE(IsVisible(owner));
  PickPath(dialog, folder);
  ASSERT_TRUE(TryWaitUntil([&] { return v.Path() == folder; }, kWait)) << U8(v.Path());
  EXPECT_TRUE(TryWaitUntil([&] { return IsEnabled(v.Window); }, kWait));
  EXPECT_TRUE(TryWaitUntil([&] { return FocusedControl(v.Window) == v.BitBtnDirServ; }, kWait))
      << "focus on \"" << U8(ReadText(FocusedControl(v.Window))) << "\"";
  ExpectNoMessageBox(v, "after a pick");

  // Cancel: no message, the earlier path stays.
  dialog = v.OpenPicker();
  EXPECT_EQ(U8(dialog.Caption), U8(kDialogCaption));
  CancelFileDialog(dialog);
  ExpectNoMessageBox(v, "after cancel");
  EXPECT_EQ(U8(v.Path()), U8(folder));
  EXPECT_TRUE(IsEnabled(v.Window));

  // Switching to one program keeps the folder in the field.
  SelectMode(v, v.Programa, u" Directorio Servidor DCOM Quiral ");
  EXPECT_EQ(U8(v.Path()), U8(folder));
}

// --- program mode ----------------------------------------------------------

TEST(PickerProgramMode, OffersExecutablesAndSetsTheFullFilePath) {
  Varnel v;
  TempFolder temp(u"UxPicker");
  const String file = temp.File(u"UxPickerServidor.exe");
  WriteTextFile(file, u"MZ");
  SelectMode(v, v.Programa, u" Directorio Servidor DCOM Quiral ");

  FileDialog dialog = v.OpenPicker();
  EXPECT_EQ(U8(dialog.Caption), U8(kDialogCaption));
  const ControlInfo types = FileTypes(dialog);
  EXPECT_TRUE(types.Visible);
  EXPECT_EQ(U8(types.Text), "Ejecutables (*.exe)");
  EXPECT_EQ(SendBounded(types.Handle, CB_GETCOUNT, 0, 0), 1);
  PickPath(dialog, file);
  ASSERT_TRUE(TryWaitUntil([&] { return v.Path() == file; }, kWait)) << U8(v.Path());
  ExpectNoMessageBox(v, "after a pick");

  dialog = v.OpenPicker();
  CancelFileDialog(dialog);
  ExpectNoMessageBox(v, "after cancel");
  EXPECT_EQ(U8(v.Path()), U8(file));

  // The dialog does not insist that a typed file exists.
  const String missing = temp.File(u"UxPickerNoExiste.exe");
  PickPath(v.OpenPicker(), missing);
  ASSERT_TRUE(TryWaitUntil([&] { return v.Path() == missing; }, kWait)) << U8(v.Path());

  SelectMode(v, v.Directorio, u" Directorio Servidores DCOM Quiral ");
  EXPECT_EQ(U8(v.Path()), U8(missing));
}

// --- the start folder ------------------------------------------------------

TEST(PickerStartFolder, OpensInQuiralWhenItExistsAndWithoutErrorWhenNot) {
  Varnel v;
  QuiralFolder quiral;
  const auto listed = [](const FileDialog& dialog, const String& name) {
    std::vector<String> items;
    const bool found =
        TryWaitUntil([&] { return Contains(items = ListViewItems(FileList(dialog)), name); },
                     Milliseconds(5000));
    return std::make_pair(found, items);
  };

  // Folder mode lists the folders of C:\QUIRAL.
  FileDialog dialog = v.OpenPicker();
  auto [sub, folderItems] = listed(dialog, u"UxPickerSub");
  EXPECT_TRUE(sub) << "the dialog shows: " << U8(Joined(folderItems));
  EXPECT_FALSE(Contains(folderItems, u"UxPickerNota.txt"));
  CancelFileDialog(dialog);

  // Program mode: the executables there, and only those.
  SelectMode(v, v.Programa, u" Directorio Servidor DCOM Quiral ");
  dialog = v.OpenPicker();
  auto [exe, fileItems] = listed(dialog, u"UxPickerMarca.exe");
  EXPECT_TRUE(exe) << "the dialog shows: " << U8(Joined(fileItems));
  EXPECT_FALSE(Contains(fileItems, u"UxPickerNota.txt")) << U8(Joined(fileItems));
  CancelFileDialog(dialog);
  ExpectNoMessageBox(v, "with C:\\QUIRAL");

  // Without C:\QUIRAL the shell picks the folder, and nothing complains.
  quiral.Remove();
  ASSERT_FALSE(FolderExists(QuiralFolder::kPath));
  SelectMode(v, v.Directorio, u" Directorio Servidores DCOM Quiral ");
  dialog = v.OpenPicker();
  EXPECT_EQ(U8(dialog.Caption), U8(kDialogCaption));
  EXPECT_FALSE(FindMessageBox(v.Pid()).has_value());
  Pause(Milliseconds(300));
  EXPECT_FALSE(Contains(ListViewItems(FileList(dialog)), u"UxPickerSub"));
  CancelFileDialog(dialog);
  ExpectNoMessageBox(v, "without C:\\QUIRAL");
  EXPECT_EQ(U8(v.Path()), "");
}

}  // namespace
}  // namespace varnel::ui
