// Reading a result page that is data rather than HTML: JSON (the total and
// the list found with the definition's JSON Pointers, RFC 6901) or an Atom or
// RSS feed (standard elements, the total from opensearch:totalResults). Each
// item's title, link and description come out as Latin-1 text. Pure
// functions of the page; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/EngineShape.h"

namespace orvane {

struct TDataItem {
  std::string Title, Link, Description;
};

struct TDataPage {
  bool Read = false;   // the page parsed and the list pointer found a list
  std::string Error;   // why not, when not
  int64_t Total = -1;  // -1: the page tells no total
  std::vector<TDataItem> Items;  // items without a link are left out
};

TDataPage ReadJsonPage(const TEngineShape& shape, std::string_view page);
// Atom entries or RSS items, whichever the page holds.
TDataPage ReadFeedPage(std::string_view page);

// Empty when the text is a usable JSON Pointer, else the fault.
std::string PointerFault(std::string_view pointer);

}  // namespace orvane
