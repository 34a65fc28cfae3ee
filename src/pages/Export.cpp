#include "pages/Export.h"

#include <vector>

#include "base/Engines.h"
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
    if (result->Visible) rows.push_back({++position, result.get()});
  return rows;
}

std::string Host(const TResult& result) { return result.URI ? result.URI->Host : ""; }

// Titles, descriptions and links are HTML text as the engines sent them.
std::string Plain(const std::string& html) { return DecodeHTMLEntities(html); }

}  // namespace

std::string JsonString(std::string_view latin1) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : Latin1ToUtf8(latin1)) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        // "<" as well, so that the text is safe inside a script element.
        if (byte < 0x20 || c == '<' || byte == 0x7f) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 15];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string CsvField(std::string_view latin1) {
  std::string text = Latin1ToUtf8(latin1);
  if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) text.insert(0, "'");
  if (text.find_first_of("\",\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string ExportResultsJson(const TResults& results) {
  std::string out = "[";
  for (const auto& [position, result] : VisibleRows(results)) {
    out += position == 1 ? "\n  {" : ",\n  {";
    out += "\"position\": " + std::to_string(position);
    out += ", \"engine\": " + JsonString(EngineName(result->Engine));
    out += ", \"engine_rank\": " + std::to_string(result->EngineRank);
    out += ", \"orvane_rank\": " + std::to_string(result->GetTotalRank(results.Profile));
    out += ", \"title\": " + JsonString(Plain(result->Title));
    out += ", \"link\": " + JsonString(Plain(result->Link));
    out += ", \"description\": " + JsonString(Plain(result->Description()));
    out += ", \"domain\": " + JsonString(Host(*result));
    out += ", \"domain_extension\": " + JsonString(result->DomainExt);
    out += ", \"file_extension\": " + JsonString(result->FileExt) + "}";
  }
  return out + (out.size() == 1 ? "]\n" : "\n]\n");
}

std::string ExportResultsCsv(const TResults& results) {
  std::string out =
      "position,engine,engine_rank,orvane_rank,title,link,description,domain,domain_extension,file_extension\r\n";
  for (const auto& [position, result] : VisibleRows(results)) {
    out += std::to_string(position) + "," + CsvField(EngineName(result->Engine)) + ",";
    out += std::to_string(result->EngineRank) + "," + std::to_string(result->GetTotalRank(results.Profile)) + ",";
    out += CsvField(Plain(result->Title)) + "," + CsvField(Plain(result->Link)) + ",";
    out += CsvField(Plain(result->Description())) + "," + CsvField(Host(*result)) + ",";
    out += CsvField(result->DomainExt) + "," + CsvField(result->FileExt) + "\r\n";
  }
  return out;
}

}  // namespace orvane
