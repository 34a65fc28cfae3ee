// TSearchEngines: one web search engine as the data file describes it (the
// patterns that take its result pages apart, its profile query syntax, and
// the shape of its requests). Global owns the definitions: the three built-in
// engines, then any the data file adds. They are filled and compiled once at
// start-up and only read afterwards, by any number of threads, without a lock.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Engines.h"
#include "base/Regex.h"
#include "search/EngineShape.h"

namespace orvane {

class TXMLManager;

class TSearchEngines {
 public:
  static constexpr int kResultsPerPage = 100;

  // Reads the engine's section under "engines". A missing section or element
  // leaves the field empty; a pattern that does not compile is kept as its
  // error, raised when a page is parsed with it.
  // logFaults false: the caller reports the faults (ReadError, CompileError).
  TSearchEngines(std::string name, const TXMLManager& store, bool logFaults = true);
  // The same from the texts themselves.
  TSearchEngines(std::string name, std::string resultCount, std::string resultBlock, std::string resultElements);
  ~TSearchEngines();
  TSearchEngines(const TSearchEngines&) = delete;
  TSearchEngines& operator=(const TSearchEngines&) = delete;

  int ResultsPerPage() const { return Shape.PerPage; }
  // The compile error of a broken pattern; empty when all compiled.
  const std::string& CompileError() const { return compileError_; }
  // The shape's headers and, when the engine has a key header, the key.
  std::vector<std::pair<std::string, std::string>> RequestHeaders() const;
  // What of the section could not be read; empty when all of it could.
  const std::string& ReadError() const { return readError_; }

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
  // The built-in shape of the engine's name with what the section gives.
  TEngineShape Shape;
  // From the configuration ("<Name>Host", "<Name>Key"); Host defaults to the
  // shape's host.
  std::string Host;
  std::string Key;

 private:
  void Compile();
  void CheckCompiled() const;

  std::unique_ptr<TRegex> resultCount_;
  std::unique_ptr<TRegex> resultBlock_;
  std::unique_ptr<TRegex> blockPage_;
  std::vector<std::unique_ptr<TRegex>> elements_;
  std::string compileError_;
  std::string readError_;
  bool logFaults_ = true;
};

// A configuration value by key; empty when not set.
using TEngineSetting = std::function<std::string(const std::string& key)>;
// Where a left-out definition is reported (the module is "SearchEngines").
using TEngineReport = std::function<void(const std::string& line)>;

// The definitions of "Google", "MSN" and "Yahoo", in this order, then every
// other section under "engines" in data-file order. A further definition that
// cannot be used is left out with one log line naming it and its fault.
std::vector<std::unique_ptr<TSearchEngines>> LoadSearchEngines(const TXMLManager& store,
                                                              const TEngineSetting& setting = {},
                                                              const TEngineReport& report = {});

using TEngineList = std::vector<std::unique_ptr<TSearchEngines>>;

// The definition at `index`; nullptr outside the list.
TSearchEngines* FindEngine(const TEngineList& engines, int index);

}  // namespace orvane
