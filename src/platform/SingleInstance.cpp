#include "platform/SingleInstance.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvane {

std::string TSingleInstance::LockFileName() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = (runtime && *runtime) ? runtime : "/tmp";
  return folder + "/orvane-server-" + std::to_string(::getuid()) + ".lock";
}

TSingleInstance::TSingleInstance() {
  const int fd = ::open(LockFileName().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    first_ = false;
    return;
  }
  fd_ = fd;
}

TSingleInstance::~TSingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace orvane
