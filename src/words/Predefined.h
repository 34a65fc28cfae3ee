// TPredefined: the process-wide table of profiles and predefined subjects.
// (Placeholder.)
#pragma once

namespace orvane {

class TXMLManager;
class TExtTypeGroups;

class TPredefined {
 public:
  TPredefined(const TXMLManager&, const TExtTypeGroups&, const TExtTypeGroups&) {}
};

}  // namespace orvane
