#include "base/Escape.h"

#include <array>

#include "base/StrUtils.h"

namespace orvane {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendHex(std::string& out, const char* prefix, unsigned value, int digits) {
  out += prefix;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 15];
}

// Whole runs of plain bytes are appended at once: a results page escapes
// about 400 KB, and most of it needs nothing.
void AppendMarkup(std::string& out, std::string_view text, bool apostrophe) {
  static constexpr auto kSpecial = [] {
    std::array<bool, 256> special{};
    for (const unsigned char c : {'&', '<', '>', '"', '\0', '\''}) special[c] = true;
    return special;
  }();
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!kSpecial[static_cast<unsigned char>(c)]) continue;
    out.append(text.data() + start, i - start);
    start = i + 1;
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\0': break;
      default:
        out += apostrophe ? "&#39;" : "'";
    }
  }
  out.append(text.data() + start, text.size() - start);
}

std::string EscapeMarkup(std::string_view text, bool apostrophe) {
  std::string out;
  out.reserve(text.size());
  AppendMarkup(out, text, apostrophe);
  return out;
}

// The code point of the UTF-8 sequence at `i` (valid UTF-8 assumed) and its
// length.
unsigned DecodeUtf8(std::string_view text, size_t i, size_t& length) {
  const auto lead = static_cast<unsigned char>(text[i]);
  length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (i + length > text.size()) length = 1;
  if (length == 1) return lead;
  unsigned code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return code;
}

}  // namespace

std::string EscapeHTML(std::string_view text) { return EscapeMarkup(text, false); }

void AppendEscapedHTML(std::string& out, std::string_view text) { AppendMarkup(out, text, false); }

std::string EscapeHTMLAttribute(std::string_view text) { return EscapeMarkup(text, true); }

std::string EscapeJS(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\'': out += "\\'"; break;
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default:
        if (c == '<' || c == '>' || c == '&' || byte < 0x20 || byte == 0x7f)
          AppendHex(out, "\\x", byte, 2);
        else
          out += c;
    }
  }
  return out;
}

void AppendEngineText(std::string& out, std::string_view text) {
  for (size_t open = text.find('<'); open != std::string_view::npos; open = text.find('<')) {
    out.append(text.data(), open);
    out += "&lt;";
    text.remove_prefix(open + 1);
  }
  out.append(text);
}

std::string JsonString(std::string_view latin1) {
  const std::string utf8 = Latin1ToUtf8(latin1);
  std::string out = "\"";
  for (size_t i = 0; i < utf8.size();) {
    size_t length = 1;
    const unsigned code = DecodeUtf8(utf8, i, length);
    switch (code) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        // Line separators end a JavaScript string literal in older engines.
        if (code < 0x20 || code == '<' || (code >= 0x7f && code <= 0x9f) || code == 0x2028 || code == 0x2029)
          AppendHex(out, "\\u", code, 4);
        else
          out.append(utf8, i, length);
    }
    i += length;
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

}  // namespace orvane
