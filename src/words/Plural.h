// TPlural: folds plural words of a word table into their singulars, by the
// irregular pairs of the data file and the -s, -es, -ies endings. One object
// for the process (owned by the global data); read-only after construction,
// and every call keeps its own state, so calls may overlap.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class TXMLManager;

// The word table the folding works on (the automatic clusters' table). Words
// are unique keys, compared exactly (case-sensitive).
class TPluralWordTable {
 public:
  virtual ~TPluralWordTable() = default;

  virtual bool Contains(std::string_view word) const = 0;
  // Folds the counts and forms of `from` into `into`, both present. Called
  // during ForEachWord, so it must not add or remove entries. Two words that
  // already share their data must stay as they are.
  virtual void Merge(std::string_view into, std::string_view from) = 0;
  // Every entry, bucket by bucket from the first, each chain from its head.
  virtual void ForEachWord(const std::function<void(const std::string& word)>& visit) const = 0;
};

class TPlural {
 public:
  // Reads the "IrregularPlurals" section: "singular=plural" entries separated
  // by "|". Empty when the data is not loaded or the section is missing.
  explicit TPlural(const TXMLManager& data);
  explicit TPlural(std::vector<std::string> irregulars);

  void MergePlurals(TPluralWordTable& words) const;

  const std::vector<std::string>& Irregulars() const { return irregulars_; }

 private:
  std::vector<std::string> irregulars_;
};

}  // namespace orvane
