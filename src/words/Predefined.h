// TPredefined: the process-wide profiles of the data file, in file order.
// Owned by Global and built at start-up. Afterwards only the visibility flag
// and a loaded saved profile change them; both take the object's own lock,
// and readers that walk Profiles or keep a profile pointer hold ReadLock().
// A profile's Name and Index never change after loading, so a kept pointer
// may read them without the lock. The lock is a leaf: nothing else is locked
// while it is held.
#pragma once

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "words/Profile.h"

namespace orvane {

class TXMLManager;
class TExtTypeGroups;

class TPredefined {
 public:
  // Loads the "predefined" section. A broken profile ends the loading: the
  // profiles before it stay, it and the ones after it are left out.
  TPredefined(const TXMLManager& store, const TExtTypeGroups& domainGroups, const TExtTypeGroups& fileGroups);

  // Exact, case-sensitive name; nullptr when there is none. The caller holds
  // ReadLock() while it uses the result (and while it walks Profiles).
  TProfile* FindProfile(const std::string& name);
  const TProfile* FindProfile(const std::string& name) const;
  // The operations below take the lock themselves.
  // Name of the first profile marked Default; empty when none is.
  std::string DefaultProfileName() const;
  void SetProfileVisible(const std::string& name, bool visible);

  // Copies the named profile into `target`; false (target untouched) when
  // there is no such profile.
  bool CopyProfile(const std::string& name, TProfile& target) const;
  // A saved results file's profile element read into the named profile
  // (which keeps its name), changing it for every session; false when there
  // is none.
  bool ReadProfileXml(const std::string& name, pugi::xml_node node);

  std::shared_lock<std::shared_mutex> ReadLock() const { return std::shared_lock(lock_); }

  std::vector<std::unique_ptr<TProfile>> Profiles;

 private:
  TProfile* Find(const std::string& name) const;

  mutable std::shared_mutex lock_;
  pugi::xml_node section_;  // the "predefined" section, kept while we live
};

}  // namespace orvane
