// The mapping of a requested name to a file of the template folder.
#pragma once

#include <string>

namespace orvane {

// Resolves `name` below `folder`, one segment at a time, each segment matched
// exactly or else without regard to case. Empty when the name would leave the
// folder or names no regular file.
std::string ResolveInFolder(const std::string& folder, const std::string& name);

// The files sent as they are, without the template engine.
bool IsPlainText(const std::string& name);

}  // namespace orvane
