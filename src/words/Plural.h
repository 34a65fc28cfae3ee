// TPlural: plural folding with the data file's irregular plurals.
// (Placeholder.)
#pragma once

namespace orvane {

class TXMLManager;

class TPlural {
 public:
  explicit TPlural(const TXMLManager&) {}
};

}  // namespace orvane
