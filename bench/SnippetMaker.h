// Deterministic synthetic text for the benchmarks that need many results.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::bench {

// A vocabulary of pronounceable words whose use falls off like a natural
// language's (word k about 1/k as frequent as the first).
class TSnippetMaker {
 public:
  TSnippetMaker() {
    static const char* const kSyllables[] = {"ka", "lo", "mi", "ren", "sol", "ta", "vin", "dor",
                                             "pe", "qua", "ris", "ne", "bo", "tel", "gar", "un"};
    for (int a = 0; a < 16; ++a)
      for (int b = 0; b < 16; ++b)
        for (int c = 0; c < 12; ++c) vocabulary_.push_back(std::string(kSyllables[a]) + kSyllables[b] + kSyllables[c]);
    double sum = 0;
    for (size_t k = 0; k < vocabulary_.size(); ++k) cumulative_.push_back(sum += 1.0 / static_cast<double>(k + 1));
  }

  std::string Word() { return vocabulary_[Pick()]; }
  // A uniform draw from 0 .. n - 1.
  size_t Below(size_t n) { return std::min(static_cast<size_t>(Next() * static_cast<double>(n)), n - 1); }

  std::string Text(int words) {
    std::string text;
    for (int i = 0; i < words; ++i) {
      if (i) text += ' ';
      text += vocabulary_[Pick()];
    }
    return text;
  }

 private:
  size_t Pick() {
    const double draw = Next() * cumulative_.back();
    const auto k = static_cast<size_t>(std::lower_bound(cumulative_.begin(), cumulative_.end(), draw) -
                                       cumulative_.begin());
    return std::min(k, vocabulary_.size() - 1);
  }

  double Next() {
    seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(seed_ >> 11) / 9007199254740992.0;
  }

  std::vector<std::string> vocabulary_;
  std::vector<double> cumulative_;
  uint64_t seed_ = 42;
};

}  // namespace orvane::bench
