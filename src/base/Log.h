// Logging entry points usable from any layer. The process-wide object behind
// them lives in host/; while none exists (unit tests of single modules) they
// do nothing.
#pragma once

#include <string>

namespace orvane {

void Log(const std::string& module, const std::string& text);
void RemoteLog(const std::string& line);
void LogException(const std::string& keywords, const std::string& engineName, const std::string& unitName,
                  const std::string& methodName, const std::string& message);

}  // namespace orvane
