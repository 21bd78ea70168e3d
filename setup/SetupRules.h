#pragma once
// The setup window's small rules that need no window: where the version
// label goes, the folder group's caption per mode, and the picker request.

#include "platform/ShellDialog.h"
#include "runtime/String.h"

namespace varnel::setup {

inline constexpr char16_t kApplicationTitle[] = u"Configuración Servidores Quiral Velmira";
inline constexpr char16_t kDefaultServerFolder[] = u"C:\\QUIRAL";

// Left edge of the version label: L + W - trunc(w * 1.15), the product in
// extended precision, where L and W are the window's left edge and outer
// width and w the label's width.
int VersionLabelLeft(int windowLeft, int outerWidth, int labelWidth);

// Caption of the folder group for the selected mode (0 = "Directorio").
String DirectoryGroupCaption(int modeIndex);

// The open dialog for the selected mode: a folder picker in mode 0 (or with
// no selection), a file picker for executables in mode 1.
OpenDialogRequest PickerRequest(int modeIndex, bool defaultFolderExists);

}  // namespace varnel::setup
