// TSearchEngines: one web search engine as the data file describes it (the
// patterns that take its result pages apart and its profile query syntax).
// Global owns the three definitions; they are filled and compiled once at
// start-up and only read afterwards, by any number of threads, without a lock.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Engines.h"
#include "base/Regex.h"

namespace orvane {

class TXMLManager;

class TSearchEngines {
 public:
  static constexpr int kResultsPerPage = 100;

  // Reads the engine's section under "engines". A missing section or element
  // leaves the field empty; a pattern that does not compile is kept as its
  // error, raised when a page is parsed with it.
  TSearchEngines(std::string name, const TXMLManager& store);
  // The same from the texts themselves.
  TSearchEngines(std::string name, std::string resultCount, std::string resultBlock, std::string resultElements);
  ~TSearchEngines();
  TSearchEngines(const TSearchEngines&) = delete;
  TSearchEngines& operator=(const TSearchEngines&) = delete;

  int ResultsPerPage() const { return kResultsPerPage; }

  // Compiled patterns; nullptr for an empty pattern (it finds nothing).
  // These raise the compile error of a broken pattern.
  const TRegex* ResultCountRegex() const;
  const TRegex* ResultBlockRegex() const;
  // One entry per item of ResultElements, in list order.
  const std::vector<std::unique_ptr<TRegex>>& ElementRegexes() const;
  // The engine's consent or CAPTCHA page, matched against a whole page;
  // nullptr when the data file names none.
  const TRegex* BlockPageRegex() const;

  std::string Seperator;
  std::string LeftParinhesis;
  std::string RightParinhesis;
  const std::string Name;
  std::string ResultCount;
  std::string ResultBlock;
  std::string ResultElements;
  std::string BlockPage;

 private:
  void Compile();
  void CheckCompiled() const;

  std::unique_ptr<TRegex> resultCount_;
  std::unique_ptr<TRegex> resultBlock_;
  std::unique_ptr<TRegex> blockPage_;
  std::vector<std::unique_ptr<TRegex>> elements_;
  std::string compileError_;
};

// The definitions of "Google", "MSN" and "Yahoo", in this order.
std::vector<std::unique_ptr<TSearchEngines>> LoadSearchEngines(const TXMLManager& store);

}  // namespace orvane
