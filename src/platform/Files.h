// Files written whole or not at all: the bytes go to a temporary file beside
// the target, are flushed to disk and renamed over it, so a crash or a full
// disk never leaves half a file behind. And where the program's own files are.
#pragma once

#include <string>

namespace orvane {

// False (and the old file untouched) when the file is read-only, or the
// temporary file cannot be written or renamed. A symbolic link keeps
// pointing at its target, which is replaced; the target keeps its mode.
bool WriteFileAtomically(const std::string& fileName, const std::string& bytes);

// The folder of the running program, ending with "/"; "./" when unknown. The
// installation tree (Resources/, Data/) lies there by default.
std::string ExecutableFolder();

}  // namespace orvane
