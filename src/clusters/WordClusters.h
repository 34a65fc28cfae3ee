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

class TWordClusters {
 public:
  explicit TWordClusters(const TExtTypeGroups* groups = nullptr) : Groups(groups) {}
  virtual ~TWordClusters() = default;

  virtual void Clear() { Items.clear(); }
  virtual void Build(TResults& /*results*/) {}
  virtual void Render(int32_t /*sessionId*/) {}

  const TExtTypeGroups* Groups;  // borrowed from Global; none for word clusters
  // One entry per extension (or word) of the last build. Extension clusters
  // use the TWordData part only.
  std::vector<TPredefinedWord> Items;
  std::string Html;  // the pane of the last render
};

}  // namespace orvane
