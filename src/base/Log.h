// Logging entry points usable from any layer. They hand each line to the sink
// that the host installs at start-up; while none is installed (unit tests of
// single modules) they do nothing.
#pragma once

#include <string>

namespace orvane {

// Where the lines go: the log file, the remote log.
class TLogSink {
 public:
  virtual ~TLogSink() = default;
  virtual void Log(const std::string& module, const std::string& text) = 0;
  virtual void RemoteLog(const std::string& line) = 0;
  virtual void LogException(const std::string& keywords, const std::string& engineName, const std::string& unitName,
                            const std::string& methodName, const std::string& message) = 0;
};

// Installs `sink` (nullptr removes it). Called while no other thread logs; the
// sink must outlive its installation.
void SetLogSink(TLogSink* sink);

void Log(const std::string& module, const std::string& text);
void RemoteLog(const std::string& line);
void LogException(const std::string& keywords, const std::string& engineName, const std::string& unitName,
                  const std::string& methodName, const std::string& message);

}  // namespace orvane
