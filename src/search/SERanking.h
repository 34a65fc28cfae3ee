// TSERanking: Orvane's own score of a result against its search keywords.
// Made for one ranking pass (it reads the tuning constants of the data file's
// "rank" section once) and used by one thread; the weights come from the
// profile it is given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "words/WordUtils.h"

namespace orvane {

class TProfile;
class TResult;
class TXMLManager;

class TSERanking {
 public:
  // Six points (x0, y0) .. (x5, y5).
  using TLookupTable = std::array<double, 12>;

  // Reads the constants in their listed order; the first one missing or not
  // a number ends the reading, it and the later ones staying 0. Without a
  // store every constant is 0.
  explicit TSERanking(const TXMLManager* store);

  // Title, description and link scores, exact match, path factor and the
  // profile's domain and file match. A failure is logged and leaves the
  // fields set so far.
  void RankResult(TResult& result, const TProfile& profile);
  // How close `word` stands to `keywords` in the result's link, title and
  // description; also sets the three proximity parts.
  int32_t WordListScore(TResult& result, const TProfile& profile, const std::string& word,
                        const std::string& keywords);

  // y5 at exactly x5, else yi of the first i of 4..1 with v > xi, else y0.
  static double Lookup(const TLookupTable& table, double v);
  // 1 for the root, 1 - BaseURLPenalty one directory deep, and a further
  // (1 - DeepURLPenalty) for every level below that.
  double PathFactor(std::string_view path) const;

  TLookupTable LengthExactDescription{};
  TLookupTable LengthExactTitle{};
  TLookupTable LengthExactURL{};
  TLookupTable ExactLocationTitle{};
  TLookupTable ExactLocationDescription{};
  TLookupTable ExactLocationURL{};
  int32_t MinLengthExactTitle = 0;
  int32_t MinLengthNotExactTitle = 0;
  int32_t MinExactLocationTitle = 0;
  double BaseURLPenalty = 0;
  double DeepURLPenalty = 0;

 private:
  enum TField { kTitle, kDescription, kLink };

  void PrepareKeywords(const std::string& keywords);
  // `at`: where the joined keywords stand in `text`.
  double ExactScore(TField field, const std::string& text, size_t at, const TProfile& profile) const;
  double PartialScore(TField field, const std::string& text, const TProfile& profile);
  // `at`: where the joined keywords stand in `text`; npos when they do not.
  double FieldScore(TField field, const std::string& text, size_t at, const TProfile& profile);

  std::string currentKeywords_;
  bool prepared_ = false;
  std::string joined_;
  std::vector<std::string> keywords_;
  TClearArgument cleaner_;
  TKeywordCounter counter_;      // of keywords_
  TNeedleFinder phrase_;         // of joined_
  std::vector<int32_t> counts_;  // of the field being scored
  // The cleared fields of the result being ranked.
  std::string title_, description_, link_;
};

}  // namespace orvane
