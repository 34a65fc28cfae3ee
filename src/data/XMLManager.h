// TXMLManager: the read-only data store. Opens "data.xml" (or the encrypted
// "data.ovm") of a folder once at start-up; every loader reads its section
// through the typed reads, which never fail and return a neutral value for
// anything absent or unreadable. Read concurrently without locks after
// construction (pugixml reads are const).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <pugixml.hpp>

namespace orvane {

class TXMLManager {
 public:
  // Raises TOvException("Invalid version") for a data file whose "Version" is
  // missing or below "1.1", and the parser's message for malformed XML. No data
  // file at all is not an error: the store is then empty.
  explicit TXMLManager(const std::string& folder);

  bool Loaded() const { return loaded_; }
  const std::string& Folder() const { return folder_; }

  // The first child element of the document element with that name; an empty
  // node when absent or not loaded.
  pugi::xml_node Section(const std::string& name) const;

  std::string ReadString(pugi::xml_node node, const std::string& name, bool fromAttribute) const;
  int32_t ReadInteger(pugi::xml_node node, const std::string& name, bool fromAttribute) const;
  double ReadFloat(pugi::xml_node node, const std::string& name, bool fromAttribute) const;
  // True unless the text is exactly "0"; false when absent.
  bool ReadBool(pugi::xml_node node, const std::string& name, bool fromAttribute) const;

 private:
  bool Lookup(pugi::xml_node node, const std::string& name, bool fromAttribute, std::string& text) const;

  std::string folder_;
  pugi::xml_document document_;
  bool loaded_ = false;
};

}  // namespace orvane
