#include "words/ExtGroups.h"

#include <exception>
#include <vector>

#include "base/Log.h"
#include "base/StrUtils.h"
#include "data/XMLManager.h"
#include "words/NodeText.h"
#include "words/WordUtils.h"

namespace orvane {

TExtTypeGroups::TExtTypeGroups(const TXMLManager& store, const std::string& section) {
  const pugi::xml_node node = store.Section(section);
  if (!node) return;
  try {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      TWordGroupData group;
      group.Index = static_cast<int32_t>(Groups.size());
      group.Name = child.name();
      SetDelimitedList(',', AllText(child), group.Extensions);
      // A stray comma must not make every extension-less result a member.
      std::erase(group.Extensions, std::string());
      bool visible = true;
      const pugi::xml_attribute attribute = child.attribute("Visible");
      if (attribute && TryStrToBool(attribute.value(), visible)) group.Visible = visible;
      Groups.push_back(std::move(group));
    }
  } catch (const std::exception& e) {
    // Keep what was read; a broken group should not stop the server.
    Log("ExtGroups", "Reading " + section + " stopped: " + e.what());
  }
}

int32_t TExtTypeGroups::GroupIndexOf(std::string_view extension) const {
  for (const auto& group : Groups) {
    for (const auto& item : group.Extensions) {
      if (SameText(item, extension)) return group.Index;
    }
  }
  return -1;
}

std::string TExtTypeGroups::GroupName(int32_t index) const {
  for (const auto& group : Groups) {
    if (group.Index == index) return group.Name;
  }
  return {};
}

void TExtTypeGroups::ResetCounts() {
  for (auto& group : Groups) group.Count = 0;
}

}  // namespace orvane
