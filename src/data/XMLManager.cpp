#include "data/XMLManager.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/OvException.h"
#include "base/StrUtils.h"
#include "data/Crypt32.h"

namespace orvane {

namespace {

bool IsFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TOvException("Cannot read " + path, "XMLManager", "Load");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// All text below the element, in document order. A pattern that contains
// "]]>" has to be split over two CDATA sections, and text may mix escaped
// runs with CDATA; the first text node alone would cut such a value short.
std::string ElementText(pugi::xml_node element) {
  std::string text;
  for (pugi::xml_node node = element.first_child(); node;) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) text += node.value();
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && node != element && !node.next_sibling()) node = node.parent();
    if (!node || node == element) break;
    node = node.next_sibling();
  }
  return text;
}

}  // namespace

TXMLManager::TXMLManager(const std::string& folder) : folder_(folder) {
  std::string text;
  if (IsFile(folder_ + "data.xml")) {
    text = ReadWholeFile(folder_ + "data.xml");
  } else if (IsFile(folder_ + "data.ovm")) {
    text = ReadWholeFile(folder_ + "data.ovm");
    EncryptString(text, DataFilePassword(), false);
  } else {
    return;
  }
  // Parsed as UTF-8 so that pugixml passes Latin-1 bytes through untouched
  // (declaring Latin-1 would widen every high byte into two).
  const pugi::xml_parse_result parsed =
      document_.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) throw TOvException(std::string("XML parse error: ") + parsed.description() + " at offset " +
                                      std::to_string(parsed.offset), "XMLManager", "Load");
  const pugi::xml_attribute version = document_.document_element().attribute("Version");
  if (!version || std::string(version.value()) < "1.1")
    throw TOvException("Invalid version", "XMLManager", "Load");
  loaded_ = true;
}

pugi::xml_node TXMLManager::Section(const std::string& name) const {
  if (!loaded_) return {};
  return document_.document_element().child(name.c_str());
}

bool TXMLManager::Lookup(pugi::xml_node node, const std::string& name, bool fromAttribute, std::string& text) const {
  if (!loaded_ || !node) return false;
  if (fromAttribute) {
    const pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute) return false;
    text = attribute.value();
    return true;
  }
  const pugi::xml_node child = node.child(name.c_str());
  if (!child) return false;
  text = ElementText(child);
  return true;
}

std::string TXMLManager::ReadString(pugi::xml_node node, const std::string& name, bool fromAttribute) const {
  std::string text;
  return Lookup(node, name, fromAttribute, text) ? text : std::string();
}

int32_t TXMLManager::ReadInteger(pugi::xml_node node, const std::string& name, bool fromAttribute) const {
  std::string text;
  return Lookup(node, name, fromAttribute, text) ? StrToIntDef(text, 0) : 0;
}

double TXMLManager::ReadFloat(pugi::xml_node node, const std::string& name, bool fromAttribute) const {
  std::string text;
  return Lookup(node, name, fromAttribute, text) ? StrToFloatDef(text, 0.0) : 0.0;
}

bool TXMLManager::ReadBool(pugi::xml_node node, const std::string& name, bool fromAttribute) const {
  std::string text;
  return Lookup(node, name, fromAttribute, text) && text != "0";
}

}  // namespace orvane
