// TExtTypeGroups: the named groups of domain or file extensions of the data
// file. Global owns two instances (domain and file groups) built at start-up;
// they are read-only afterwards and read without a lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class TXMLManager;

struct TWordGroupData {
  std::vector<std::string> Extensions;  // without dots, data file order
  int32_t Index = 0;                    // position in its group list
  // Results of one build that belong to the group. The shared definitions
  // keep 0 here: a cluster counts on its own copy of the groups.
  int32_t Count = 0;
  std::string Name;
  bool Visible = true;  // may appear among the page types
};

class TExtTypeGroups {
 public:
  TExtTypeGroups() = default;
  // Reads the groups of `section`; a missing section gives no groups, and a
  // group that cannot be read ends the reading with the groups read so far.
  TExtTypeGroups(const TXMLManager& store, const std::string& section);

  // Index of the first group that holds the extension (ASCII case ignored);
  // -1 when none does.
  int32_t GroupIndexOf(std::string_view extension) const;
  // Name of the group with that index; empty when there is none.
  std::string GroupName(int32_t index) const;
  void ResetCounts();

  std::vector<TWordGroupData> Groups;
};

}  // namespace orvane
