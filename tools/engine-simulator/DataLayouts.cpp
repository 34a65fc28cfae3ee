#include "DataLayouts.h"

#include "base/StrUtils.h"

namespace orvane::sim {

namespace {

// A JSON string of Latin-1 text.
std::string Json(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : Latin1ToUtf8(text)) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Xml(std::string_view text) { return Latin1ToUtf8(HtmlEscape(text)); }

std::string Snippet(const TViewEntry& entry) { return entry.NoSnippet ? "" : HtmlEscape(entry.Doc.Snippet); }

// MediaWiki marks the matched words in a snippet.
std::string MarkWords(const TPageView& view, const std::string& snippet) {
  std::string out = snippet;
  for (const std::string& word : view.Query->Words) {
    const size_t at = out.find(word);
    if (word.size() < 3 || at == std::string::npos) continue;
    out.replace(at, word.size(), "<span class=\"searchmatch\">" + word + "</span>");
  }
  return out;
}

std::string Items(const TPageView& view, std::string (*item)(const TPageView&, const TViewEntry&)) {
  std::string out;
  for (const TViewEntry& entry : view.Entries) {
    if (!out.empty()) out += ",\n";
    out += item(view, entry);
  }
  return out;
}

}  // namespace

std::string WikiTitle(std::string_view title) {
  std::string out;
  for (char c : title) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       std::string_view(" -.,()").find(c) != std::string_view::npos;
    if (plain && !(c == ' ' && (out.empty() || out.back() == ' '))) out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out.empty() ? "Untitled" : out;
}

std::string ArxivNumber(std::string_view link) {
  const uint64_t h = HashText(link);
  const int year = 7 + static_cast<int>(h % 18), month = 1 + static_cast<int>((h >> 8) % 12);
  const int serial = 1000 + static_cast<int>((h >> 16) % 9000);
  return (year < 10 ? "0" : "") + IntToStr(year) + (month < 10 ? "0" : "") + IntToStr(month) + "." +
         IntToStr(serial);
}

std::string RenderWikipedia(const TPageView& view) {
  const std::string items = Items(view, [](const TPageView& v, const TViewEntry& entry) {
    const std::string title = WikiTitle(entry.Doc.Title);
    return "{\"ns\":0,\"title\":" + Json(title) + ",\"pageid\":" + IntToStr(static_cast<int64_t>(HashText(title) % 9000000)) +
           ",\"size\":" + IntToStr(entry.Doc.SizeK * 1024) + ",\"snippet\":" + Json(MarkWords(v, Snippet(entry))) +
           ",\"timestamp\":\"2026-01-15T10:00:00Z\"}";
  });
  std::string out = "{\"batchcomplete\":true,";
  if (view.Last < view.Total.Served) out += "\"continue\":{\"sroffset\":" + IntToStr(view.Last) + ",\"continue\":\"-||\"},";
  return out + "\"query\":{\"searchinfo\":{\"totalhits\":" + IntToStr(view.Total.Claimed) + "},\"search\":[\n" + items +
         "\n]}}\n";
}

std::string RenderArxiv(const TPageView& view) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\" "
      "xmlns:opensearch=\"http://a9.com/-/spec/opensearch/1.1/\" xmlns:arxiv=\"http://arxiv.org/schemas/atom\">\n"
      "<title type=\"html\">ArXiv Query: " + Xml(view.Keywords) + "</title>\n<id>http://arxiv.org/api/sim</id>\n"
      "<updated>2026-01-15T00:00:00-05:00</updated>\n<opensearch:totalResults>" + IntToStr(view.Total.Claimed) +
      "</opensearch:totalResults>\n<opensearch:startIndex>" + IntToStr(view.First > 0 ? view.First - 1 : 0) +
      "</opensearch:startIndex>\n<opensearch:itemsPerPage>" + IntToStr(view.PageSize) + "</opensearch:itemsPerPage>\n";
  for (const TViewEntry& entry : view.Entries) {
    const std::string abs = kArxivBase + ArxivNumber(entry.Doc.Link);
    out += "<entry>\n<id>" + abs + "v1</id>\n<updated>2026-01-10T12:00:00Z</updated>\n<published>2025-12-01T09:00:00Z"
           "</published>\n<title>" + Xml(entry.Doc.Title) + "</title>\n<summary>" + Xml(entry.NoSnippet ? "" : entry.Doc.Snippet) +
           "</summary>\n<author><name>A. Author</name></author>\n<link href=\"" + abs +
           "v1\" rel=\"alternate\" type=\"text/html\"/>\n<link title=\"pdf\" href=\"https://arxiv.org/pdf/" +
           ArxivNumber(entry.Doc.Link) + "v1\" rel=\"related\" type=\"application/pdf\"/>\n</entry>\n";
  }
  return out + "</feed>\n";
}

std::string RenderSearxng(const TPageView& view) {
  const std::string items = Items(view, [](const TPageView&, const TViewEntry& entry) {
    return "{\"url\":" + Json(entry.Doc.Link) + ",\"title\":" + Json(HtmlEscape(entry.Doc.Title)) + ",\"content\":" +
           Json(Snippet(entry)) + ",\"engine\":\"sim\",\"engines\":[\"sim\"],\"score\":1.0}";
  });
  return "{\"query\":" + Json(view.Keywords) + ",\"number_of_results\":" + IntToStr(view.Total.Claimed) +
         ",\"results\":[\n" + items + "\n],\"answers\":[],\"suggestions\":[],\"unresponsive_engines\":[]}\n";
}

std::string RenderBrave(const TPageView& view) {
  const std::string items = Items(view, [](const TPageView&, const TViewEntry& entry) {
    return "{\"type\":\"search_result\",\"title\":" + Json(HtmlEscape(entry.Doc.Title)) + ",\"url\":" +
           Json(entry.Doc.Link) + ",\"description\":" + Json(Snippet(entry)) + ",\"age\":\"January 10, 2026\",\"language\":\"en\"}";
  });
  const bool more = view.Last > 0 && view.Last < view.Total.Served;
  return "{\"type\":\"search\",\"query\":{\"original\":" + Json(view.Keywords) + ",\"more_results_available\":" +
         (more ? "true" : "false") + "},\"web\":{\"type\":\"search\",\"results\":[\n" + items + "\n]}}\n";
}

std::string RenderJsonError(int status) {
  return "{\"error\":{\"status\":" + IntToStr(status) + ",\"code\":\"SIM_ERROR\",\"detail\":\"The simulated source failed.\"}}\n";
}

}  // namespace orvane::sim
