// THighLightData: one place of a result to show in colour. Made by the
// narrowing and the word clusters, owned by the result (TResult::HighLights),
// read by the results list. The occurrence belongs to the session's word
// storage, which outlives every highlight record that points into it.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

struct TOccurrence;

struct THighLightData {
  enum TKind : uint8_t { kTitle = 0, kDescription = 1, kLink = 2 };

  std::string Color;  // as written into the font tag
  uint8_t Kind = kTitle;
  std::string Word;
  const TOccurrence* Occurrence = nullptr;  // none for a link record
};

}  // namespace orvane
