#include "search/DataPage.h"

#include <algorithm>
#include <simdjson.h>

#include "base/StrUtils.h"

namespace orvane {

namespace {

// JSON speaks UTF-8; a page that is not valid UTF-8 is read as Latin-1, so no
// byte is lost. The text goes into a buffer the thread keeps from page to
// page, with the padding the parser reads past the end.
std::string_view AsUtf8(std::string_view page) {
  thread_local std::string buffer;
  if (simdjson::validate_utf8(page.data(), page.size()))
    buffer.assign(page);
  else
    buffer = Latin1ToUtf8(page);
  const size_t size = buffer.size();
  buffer.resize(size + simdjson::SIMDJSON_PADDING);
  return {buffer.data(), size};
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

// Bytes an id keeps as they are in a link; a blank becomes "_".
constexpr bool KeptInLink(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string_view("-._~!$'()*,;:@/").find(c) != std::string_view::npos;
}

// How many bytes a byte of the id takes in the link: a Latin-1 byte beyond
// ASCII is two bytes of UTF-8, each percent-encoded.
size_t LinkBytes(char c) {
  if (static_cast<unsigned char>(c) >= 0x80) return 6;
  return c == ' ' || KeptInLink(c) ? 1 : 3;
}

char* WriteEscape(unsigned char byte, char* out) {
  static const char kHex[] = "0123456789ABCDEF";
  *out++ = '%';
  *out++ = kHex[byte >> 4];
  *out++ = kHex[byte & 15];
  return out;
}

char* WriteLinkBytes(char c, char* out) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x80)
    return WriteEscape(static_cast<unsigned char>(0x80 | (byte & 0x3F)),
                       WriteEscape(static_cast<unsigned char>(0xC0 | (byte >> 6)), out));
  if (c == ' ') c = '_';
  if (KeptInLink(c)) {
    *out = c;
    return out + 1;
  }
  return WriteEscape(byte, out);
}

// The id in the link template: blanks as "_", then percent-encoded UTF-8.
// Sized first and written in one go: it is done for every item of a page.
std::string LinkFromTemplate(std::string_view pattern, std::string_view id) {
  static constexpr std::string_view kMark = "{id}";
  size_t marks = 0;
  for (size_t at = pattern.find(kMark); at != std::string_view::npos; at = pattern.find(kMark, at + kMark.size()))
    ++marks;
  size_t idBytes = 0;
  for (char c : id) idBytes += LinkBytes(c);
  std::string link(pattern.size() - marks * kMark.size() + marks * idBytes, '\0');
  char* out = link.data();
  size_t from = 0;
  for (size_t at = pattern.find(kMark); at != std::string_view::npos; at = pattern.find(kMark, from)) {
    const std::string_view before = pattern.substr(from, at - from);
    out = std::copy(before.begin(), before.end(), out);
    for (char c : id) out = WriteLinkBytes(c, out);
    from = at + kMark.size();
  }
  const std::string_view rest = pattern.substr(from);
  std::copy(rest.begin(), rest.end(), out);
  return link;
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
  const std::string_view text = AsUtf8(page);
  simdjson::dom::element root;
  if (const auto error = parser.parse(text.data(), text.size(), false).get(root); error != simdjson::SUCCESS) {
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
