// The data pages of the sources that answer with JSON or Atom rather than
// HTML: a MediaWiki search answer, an arXiv feed, a SearXNG instance's JSON
// and a Brave Search API answer, each in the shape its documentation gives.
// Pure functions of a page view.
#pragma once

#include <string>
#include <string_view>

#include "Layouts.h"

namespace orvane::sim {

// Where the simulated sources' own links point.
constexpr const char* kWikiBase = "https://en.wikipedia.org/wiki/";
constexpr const char* kArxivBase = "https://arxiv.org/abs/";

// A wiki page title for a document: letters, digits, blanks and a few marks
// that need no escaping in a wiki link.
std::string WikiTitle(std::string_view title);
// "2101.04123": the arXiv number of a document link.
std::string ArxivNumber(std::string_view link);

std::string RenderWikipedia(const TPageView& view);
std::string RenderArxiv(const TPageView& view);
std::string RenderSearxng(const TPageView& view);
std::string RenderBrave(const TPageView& view);
// What a JSON source answers on a failing status.
std::string RenderJsonError(int status);

}  // namespace orvane::sim
