#include "base/Log.h"

#include <atomic>

namespace orvane {

namespace {

std::atomic<TLogSink*> sink{nullptr};

}  // namespace

void SetLogSink(TLogSink* installed) { sink.store(installed, std::memory_order_release); }

void Log(const std::string& module, const std::string& text) {
  if (TLogSink* to = sink.load(std::memory_order_acquire)) to->Log(module, text);
}

void RemoteLog(const std::string& line) {
  if (TLogSink* to = sink.load(std::memory_order_acquire)) to->RemoteLog(line);
}

void LogException(const std::string& keywords, const std::string& engineName, const std::string& unitName,
                  const std::string& methodName, const std::string& message) {
  if (TLogSink* to = sink.load(std::memory_order_acquire))
    to->LogException(keywords, engineName, unitName, methodName, message);
}

}  // namespace orvane
