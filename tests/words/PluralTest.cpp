#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "data/XMLManager.h"
#include "words/Plural.h"
#include "support/ScratchFolder.h"

namespace orvane {
namespace {

using Strings = std::vector<std::string>;

// Words in walk order; merges are recorded as "into<from".
class TTestTable : public TPluralWordTable {
 public:
  explicit TTestTable(Strings words) : words_(std::move(words)) {}

  bool Contains(std::string_view word) const override {
    return std::find(words_.begin(), words_.end(), word) != words_.end();
  }
  void Merge(std::string_view into, std::string_view from) override {
    Merges.push_back(std::string(into) + "<" + std::string(from));
  }
  void ForEachWord(const std::function<void(const std::string&)>& visit) const override {
    for (const std::string& word : words_) visit(word);
  }

  Strings Merges;

 private:
  Strings words_;
};

Strings Fold(const Strings& irregulars, const Strings& words) {
  TTestTable table(words);
  TPlural(irregulars).MergePlurals(table);
  return table.Merges;
}

TEST(Plural, RegularEndingsFoldIntoTheFirstSingularPresent) {
  struct Case { const char* name; Strings words; Strings merges; };
  const Case cases[] = {
      {"s, es, ies", {"city", "cities", "box", "boxes", "news"}, {"city<cities", "box<boxes"}},
      {"-s before -es", {"boxe", "boxes", "box"}, {"boxe<boxes"}},
      {"-es before -ies", {"citie", "cities", "city"}, {"citie<cities"}},
      {"-s before -ies", {"citi", "cities", "city"}, {"citi<cities"}},
      {"-ies only after -es failed", {"citis", "city"}, {}},
      {"-ies needs an i", {"boxes", "boxy"}, {}},
      {"three letters never fold", {"bus", "bu", "gas", "ga", "ies", "y"}, {}},
      {"four letters do", {"cars", "car", "ties", "tie"}, {"car<cars", "tie<ties"}},
      {"case-sensitive", {"Cats", "cat", "dogs", "Dog"}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Fold({}, c.words), c.merges) << c.name;
}

TEST(Plural, IrregularPairsFoldFirstAndOnlyWhenBothWordsOccur) {
  struct Case { const char* name; Strings irregulars; Strings words; Strings merges; };
  const Case cases[] = {
      {"both present", {"child=children"}, {"children", "child"}, {"child<children"}},
      {"plural alone", {"child=children"}, {"children"}, {}},
      {"singular alone", {"child=children"}, {"child"}, {}},
      {"pairs before endings", {"mouse=mice"}, {"cats", "cat", "mice", "mouse"}, {"mouse<mice", "cat<cats"}},
      {"trimmed parts", {" child = children\t"}, {"child", "children"}, {"child<children"}},
      {"no equals sign or empty parts", {"children", "=children", "child="}, {"child", "children", ""}, {}},
      {"a pair listed twice folds once", {"man=men", "man=men"}, {"man", "men"}, {"man<men"}},
      // Folding "lives" again into "live" would count its places twice.
      {"no second fold by ending", {"life=lives"}, {"lives", "life", "live"}, {"life<lives"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Fold(c.irregulars, c.words), c.merges) << c.name;
}

TEST(Plural, ShippedIrregularPairsLoadAndAreEachNeeded) {
  const TXMLManager data(ORVANE_SOURCE_DIR "/resources/data/");
  const TPlural plural(data);
  const Strings& pairs = plural.Irregulars();
  ASSERT_GE(pairs.size(), 30u);
  EXPECT_NE(std::find(pairs.begin(), pairs.end(), "child=children"), pairs.end());

  std::set<std::string> plurals;
  for (const std::string& pair : pairs) {
    const size_t equals = pair.find('=');
    ASSERT_NE(equals, std::string::npos) << pair;
    const std::string singular = pair.substr(0, equals);
    const std::string plural_form = pair.substr(equals + 1);
    EXPECT_TRUE(plurals.insert(plural_form).second) << "listed twice: " << plural_form;
    EXPECT_EQ(Fold({}, {singular, plural_form}), Strings{}) << "the endings fold it already: " << pair;
    TTestTable table({plural_form, singular});
    plural.MergePlurals(table);
    EXPECT_EQ(table.Merges, Strings{singular + "<" + plural_form}) << pair;
  }
}

TEST(Plural, ReadsTheWholeSectionAndNothingWithoutData) {
  const TXMLManager missing("/nonexistent-orvane-folder/");
  EXPECT_TRUE(TPlural(missing).Irregulars().empty());

  testing::ScratchFolder folder;
  folder.Write("data.xml",
               "<d Version=\"1.1\"><IrregularPlurals>man=men|<!-- Latin -->cactus=cacti|"
               "<![CDATA[\"ox = oxen\"]]></IrregularPlurals></d>");
  EXPECT_EQ(TPlural(TXMLManager(folder.Path())).Irregulars(), (Strings{"man=men", "cactus=cacti", "ox = oxen"}));
}

}  // namespace
}  // namespace orvane
