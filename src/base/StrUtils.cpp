#include "base/StrUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "base/BigArray.h"

namespace orvane {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentEncode(std::string_view text, std::string_view keep, bool keepDigits) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() * 3);
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const bool digit = c >= '0' && c <= '9';
    if (letter || (keepDigits && digit) || (c != '\0' && keep.find(c) != std::string_view::npos)) {
      out += c;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

}  // namespace

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::string TrimLeft(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return std::string(text.substr(start));
}

std::string TrimRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(0, end));
}

std::string_view TrimmedView(std::string_view text) {
  size_t start = 0, end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

std::string Trim(std::string_view text) { return std::string(TrimmedView(text)); }

void TrimInPlace(std::string& text) {
  const std::string_view kept = TrimmedView(text);
  if (kept.size() == text.size()) return;
  const size_t start = static_cast<size_t>(kept.data() - text.data());
  text.erase(start + kept.size());
  text.erase(0, start);
}

bool TryStrToInt(std::string_view text, int32_t& value) {
  if (text.empty()) return false;
  size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return false;
  int64_t result = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
    if (result > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return false;
  }
  if (negative) result = -result;
  if (result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min()) return false;
  value = static_cast<int32_t>(result);
  return true;
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  int32_t value;
  return TryStrToInt(text, value) ? value : fallback;
}

bool TryStrToFloat(std::string_view text, double& value) {
  if (text.empty() || IsBlank(text.front()) || IsBlank(text.back())) return false;
  // Only plain decimal notation: no hex floats, no "inf" or "nan".
  for (char c : text) {
    const bool ok = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    if (!ok) return false;
  }
  // from_chars always reads "." as the separator, whatever the locale.
  std::string_view digits = text;
  if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
  double result = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
  if (error != std::errc() || end != digits.data() + digits.size()) return false;
  value = result;
  return true;
}

double StrToFloatDef(std::string_view text, double fallback) {
  double value;
  return TryStrToFloat(text, value) ? value : fallback;
}

bool TryStrToBool(std::string_view text, bool& value) {
  if (SameText(text, "true")) {
    value = true;
    return true;
  }
  if (SameText(text, "false")) {
    value = false;
    return true;
  }
  double number = 0;
  if (!TryStrToFloat(text, number)) return false;
  value = number != 0;
  return true;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  // to_chars writes as printf's "%.15g" in the C locale, whatever the
  // user's locale says.
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text = UpperCase(std::string_view(buffer, written.ptr - buffer));
  const size_t e = text.find('E');
  std::string mantissa = text.substr(0, e);
  std::string exponent = e == std::string::npos ? "" : text.substr(e + 1);
  if (mantissa.find('.') != std::string::npos) {
    while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
    if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
  }
  if (exponent.empty()) return mantissa;
  // "E+05" -> "E+5", "E-07" -> "E-7".
  const char sign = exponent[0];
  size_t digits = 1;
  while (digits + 1 < exponent.size() && exponent[digits] == '0') ++digits;
  return mantissa + "E" + (sign == '-' ? "-" : "+") + exponent.substr(digits);
}

int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

double RoundTo2(double value) { return static_cast<double>(RoundHalfEven(value * 100)) / 100; }

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

bool Utf8ToLatin1(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += text[i++];
      continue;
    }
    const size_t length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return false;
    uint32_t code = lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    out += code <= 0xFF ? static_cast<char>(code) : '?';
    i += length;
  }
  return true;
}

// memmem: a page's tags stand among many other "<", at each of which
// std::string::find would stop and compare.
size_t FindBytes(std::string_view text, std::string_view part, size_t from) {
  if (from > text.size() || part.empty() || part.size() > text.size() - from) return std::string_view::npos;
  const void* hit = memmem(text.data() + from, text.size() - from, part.data(), part.size());
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : std::string_view::npos;
}

namespace {

// Replaces each hit of from found in findIn, a same-length view of text
// (text itself, or its lower-cased copy for a case-blind search); `hit` is
// the first, when the caller has found it already.
std::string ReplaceHits(std::string_view text, std::string_view findIn, std::string_view from, std::string_view to,
                        size_t hit = std::string_view::npos) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  if (hit == std::string_view::npos) hit = FindBytes(findIn, from, 0);
  for (; hit != std::string_view::npos; hit = FindBytes(findIn, from, pos)) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  return ReplaceHits(text, text, from, to);
}

void ReplaceAllIn(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  const size_t first = FindBytes(text, from, 0);
  if (first == std::string::npos) return;
  // A page's tags mostly stand once: then only the tail moves, in place.
  if (FindBytes(text, from, first + from.size()) == std::string::npos) {
    ReserveFresh(text, text.size() - from.size() + to.size());
    text.replace(first, from.size(), to);
  } else {
    text = ReplaceHits(text, text, from, to, first);
  }
}

std::string ReplaceAllText(std::string_view text, std::string_view from, std::string_view to) {
  return ReplaceHits(text, LowerCase(text), LowerCase(from), to);
}

bool StartsText(std::string_view prefix, std::string_view text) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

