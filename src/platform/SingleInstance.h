// TSingleInstance: the per-user lock that tells a second start of the server
// that one already runs. The lock file lives in $XDG_RUNTIME_DIR (else /tmp)
// and is held with flock for the life of the process, so a crashed server
// never leaves a stale lock behind.
#pragma once

#include <string>

namespace orvane {

class TSingleInstance {
 public:
  TSingleInstance();
  ~TSingleInstance();
  TSingleInstance(const TSingleInstance&) = delete;
  TSingleInstance& operator=(const TSingleInstance&) = delete;

  // True when this process holds the lock (it is the first instance).
  // A lock file that cannot be opened at all counts as first: better two
  // servers than none.
  bool IsFirst() const { return first_; }
  static std::string LockFileName();

 private:
  int fd_ = -1;
  bool first_ = true;
};

}  // namespace orvane
