#include "clusters/IgnoreWords.h"

#include <algorithm>

#include "data/XMLManager.h"
#include "words/NodeText.h"
#include "words/WordUtils.h"

namespace orvane {

TIgnoreWords::TIgnoreWords(const TXMLManager& store) {
  const pugi::xml_node list = store.Section("AutoClusters").child("IgnoreList");
  if (!list) return;
  list_ = SplitDelimited('|', AllText(list));
  // A line break after a "|" leaves an empty item; it would ignore nothing.
  std::erase(list_, std::string());
}

}  // namespace orvane
