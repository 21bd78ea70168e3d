#include "platform/win32/ShellDialogWin32.h"

#include <shobjidl.h>

#include "platform/win32/Errors.h"
#include "platform/win32/TaskWindows.h"
#include "platform/win32/Text.h"
#include "platform/win32/Unique.h"

namespace varnel::win32 {

bool ShellDialogWin32::FolderExists(const String& path) {
  const DWORD attributes = ::GetFileAttributesW(W(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return !FolderMissingForError(::GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  // A junction or link counts only when it leads somewhere that opens.
  const UniqueFile handle(::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
  return static_cast<bool>(handle);
}

std::optional<String> ShellDialogWin32::Show(const OpenDialogRequest& request) {
  ComPtr<IFileOpenDialog> dialog;
  OleCheck(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, dialog.put_void()));
  // Options first: setting them resets the title on some shells.
  OleCheck(dialog->SetOptions(request.Options));
  OleCheck(dialog->SetTitle(W(request.Title)));
  if (!request.StartFolder.empty()) {
    ComPtr<IShellItem> folder;
    if (SUCCEEDED(::SHCreateItemFromParsingName(W(request.StartFolder), nullptr, IID_IShellItem,
                                                folder.put_void())))
      dialog->SetFolder(folder.get());
  }
  if (!request.FileTypes.empty()) {
    std::vector<COMDLG_FILTERSPEC> types;
    for (const auto& [name, mask] : request.FileTypes) types.push_back({W(name), W(mask)});
    OleCheck(dialog->SetFileTypes(static_cast<UINT>(types.size()), types.data()));
    if (request.FileTypeIndex) OleCheck(dialog->SetFileTypeIndex(request.FileTypeIndex));
  }

  const HWND focus = ::GetFocus();
  HRESULT shown = E_FAIL;
  {
    TaskWindowsDisabled disabled(appWindow_);
    shown = dialog->Show(appWindow_);
  }
  if (focus && ::IsWindow(focus)) ::SetFocus(focus);
  if (shown != S_OK) return std::nullopt;

  ComPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(item.put())) || !item) return std::nullopt;
  UniqueCoTaskString name;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, name.put())) || !name) {
    if (FAILED(item->GetDisplayName(SIGDN_NORMALDISPLAY, name.put())) || !name) return std::nullopt;
  }
  return FromW(name.get());
}

}  // namespace varnel::win32
