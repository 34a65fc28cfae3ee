// Reads of child-element values for XML nodes that do not come from the data
// store (saved results files), with the data store's neutral values: empty
// text, 0, 0.0, and a boolean that is true unless the text is "0".
#pragma once

#include <cstdint>
#include <string>

#include <pugixml.hpp>

#include "base/StrUtils.h"

namespace orvane {

inline bool HasChild(pugi::xml_node node, const char* name) { return static_cast<bool>(node.child(name)); }

// All text of the element, its CDATA included: a comment or a CDATA section
// in the middle of a list splits it into several text nodes, and the first
// alone would cut the list short.
inline std::string AllText(pugi::xml_node element) {
  std::string text;
  for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
  }
  return text;
}

inline std::string ChildText(pugi::xml_node node, const char* name) { return node.child(name).text().get(); }

inline int32_t ChildInteger(pugi::xml_node node, const char* name) { return StrToIntDef(ChildText(node, name), 0); }

inline double ChildFloat(pugi::xml_node node, const char* name) { return StrToFloatDef(ChildText(node, name), 0.0); }

inline bool ChildBool(pugi::xml_node node, const char* name) {
  return HasChild(node, name) && ChildText(node, name) != "0";
}

// Appends a child element holding the text.
inline void AddChildText(pugi::xml_node node, const char* name, const std::string& value) {
  node.append_child(name).text().set(value.c_str());
}

}  // namespace orvane
