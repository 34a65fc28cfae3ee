// Where the program finds its files and where it may write: the stand-in of
// the folders an installer would have recorded. All names end with "/".
#pragma once

#include <string>

namespace orvane {

// The running program's own folder.
std::string ProgramFolder();
// An installed program reads its pages and data from ../share/orvane/
// beside its bin folder; a program in a build folder finds them beside
// itself.
std::string DefaultInstallationFolder();
// $XDG_DATA_HOME, else ~/.local/share; empty when neither is known.
std::string UserDataFolder();
// $XDG_STATE_HOME/orvane/, else ~/.local/state/orvane/: the log and the
// identifier files when the installation folder is read-only.
std::string StateFolder();
// The folder exists and this process may create files in it.
bool IsWritableFolder(const std::string& folder);

}  // namespace orvane
