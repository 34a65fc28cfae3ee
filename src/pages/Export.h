// The visible results of a session as JSON or CSV, for other programs and
// spreadsheets. Texts go out as UTF-8; the caller holds the session's
// DataLock shared.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

class TResults;

// A JSON string literal, quotes included, of Latin-1 text.
std::string JsonString(std::string_view latin1);
// One CSV field of Latin-1 text: quoted when it holds a quote, a comma or a
// line break; a text a spreadsheet would take for a formula gets a leading
// apostrophe.
std::string CsvField(std::string_view latin1);

std::string ExportResultsJson(const TResults& results);
std::string ExportResultsCsv(const TResults& results);

}  // namespace orvane
