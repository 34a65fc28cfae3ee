#include "search/SearchEngines.h"

#include <algorithm>

#include "base/Log.h"
#include "base/OvException.h"
#include "data/XMLManager.h"
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

TSearchEngines::TSearchEngines(std::string name, const TXMLManager& store, bool logFaults)
    : Name(std::move(name)), Shape(BuiltInShape(Name)), logFaults_(logFaults) {
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
      ReadShape(section, Shape);
      BlockPage = store.ReadString(section, "BlockPage", false);
    }
  } catch (const std::exception& e) {
    readError_ = e.what();
    if (logFaults_) Log("SearchEngines", Name + ": " + readError_);
  }
  Compile();
}

TSearchEngines::TSearchEngines(std::string name, std::string resultCount, std::string resultBlock,
                               std::string resultElements)
    : Name(std::move(name)),
      ResultCount(std::move(resultCount)),
      ResultBlock(std::move(resultBlock)),
      ResultElements(std::move(resultElements)),
      Shape(BuiltInShape(Name)) {
  Compile();
}

TSearchEngines::~TSearchEngines() = default;

std::vector<std::pair<std::string, std::string>> TSearchEngines::RequestHeaders() const {
  auto headers = Shape.Headers;
  if (!Shape.KeyHeader.empty() && !Key.empty()) headers.emplace_back(Shape.KeyHeader, Key);
  return headers;
}

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
    if (logFaults_) Log("SearchEngines", Name + ": " + compileError_);
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

namespace {

void Configure(TSearchEngines& engine, const TEngineSetting& setting) {
  engine.Host = setting ? setting(engine.Name + "Host") : std::string();
  if (engine.Host.empty()) engine.Host = engine.Shape.DefaultHost;
  engine.Key = setting ? setting(engine.Name + "Key") : std::string();
}

// Why an added definition cannot be used; empty when it can.
std::string AddedFault(const TSearchEngines& engine) {
  if (!engine.ReadError().empty()) return engine.ReadError();
  if (!engine.CompileError().empty()) return engine.CompileError();
  std::string fault = ShapeFault(engine.Shape);
  if (fault.empty() && engine.Shape.KeyRequired && engine.Key.empty())
    fault = "no key set (" + engine.Name + "Key= in the configuration)";
  return fault;
}

}  // namespace

std::vector<std::unique_ptr<TSearchEngines>> LoadSearchEngines(const TXMLManager& store,
                                                              const TEngineSetting& setting,
                                                              const TEngineReport& report) {
  std::vector<std::unique_ptr<TSearchEngines>> engines;
  for (int index : {kGoogle, kMSN, kYahoo}) {
    engines.push_back(std::make_unique<TSearchEngines>(EngineName(index), store));
    Configure(*engines.back(), setting);
  }
  const pugi::xml_node section = store.Section("engines");
  for (pugi::xml_node node : section.children()) {
    if (node.type() != pugi::node_element) continue;
    const std::string name = node.name();
    const bool taken = std::any_of(engines.begin(), engines.end(), [&](const auto& e) { return e->Name == name; });
    if (taken) continue;
    auto engine = std::make_unique<TSearchEngines>(name, store, false);
    Configure(*engine, setting);
    // An engine without an address is off until one is set.
    if (engine->Host.empty()) engine->Shape.Enabled = false;
    const std::string fault = AddedFault(*engine);
    if (!fault.empty()) {
      const std::string line = name + ": " + fault + "; engine left out";
      report ? report(line) : Log("SearchEngines", line);
      continue;
    }
    engines.push_back(std::move(engine));
  }
  return engines;
}

TSearchEngines* FindEngine(const TEngineList& engines, int index) {
  if (index < 0 || index >= static_cast<int>(engines.size())) return nullptr;
  return engines[static_cast<size_t>(index)].get();
}

}  // namespace orvane
