// TSharedText: a text that many holders share and none changes, such as the
// keywords every result of a search carries. Copies share one string, so a
// thousand results hold one copy, not a thousand.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace orvane {

class TSharedText {
 public:
  TSharedText() = default;
  TSharedText(std::string text) : text_(std::make_shared<const std::string>(std::move(text))) {}
  TSharedText(const char* text) : TSharedText(std::string(text)) {}

  const std::string& str() const { return text_ ? *text_ : Empty(); }
  operator const std::string&() const { return str(); }

  friend bool operator==(const TSharedText& a, std::string_view b) { return a.str() == b; }
  friend std::ostream& operator<<(std::ostream& out, const TSharedText& text) { return out << text.str(); }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }

  std::shared_ptr<const std::string> text_;
};

}  // namespace orvane
