// TExtTypeGroups: domain or file extension groups of the data file.
// (Placeholder.)
#pragma once

#include <string>

namespace orvane {

class TXMLManager;

class TExtTypeGroups {
 public:
  TExtTypeGroups(const TXMLManager&, const std::string& /*section*/) {}
};

}  // namespace orvane
