#pragma once
// Where DComPerm.exe is taken from: the program's own folder, then the
// system folder, then each folder of the PATH in its order. Never the
// current folder, where anyone who can write there could leave a program
// of that name to be run with the rights of whoever runs this one: so an
// empty PATH entry, "." and every relative entry (which all mean the
// current folder or a folder below it) are skipped.

#include <optional>
#include <vector>

#include "platform/ProgramFolders.h"
#include "runtime/String.h"

namespace varnel::setup {

inline constexpr char16_t kDComPermFileName[] = u"DComPerm.exe";

// The reason a run gives when the tool is nowhere to be found.
inline constexpr char16_t kDComPermNotFound[] =
    u"No se encontró DComPerm.exe en la carpeta del programa, en la carpeta del sistema ni en "
    u"el PATH.";

// The folders of a PATH value, in order: entries separated by ";", double
// quotes grouping (a ";" inside them belongs to the folder) and removed,
// blanks around an entry dropped. Only full paths are kept: "X:\..." and
// "\\server\share\..."; empty and relative entries are left out.
std::vector<String> PathFolders(StringView pathVariable);

// Whether `folder` is a full path as above.
bool IsFullFolderPath(StringView folder);

// The folders searched, in the order searched.
std::vector<String> DComPermSearchFolders(const String& ownFolder, const String& systemFolder,
                                          StringView pathVariable);

// The full path of the first DComPerm.exe found, or nothing.
std::optional<String> LocateDComPerm(IProgramFolders& folders);

}  // namespace varnel::setup
