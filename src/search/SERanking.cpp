#include "search/SERanking.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

#include "base/Log.h"
#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "search/Results.h"
#include "words/Profile.h"

namespace orvane {

namespace {

double Ratio(double part, double whole) { return whole > 0 ? part / whole : 0.0; }

double Finite(double value) { return std::isfinite(value) ? value : 0.0; }

// Twelve numbers separated by commas (blanks around them allowed).
bool ReadTable(std::string_view text, TSERanking::TLookupTable& table) {
  TSERanking::TLookupTable values{};
  size_t count = 0;
  while (true) {
    const size_t comma = text.find(',');
    if (count == values.size() || !TryStrToFloat(Trim(text.substr(0, comma)), values[count])) return false;
    ++count;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (count != values.size()) return false;
  table = values;
  return true;
}

// Word-list proximity of one word list: 50 for neighbours, down to 10.
double ProximityPart(const TWordList& words, const std::string& word, const std::string& keywords) {
  if (word.empty() || keywords.empty()) return 0;
  std::vector<size_t> wordAt, keywordAt;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i].Text == word) wordAt.push_back(i);
    if (words[i].Text == keywords) keywordAt.push_back(i);
  }
  if (wordAt.empty() || keywordAt.empty()) return 0;
  // The words between the two; a word that is the keyword itself stands as
  // close as it can, and so does everything in a one-word list (where the
  // scale below would divide by zero).
  size_t between = std::numeric_limits<size_t>::max();
  for (size_t a : wordAt) {
    for (size_t b : keywordAt) {
      const size_t distance = a > b ? a - b : b - a;
      between = std::min(between, distance == 0 ? 0 : distance - 1);
      if (between == 0) break;
    }
    if (between == 0) break;
  }
  if (words.size() == 1) return 50;
  return std::max(10.0, 50.0 * (1.0 - static_cast<double>(between) / static_cast<double>(words.size() - 1)));
}

}  // namespace

TSERanking::TSERanking(const TXMLManager* store) {
  if (!store) return;
  const pugi::xml_node section = store->Section("rank");
  auto text = [&](const char* name, std::string& out) {
    if (!section.child(name)) return false;
    out = Trim(store->ReadString(section, name, false));
    return true;
  };
  auto real = [&](const char* name, double& out) {
    std::string value;
    return text(name, value) && TryStrToFloat(value, out);
  };
  auto integer = [&](const char* name, int32_t& out) {
    std::string value;
    return text(name, value) && TryStrToInt(value, out);
  };
  auto table = [&](const char* name, TLookupTable& out) {
    std::string value;
    return text(name, value) && ReadTable(value, out);
  };
  // Reading stops at the first constant that is missing or broken.
  (void)(real("BaseURLPenalty", BaseURLPenalty) && real("DeepURLPenalty", DeepURLPenalty) &&
         integer("MinLengthExactTitle", MinLengthExactTitle) &&
         integer("MinLengthNotExactTitle", MinLengthNotExactTitle) &&
         integer("MinExactLocationTitle", MinExactLocationTitle) && table("LengthExactTitle", LengthExactTitle) &&
         table("LengthExactDescription", LengthExactDescription) && table("LengthExactURL", LengthExactURL) &&
         table("ExactLocationTitle", ExactLocationTitle) &&
         table("ExactLocationDescription", ExactLocationDescription) && table("ExactLocationURL", ExactLocationURL));
}

double TSERanking::Lookup(const TLookupTable& table, double v) {
  if (v == table[10]) return table[11];
  for (int i = 4; i >= 1; --i)
    if (v > table[2 * i]) return table[2 * i + 1];
  return table[1];
}

double TSERanking::PathFactor(std::string_view path) const {
  const auto depth = static_cast<int>(std::count(path.begin(), path.end(), '/')) - 1;
  double factor = 1.0;
  if (depth > 0) factor = 1 - BaseURLPenalty;
  if (depth > 1) factor *= std::pow(1 - DeepURLPenalty, depth - 1);
  return Finite(factor);
}

void TSERanking::PrepareKeywords(const std::string& keywords) {
  if (prepared_ && keywords == currentKeywords_) return;
  SplitKeywords(keywords, keywords_, cleaner_, joined_);
  counter_ = TKeywordCounter(keywords_);
  phrase_ = TNeedleFinder(joined_);
  currentKeywords_ = keywords;
  prepared_ = true;
}

