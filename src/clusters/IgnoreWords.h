// TIgnoreWords: the words never offered as automatic word clusters, from the
// data file ("AutoClusters" / "IgnoreList"). Loaded once at start-up into the
// global data and only read afterwards.
#pragma once

#include <string>
#include <vector>

namespace orvane {

class TXMLManager;

class TIgnoreWords {
 public:
  // Words separated by "|" (a blank separates too), quoted with '"'. A
  // missing section or list gives no words.
  explicit TIgnoreWords(const TXMLManager& store);
  explicit TIgnoreWords(std::vector<std::string> words) : list_(std::move(words)) {}

  const std::vector<std::string>& List() const { return list_; }

 private:
  std::vector<std::string> list_;
};

}  // namespace orvane
