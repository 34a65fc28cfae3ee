#include "search/SearchEngines.h"

#include "base/OvException.h"
#include "data/XMLManager.h"
#include "host/GlobalData.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

// The count pattern is matched against a whole page and the element patterns
// against one block; neither runs in extended mode, so their blanks count.
constexpr unsigned kCountFlags = TRegex::kCaseless | TRegex::kDotAll;
constexpr unsigned kBlockFlags = TRegex::kCaseless | TRegex::kExtended;
constexpr unsigned kElementFlags = TRegex::kCaseless | TRegex::kDotAll;

std::unique_ptr<TRegex> CompileIfSet(const std::string& pattern, unsigned flags) {
  if (pattern.empty()) return nullptr;
  return std::make_unique<TRegex>(pattern, flags);
}

}  // namespace

TSearchEngines::TSearchEngines(std::string name, const TXMLManager& store) : Name(std::move(name)) {
  try {
    const pugi::xml_node engines = store.Section("engines");
    const pugi::xml_node section = engines ? engines.child(Name.c_str()) : pugi::xml_node();
    if (section) {
      ResultCount = store.ReadString(section, "ResultCount", false);
      ResultBlock = store.ReadString(section, "ResultBlock", false);
      ResultElements = store.ReadString(section, "ResultElements", false);
      Seperator = store.ReadString(section, "Seperator", false);
      LeftParinhesis = store.ReadString(section, "LeftParinhesis", false);
      RightParinhesis = store.ReadString(section, "RightParinhesis", false);
      BlockPage = store.ReadString(section, "BlockPage", false);
    }
  } catch (const std::exception& e) {
    Log("SearchEngines", Name + ": " + e.what());
  }
  Compile();
}

TSearchEngines::TSearchEngines(std::string name, std::string resultCount, std::string resultBlock,
                               std::string resultElements)
    : Name(std::move(name)),
      ResultCount(std::move(resultCount)),
      ResultBlock(std::move(resultBlock)),
      ResultElements(std::move(resultElements)) {
  Compile();
}

TSearchEngines::~TSearchEngines() = default;

void TSearchEngines::Compile() {
  try {
    resultCount_ = CompileIfSet(ResultCount, kCountFlags);
    resultBlock_ = CompileIfSet(ResultBlock, kBlockFlags);
    blockPage_ = CompileIfSet(BlockPage, kCountFlags);
    for (const std::string& item : SplitDelimited('_', ResultElements))
      elements_.push_back(CompileIfSet(item, kElementFlags));
  } catch (const std::exception& e) {
    // Searching with this engine reports the error; the others still work.
    compileError_ = e.what();
    resultCount_.reset();
    resultBlock_.reset();
    blockPage_.reset();
    elements_.clear();
    Log("SearchEngines", Name + ": " + compileError_);
  }
}

void TSearchEngines::CheckCompiled() const {
  if (!compileError_.empty()) throw TOvException(compileError_, "SearchEngines", "Compile");
}

const TRegex* TSearchEngines::ResultCountRegex() const {
  CheckCompiled();
  return resultCount_.get();
}

const TRegex* TSearchEngines::ResultBlockRegex() const {
  CheckCompiled();
  return resultBlock_.get();
}

const std::vector<std::unique_ptr<TRegex>>& TSearchEngines::ElementRegexes() const {
  CheckCompiled();
  return elements_;
}

const TRegex* TSearchEngines::BlockPageRegex() const {
  CheckCompiled();
  return blockPage_.get();
}

std::vector<std::unique_ptr<TSearchEngines>> LoadSearchEngines(const TXMLManager& store) {
  std::vector<std::unique_ptr<TSearchEngines>> engines;
  for (int index : {kGoogle, kMSN, kYahoo}) engines.push_back(std::make_unique<TSearchEngines>(EngineName(index), store));
  return engines;
}

}  // namespace orvane