double TSERanking::ExactScore(TField field, const std::string& text, size_t at, const TProfile& profile) const {
  const auto keywordLength = static_cast<double>(joined_.size());
  const auto length = static_cast<double>(text.size());
  const auto place = static_cast<double>(at + 1);
  switch (field) {
    case kTitle:
      return Lookup(LengthExactTitle, Ratio(keywordLength, std::max(length, double(MinLengthExactTitle)))) *
             profile.TitleRank *
             Lookup(ExactLocationTitle, Ratio(place, std::max(length, double(MinExactLocationTitle))));
    case kDescription:
      return Lookup(LengthExactDescription, Ratio(keywordLength, length)) * profile.DescRank *
             Lookup(ExactLocationDescription, Ratio(place, length));
    case kLink:
      return Lookup(LengthExactURL, Ratio(keywordLength, length)) * profile.UrlRank *
             Lookup(ExactLocationURL, Ratio(place, length));
  }
  return 0;
}

double TSERanking::PartialScore(TField field, const std::string& text, const TProfile& profile) {
  double covered = 0, found = 0, occurrences = 0;
  counter_.Count(text, counts_);
  for (size_t i = 0; i < keywords_.size(); ++i) {
    const int32_t count = counts_[i];
    if (count == 0) continue;
    covered += static_cast<double>(keywords_[i].size());
    found += 1;
    occurrences += count;
  }
  const auto length = static_cast<double>(text.size());
  const double divisor = field == kTitle ? std::max(length, double(MinLengthNotExactTitle)) : length;
  const double base = Ratio(covered, divisor) * found / (occurrences + 1);
  const double presence = found / (static_cast<double>(keywords_.size()) + 1);
  const double weight = field == kTitle ? profile.TitleRank : field == kDescription ? profile.DescRank : profile.UrlRank;
  return base * weight * presence;
}

double TSERanking::FieldScore(TField field, const std::string& text, size_t at, const TProfile& profile) {
  return Finite(at != std::string::npos ? ExactScore(field, text, at, profile) : PartialScore(field, text, profile));
}

void TSERanking::RankResult(TResult& result, const TProfile& profile) {
  try {
    PrepareKeywords(result.Source.SearchKeywords);
    // The buffers are the ranker's, so a pass allocates only while they grow.
    cleaner_.Clear(result.Source.Title, title_);
    cleaner_.Clear(result.Description(), description_);
    ExtractSiteName(result.Source.Link, result.Facts.DomainExt, link_);
    const std::string& title = title_;
    const std::string& description = description_;
    const std::string& link = link_;
    // Each field is searched for the joined keywords once; where they stand
    // is also what the exact score needs.
    const auto place = [this](const std::string& text) { return phrase_.Find(text); };
    const size_t titleAt = place(title), descriptionAt = place(description), linkAt = place(link);
    if (titleAt != std::string::npos || descriptionAt != std::string::npos || linkAt != std::string::npos)
      result.Rank.ExactMatch = 2;
    result.Rank.TitleScore = FieldScore(kTitle, title, titleAt, profile);
    result.Rank.DescriptionScore =
        description.empty() ? 0.0 : FieldScore(kDescription, description, descriptionAt, profile);
    result.Rank.LinkScore = FieldScore(kLink, link, linkAt, profile);
    const TURI uri = result.URI();
    result.Rank.PathFactor = PathFactor(uri.Path());
    result.Rank.DomainMatch = DomainMatches(uri.Host(), result.Facts.DomainExt, profile.DomainExtensions);
    result.Rank.FileMatch = FileMatches(result, profile.FileExtensions);
  } catch (const std::exception& e) {
    Log("TSERanking", std::string("Exception: ") + e.what());
  }
}

int32_t TSERanking::WordListScore(TResult& result, const TProfile& profile, const std::string& word,
                                  const std::string& keywords) {
  const std::string w = LowerCase(word);
  const std::string q = LowerCase(keywords);
  result.Rank.LinkWordProximity = Occurs(LowerCase(result.Source.Link), w) ? 50 : 0;
  result.Rank.TitleWordProximity = ProximityPart(result.Words.TitleWords, w, q);
  result.Rank.DescriptionWordProximity = ProximityPart(result.Words.DescriptionWords, w, q);
  const double score = profile.TitleRank * result.Rank.TitleWordProximity +
                       profile.DescRank * result.Rank.DescriptionWordProximity +
                       profile.UrlRank * result.Rank.LinkWordProximity;
  return static_cast<int32_t>(std::ceil(Finite(score)));
}

}  // namespace orvane