size_t FindText(std::string_view text, std::string_view part, size_t from) {
  if (from > text.size()) return std::string_view::npos;
  const size_t m = part.size();
  if (m == 0) return from;
  if (m > text.size() - from) return std::string_view::npos;
  const char last = AsciiLower(part[m - 1]);
  if (last == AsciiUpper(last)) {
    // A last byte that is no letter ("file format:", "<br>") is found by
    // memchr, and only there is the rest compared.
    for (size_t i = from + m - 1; i < text.size(); ++i) {
      const auto* hit = static_cast<const char*>(std::memchr(text.data() + i, last, text.size() - i));
      if (!hit) break;
      i = static_cast<size_t>(hit - text.data());
      if (SameText(text.substr(i + 1 - m, m - 1), part.substr(0, m - 1))) return i + 1 - m;
    }
    return std::string_view::npos;
  }
  // Horspool's skips, for both cases of each letter: a text without the part
  // is read a few bytes per step instead of byte by byte.
  uint8_t skip[256];
  const auto limit = static_cast<uint8_t>(std::min<size_t>(m, 255));
  std::memset(skip, limit, sizeof skip);
  for (size_t i = m - std::min<size_t>(m, 255); i + 1 < m; ++i) {
    const auto step = static_cast<uint8_t>(m - 1 - i);
    skip[static_cast<unsigned char>(AsciiLower(part[i]))] = step;
    skip[static_cast<unsigned char>(AsciiUpper(part[i]))] = step;
  }
  for (size_t i = from; i + m <= text.size();) {
    const char c = text[i + m - 1];
    if (AsciiLower(c) == last && SameText(text.substr(i, m - 1), part.substr(0, m - 1))) return i;
    i += skip[static_cast<unsigned char>(c)];
  }
  return std::string_view::npos;
}

bool ContainsText(std::string_view text, std::string_view part) {
  return FindText(text, part) != std::string_view::npos;
}

bool EndsText(std::string_view suffix, std::string_view text) {
  return text.size() >= suffix.size() && SameText(text.substr(text.size() - suffix.size()), suffix);
}

std::string HTTPEncode(std::string_view text) { return PercentEncode(text, "*-.@_", false); }

std::string URLEncode(std::string_view text) { return PercentEncode(text, "!$'()*-._@", true); }

std::string DecodeHTMLEntities(std::string_view text) {
  static const struct { std::string_view name; char byte; } kNamed[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", '\xa0'}};
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t end = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
    if (end == std::string_view::npos || end - i > 10) {
      out += text[i];
      continue;
    }
    const std::string_view name = text.substr(i + 1, end - i - 1);
    std::optional<char> byte;
    for (const auto& entity : kNamed)
      if (name == entity.name) byte = entity.byte;
    if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      uint32_t code = 0;
      const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      if (!digits.empty() && error == std::errc() && last == digits.data() + digits.size())
        byte = code <= 0xFF ? static_cast<char>(code) : '?';
    }
    if (!byte) {
      out += text[i];
      continue;
    }
    out += *byte;
    i = end;
  }
  return out;
}

namespace {

// Decodes into out; a malformed "%" escape is kept as it is unless strict,
// which stops there (out holding what came before it) and returns its
// offset. npos means the whole text decoded.
size_t DecodeURL(std::string_view text, std::string& out, bool strict) {
  // Most links hold no "+" and few "%": memchr finds them, and the bytes
  // between go over in one copy each, into room that never needs to grow.
  out.clear();
  if (text.empty()) return std::string_view::npos;  // its data may be null, which memcpy must not see
  out.resize(text.size());
  char* const start = out.data();
  char* written = start;
  size_t copied = 0;  // text before this is in out
  size_t plus = text.find('+'), percent = text.find('%');
  while (plus != percent) {  // equal only when both are npos
    const size_t at = std::min(plus, percent);
    std::memcpy(written, text.data() + copied, at - copied);
    written += at - copied;
    copied = at + 1;
    if (at == plus) {
      *written++ = ' ';
      plus = text.find('+', copied);
      continue;
    }
    const int high = at + 1 < text.size() ? HexValue(text[at + 1]) : -1;
    const int low = at + 2 < text.size() ? HexValue(text[at + 2]) : -1;
    if (high >= 0 && low >= 0) {
      *written++ = static_cast<char>(high * 16 + low);
      copied = at + 3;
    } else if (strict) {
      out.resize(static_cast<size_t>(written - start));
      return at;
    } else {
      *written++ = '%';
    }
    percent = text.find('%', copied);
  }
  std::memcpy(written, text.data() + copied, text.size() - copied);
  written += text.size() - copied;
  out.resize(static_cast<size_t>(written - start));
  return std::string_view::npos;
}

}  // namespace

bool TryURLDecode(std::string_view text, std::string& out, size_t* badEscape) {
  const size_t bad = DecodeURL(text, out, true);
  if (badEscape) *badEscape = bad;
  return bad == std::string_view::npos;
}

std::string URLDecode(std::string_view text) {
  std::string out;
  DecodeURL(text, out, false);
  return out;
}

}  // namespace orvane
