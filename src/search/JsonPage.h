// Reading a result page in JSON: the total and the result list found with
// the definition's JSON Pointers (RFC 6901), each item's title, link and
// description as Latin-1 text. Pure function of the page; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/EngineShape.h"

namespace orvane {

struct TJsonItem {
  std::string Title, Link, Description;
};

struct TJsonPage {
  bool Read = false;   // the page parsed and the list pointer found a list
  std::string Error;   // why not, when not
  int64_t Total = -1;  // -1: the page tells no total
  std::vector<TJsonItem> Items;  // items without a link are left out
};

TJsonPage ReadJsonPage(const TEngineShape& shape, std::string_view page);

// Empty when the text is a usable JSON Pointer, else the fault.
std::string PointerFault(std::string_view pointer);

}  // namespace orvane
