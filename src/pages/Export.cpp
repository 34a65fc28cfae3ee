#include "pages/Export.h"

#include <vector>

#include "base/Engines.h"
#include "base/Escape.h"
#include "base/StrUtils.h"
#include "search/Results.h"

namespace orvane {

namespace {

struct TExportRow {
  int32_t Position;
  const TResult* Result;
};

std::vector<TExportRow> VisibleRows(const TResults& results) {
  std::vector<TExportRow> rows;
  int32_t position = 0;
  for (const auto& result : results.List)
    if (result->Marks.Visible) rows.push_back({++position, result.get()});
  return rows;
}

std::string Host(const TResult& result) { return std::string(result.URI().Host()); }

// A loaded search from an engine the data file no longer defines keeps that
// engine's old index, which may now be another engine's: its task's name
// tells where the results came from.
std::string Engine(const TResult& result) {
  if (result.Source.Task && !result.Source.Task->SE_Name.empty() && EngineIndex(result.Source.Task->SE_Name) < 0)
    return result.Source.Task->SE_Name;
  return EngineName(result.Source.Engine);
}

// Titles, descriptions and links are HTML text as the engines sent them.
std::string Plain(const std::string& html) { return DecodeHTMLEntities(html); }

}  // namespace

std::string ExportResultsJson(const TResults& results) {
  std::string out = "[";
  for (const auto& [position, result] : VisibleRows(results)) {
    out += position == 1 ? "\n  {" : ",\n  {";
    out += "\"position\": " + std::to_string(position);
    out += ", \"engine\": " + JsonString(Engine(*result));
    out += ", \"engine_rank\": " + std::to_string(result->Source.EngineRank);
    out += ", \"orvane_rank\": " + std::to_string(result->GetTotalRank(results.Profile));
    out += ", \"title\": " + JsonString(Plain(result->Source.Title));
    out += ", \"link\": " + JsonString(Plain(result->Source.Link));
    out += ", \"description\": " + JsonString(Plain(result->Description()));
    out += ", \"domain\": " + JsonString(Host(*result));
    out += ", \"domain_extension\": " + JsonString(result->Facts.DomainExt);
    out += ", \"file_extension\": " + JsonString(result->Facts.FileExt) + "}";
  }
  return out + (out.size() == 1 ? "]\n" : "\n]\n");
}

std::string ExportResultsCsv(const TResults& results) {
  std::string out =
      "position,engine,engine_rank,orvane_rank,title,link,description,domain,domain_extension,file_extension\r\n";
  for (const auto& [position, result] : VisibleRows(results)) {
    out += std::to_string(position) + "," + CsvField(Engine(*result)) + ",";
    out +=
        std::to_string(result->Source.EngineRank) + "," + std::to_string(result->GetTotalRank(results.Profile)) + ",";
    out += CsvField(Plain(result->Source.Title)) + "," + CsvField(Plain(result->Source.Link)) + ",";
    out += CsvField(Plain(result->Description())) + "," + CsvField(Host(*result)) + ",";
    out += CsvField(result->Facts.DomainExt) + "," + CsvField(result->Facts.FileExt) + "\r\n";
  }
  return out;
}

}  // namespace orvane
