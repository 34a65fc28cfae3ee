// The visible results of a session as JSON or CSV, for other programs and
// spreadsheets. Texts go out as UTF-8; the caller holds the session's
// DataLock shared.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

class TResults;

std::string ExportResultsJson(const TResults& results);
std::string ExportResultsCsv(const TResults& results);

}  // namespace orvane
