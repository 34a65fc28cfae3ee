#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

namespace orvane {

namespace {

std::string TargetOf(const std::string& fileName) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(fileName, ec)) return fileName;
  const auto target = std::filesystem::weakly_canonical(fileName, ec);
  return ec ? fileName : target.string();
}

}  // namespace

bool WriteFileAtomically(const std::string& fileName, const std::string& bytes) {
  const std::string target = TargetOf(fileName);
  struct stat info {};
  const bool exists = ::stat(target.c_str(), &info) == 0;
  // A file without any write permission is read-only even for root, who
  // would otherwise pass every access check; the rename below would replace
  // it regardless of its own permissions.
  if (exists && ((info.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) return false;

  static std::atomic<unsigned> next{0};
  const std::string temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(next++);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, exists ? info.st_mode & 07777 : 0644);
  if (fd < 0) return false;
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  const bool complete = written == bytes.size() && ::fsync(fd) == 0;
  ::close(fd);
  if (complete && exists) ::chmod(temp.c_str(), info.st_mode & 07777);
  if (!complete || std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

std::string ExecutableFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  return exe.parent_path().string() + "/";
}

}  // namespace orvane
