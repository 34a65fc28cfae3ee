#include "pages/FailedPages.h"

#include <algorithm>

#include "base/Escape.h"
#include "base/StrUtils.h"
#include "search/Results.h"

namespace orvane {

namespace {

// Each reason once, in the order of the pages.
std::string Reasons(const TFailedPages& engine) {
  std::vector<std::string> seen;
  for (const TFailedPages::TPage& page : engine.Failed)
    if (std::find(seen.begin(), seen.end(), page.Reason) == seen.end()) seen.push_back(page.Reason);
  std::string text;
  for (const std::string& reason : seen) text += (text.empty() ? "" : "; ") + reason;
  return text;
}

}  // namespace

std::string FailedPagesNotice(const std::vector<TFailedPages>& failed) {
  std::string lines;
  for (const TFailedPages& engine : failed) {
    if (engine.Failed.empty()) continue;
    if (!lines.empty()) lines += "<br>";
    const size_t count = engine.Failed.size();
    lines += EscapeHTML(engine.Engine + ": " + std::to_string(count) + " of " + std::to_string(engine.Pages) +
                        (engine.Pages == 1 ? " page" : " pages") + " failed (" + Reasons(engine) + ")");
  }
  return lines.empty() ? "" : "<p class=\"failedpages\" role=\"alert\">" + lines + "</p>\n";
}

std::string FailedPagesPanel(const std::vector<TFailedPages>& failed) {
  std::string rows;
  for (const TFailedPages& engine : failed)
    for (const TFailedPages::TPage& page : engine.Failed)
      rows += "<tr><td>" + EscapeHTML(engine.Engine) + "</td><td class=\"num\">" + std::to_string(page.Index + 1) +
              "</td><td>" + EscapeHTML(page.Reason) + "</td></tr>\n";
  if (rows.empty()) return "";
  return "\n<table id=\"failedpages\">\n<tr><th>Engine</th><th class=\"num\">Page</th><th>Why it failed</th></tr>\n" +
         rows + "</table>";
}

}  // namespace orvane
