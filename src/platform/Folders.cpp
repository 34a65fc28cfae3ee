#include "platform/Folders.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace orvane {

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return WithSlash(exe.parent_path().string());
}

std::string DefaultInstallationFolder() {
  const std::string own = ProgramFolder();
  std::error_code ec;
  const std::filesystem::path shared = std::filesystem::path(own).parent_path().parent_path() / "share" / "orvane";
  if (!std::filesystem::exists(std::filesystem::path(own) / "Resources", ec) &&
      std::filesystem::is_directory(shared / "Resources", ec))
    return WithSlash(shared.lexically_normal().string());
  return own;
}

std::string UserDataFolder() {
  if (const std::string xdg = Env("XDG_DATA_HOME"); !xdg.empty()) return xdg;
  if (const std::string home = Env("HOME"); !home.empty()) return home + "/.local/share";
  return "";
}

std::string StateFolder() {
  if (const std::string xdg = Env("XDG_STATE_HOME"); !xdg.empty()) return WithSlash(xdg) + "orvane/";
  if (const std::string home = Env("HOME"); !home.empty()) return home + "/.local/state/orvane/";
  return "./";
}

bool IsWritableFolder(const std::string& folder) {
  std::error_code ec;
  return std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK) == 0;
}

}  // namespace orvane
