#include "search/DataPage.h"

#include <algorithm>
#include <simdjson.h>

#include "base/StrUtils.h"

namespace orvane {

namespace {

// JSON speaks UTF-8; a page that is not valid UTF-8 is read as Latin-1, so no
// byte is lost.
simdjson::padded_string AsUtf8(std::string_view page) {
  if (simdjson::validate_utf8(page.data(), page.size())) return simdjson::padded_string(page);
  return simdjson::padded_string(Latin1ToUtf8(page));
}

std::string Latin1(std::string_view utf8) {
  // Most text is ASCII, which is the same in both.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(utf8);
  std::string out;
  return Utf8ToLatin1(utf8, out) ? out : std::string(utf8);
}

// The text at the pointer: a string as it is, a number in decimal; empty for
// anything else or nothing there.
std::string TextAt(simdjson::dom::element item, const std::string& pointer) {
  if (pointer.empty()) return "";
  simdjson::dom::element value;
  if (item.at_pointer(pointer).get(value) != simdjson::SUCCESS) return "";
  std::string_view text;
  if (value.get_string().get(text) == simdjson::SUCCESS) return Latin1(text);
  int64_t number = 0;
  if (value.get_int64().get(number) == simdjson::SUCCESS) return IntToStr(number);
  return "";
}

int64_t TotalAt(simdjson::dom::element root, const std::string& pointer) {
  if (pointer.empty()) return -1;
  simdjson::dom::element value;
  if (root.at_pointer(pointer).get(value) != simdjson::SUCCESS) return -1;
  int64_t number = 0;
  if (value.get_int64().get(number) == simdjson::SUCCESS) return number >= 0 ? number : -1;
  uint64_t big = 0;
  if (value.get_uint64().get(big) == simdjson::SUCCESS) return INT64_MAX;
  std::string_view text;
  int32_t parsed = 0;
  if (value.get_string().get(text) == simdjson::SUCCESS && TryStrToInt(text, parsed) && parsed >= 0) return parsed;
  return -1;
}

// The id in the link template: blanks as "_", then percent-encoded UTF-8.
std::string LinkFromTemplate(const std::string& pattern, const std::string& id) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : Latin1ToUtf8(ReplaceAll(id, " ", "_"))) {
    const auto b = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        std::string_view("-._~_!$'()*,;:@/").find(c) != std::string_view::npos) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[b >> 4];
      encoded += kHex[b & 15];
    }
  }
  return ReplaceAll(pattern, "{id}", encoded);
}

}  // namespace

std::string PointerFault(std::string_view pointer) {
  if (!pointer.empty() && pointer.front() != '/') return "the pointer \"" + std::string(pointer) + "\" does not start with /";
  for (size_t i = 0; i < pointer.size(); ++i)
    if (pointer[i] == '~' && (i + 1 == pointer.size() || (pointer[i + 1] != '0' && pointer[i + 1] != '1')))
      return "the pointer \"" + std::string(pointer) + "\" has a ~ that is not ~0 or ~1";
  return "";
}

TDataPage ReadJsonPage(const TEngineShape& shape, std::string_view page) {
  TDataPage out;
  // A parser keeps its buffers for the next page of the same thread.
  thread_local simdjson::dom::parser parser;
  const simdjson::padded_string text = AsUtf8(page);
  simdjson::dom::element root;
  if (const auto error = parser.parse(text).get(root); error != simdjson::SUCCESS) {
    out.Error = std::string("not JSON: ") + simdjson::error_message(error);
    return out;
  }
  simdjson::dom::array list;
  if (root.at_pointer(shape.ListPointer).get(list) != simdjson::SUCCESS) {
    out.Error = "no list at " + (shape.ListPointer.empty() ? std::string("the root") : shape.ListPointer);
    return out;
  }
  out.Read = true;
  out.Total = TotalAt(root, shape.TotalPointer);
  for (simdjson::dom::element item : list) {
    TDataItem result{TextAt(item, shape.TitlePointer), TextAt(item, shape.LinkPointer),
                     TextAt(item, shape.DescriptionPointer)};
    if (result.Link.empty()) continue;
    if (!shape.LinkTemplate.empty()) result.Link = LinkFromTemplate(shape.LinkTemplate, result.Link);
    out.Items.push_back(std::move(result));
  }
  return out;
}

}  // namespace orvane
