// The operating system's number for the calling thread, as log lines show it.
#pragma once

#include <cstdint>

namespace orvane {

int64_t CurrentThreadId();

}  // namespace orvane
