// TWordClusters: the base of a pane that groups a session's results (the
// domain and file extension clusters, the word pane). Each session owns its
// panes; they are rebuilt under the session's DataLock held exclusively (or
// built aside and swapped in), so page requests never see a half-built pane.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "words/Profile.h"

namespace orvane {

class TExtTypeGroups;
class TResults;

// One line of an extension pane: the group or extension it slices by, the
// text it shows and how many results it counts.
struct TPaneEntry {
  std::string Value;
  std::string Display;
  int32_t Count = 0;
  bool IsGroup = false;
  int32_t Line = 0;  // 0-based position in the pane
};

class TWordClusters {
 public:
  explicit TWordClusters(const TExtTypeGroups* groups = nullptr) : Groups(groups) {}
  virtual ~TWordClusters() = default;

  virtual void Clear() { Items.clear(); }
  virtual void Build(TResults& /*results*/) {}

  const TExtTypeGroups* Groups;  // borrowed from Global; none for word clusters
  // One entry per extension (or word) of the last build. Extension clusters
  // use the TWordData part only.
  std::vector<TPredefinedWord> Items;
};

}  // namespace orvane
