#include "setup/SetupRules.h"

#include <cmath>

namespace varnel::setup {

namespace {
constexpr std::uint32_t kPickFolders = 0x20;  // FOS_PICKFOLDERS
}

int VersionLabelLeft(int windowLeft, int outerWidth, int labelWidth) {
  const long double product = static_cast<long double>(labelWidth) * 1.15L;
  return windowLeft + outerWidth - static_cast<int>(std::trunc(product));
}

String DirectoryGroupCaption(int modeIndex) {
  return modeIndex == 0 ? u" Directorio Servidores DCOM Quiral "
                        : u" Directorio Servidor DCOM Quiral ";
}

OpenDialogRequest PickerRequest(int modeIndex, bool defaultFolderExists) {
  OpenDialogRequest request;
  request.Title = u"Seleccionar Directorio Servidores DCOM Quiral";
  if (defaultFolderExists) request.StartFolder = kDefaultServerFolder;
  if (modeIndex == 1) {
    request.FileTypes.emplace_back(u"Ejecutables (*.exe)", u"*.exe");
    request.FileTypeIndex = 1;
    request.Options = 0;  // none at all: the dialog's defaults are replaced
  } else {
    request.Options = kPickFolders;
  }
  return request;
}

}  // namespace varnel::setup
