#include "words/Plural.h"

#include <unordered_set>
#include <utility>

#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "words/NodeText.h"
#include "words/WordUtils.h"

namespace orvane {

namespace {

std::vector<std::string> ReadIrregulars(const TXMLManager& data) {
  const pugi::xml_node section = data.Section("IrregularPlurals");
  if (!section) return {};
  return SplitDelimited('|', AllText(section));
}

// The singular a regular plural folds into: the first of "w-s", "w-es",
// "w-ies+y" that the table holds; empty when none does.
std::string RegularSingular(const std::string& word, const TPluralWordTable& words) {
  const size_t n = word.size();
  if (n <= 3 || word[n - 1] != 's') return {};
  std::string candidate = word.substr(0, n - 1);
  if (words.Contains(candidate)) return candidate;
  if (word[n - 2] != 'e') return {};
  candidate = word.substr(0, n - 2);
  if (words.Contains(candidate)) return candidate;
  if (word[n - 3] != 'i') return {};
  candidate = word.substr(0, n - 3) + "y";
  return words.Contains(candidate) ? candidate : std::string();
}

}  // namespace

TPlural::TPlural(const TXMLManager& data) : irregulars_(ReadIrregulars(data)) {}

TPlural::TPlural(std::vector<std::string> irregulars) : irregulars_(std::move(irregulars)) {}

void TPlural::MergePlurals(TPluralWordTable& words) const {
  // A plural folded by its irregular pair is not folded again by its ending
  // ("lives" into "live" after "life"): its data would count twice.
  std::unordered_set<std::string> folded;
  for (const std::string& entry : irregulars_) {
    const size_t equals = entry.find('=');
    const std::string singular = Trim(std::string_view(entry).substr(0, equals));
    const std::string plural = equals == std::string::npos ? std::string() : Trim(entry.substr(equals + 1));
    if (singular.empty() || plural.empty()) continue;
    if (folded.contains(plural) || !words.Contains(singular) || !words.Contains(plural)) continue;
    words.Merge(singular, plural);
    folded.insert(plural);
  }
  words.ForEachWord([&](const std::string& word) {
    if (folded.contains(word)) return;
    const std::string singular = RegularSingular(word, words);
    if (!singular.empty()) words.Merge(singular, word);
  });
}

}  // namespace orvane
