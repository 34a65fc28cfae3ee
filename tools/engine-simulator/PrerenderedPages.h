// TPrerenderedPages: the result pages of a keyword set, rendered and gzipped
// once before a measurement, so serving a page costs the simulator a look-up
// and a write instead of a render and a compression. Keyed by the request target the pipeline sends
// (QueryTarget); read-only once built, so any thread may read it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvane::sim {

// `text` in gzip format, as the simulator sends a page that may be gzipped.
std::string Gzip(std::string_view text);

struct TPrerenderedPage {
  std::string Html;
  std::string Gzipped;
};

class TPrerenderedPages {
 public:
  // Renders pages 0..pages-1 of 100 results of every engine for each keywords.
  TPrerenderedPages(const std::vector<std::string>& keywords, int64_t defaultTotal, int pages = 10);

  // The page for `target` of `engine`; nullptr when it was not rendered.
  const TPrerenderedPage* Find(int engine, std::string_view target) const;
  size_t Size() const { return pages_[0].size() + pages_[1].size() + pages_[2].size(); }

 private:
  std::unordered_map<std::string, TPrerenderedPage> pages_[3];
};

}  // namespace orvane::sim
