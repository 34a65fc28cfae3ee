// The built-in corpus: topics, sites and text templates from which every
// simulated result is generated. Everything is a pure function of the query
// and a document reference, so each engine, page and run sees the same
// documents. Read-only static tables; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "SimQuery.h"

namespace orvane::sim {

// Stable across platforms and runs (FNV-1a and a SplitMix64 finaliser).
uint64_t HashText(std::string_view text);
uint64_t Mix(uint64_t a, uint64_t b);

class TRng {
 public:
  explicit TRng(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  int Below(int n);  // 0 .. n-1
  double Unit();     // [0, 1)

 private:
  uint64_t state_;
};

// Names one document: the site comes from HostSeed, the page from PageSeed.
// Two references are the same document when both seeds agree.
struct TDocRef {
  uint64_t HostSeed = 0;
  uint64_t PageSeed = 0;
  bool operator==(const TDocRef&) const = default;
};

struct TDoc {
  std::string Link;        // what the engine points at (the final target)
  std::string DisplayUrl;  // the green address line under a result
  std::string Title;       // plain text, not yet HTML-escaped
  std::string Snippet;     // plain text, not yet HTML-escaped
  std::string FileFormat;  // "PDF/Adobe Acrobat" etc.; empty for web pages
  bool Foreign = false;    // not an English page: the engine offers a translation
  int SizeK = 0;
};

// Lower-case letters and digits joined by "-": a file name from text.
std::string Slug(std::string_view text);

// `engine` only changes the snippet: every engine shows its own excerpt.
TDoc MakeDoc(const TSimQuery& query, const TDocRef& ref, int engine);

}  // namespace orvane::sim
