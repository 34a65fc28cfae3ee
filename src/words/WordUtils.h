// Word utilities: the word splitter and friends. (Placeholder.)
#pragma once

namespace orvane {

class TSeperateWords {
 public:
  TSeperateWords() = default;
};

}  // namespace orvane
