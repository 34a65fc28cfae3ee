// TResultsXml: saved results files, one XML document per search the user
// kept, in the user's folder. Stateless: requests of different sessions use
// it at once; a session's own requests serialise on its FileLock.
//
// Text is bytes with Latin-1 meaning, so the files declare ISO-8859-1 and
// hold every byte as it is; the control bytes XML cannot carry are written
// as blanks.
#pragma once

#include <functional>
#include <string>

namespace orvane {

class TPredefined;
class TPreferences;
class TProfile;
class TResults;

class TResultsXml {
 public:
  // Writes `folder` + fileName. An empty result list writes nothing, and an
  // earlier file of that name is removed. The old file is replaced only
  // once the new one is complete on disk.
  void SaveSearchResultToXml(const std::string& folder, const std::string& fileName, const TResults& results,
                             const TPreferences& preferences, const TProfile& profile) const;

  // Reads `folder` + fileName. Everything is read into new objects first;
  // only when the whole file is good does `beforeSwap` run (the caller drops
  // what points into the old results), then the results and tasks change
  // places with the loaded ones and the preferences and the named shared
  // profile take the saved values. A failure raises TOvException and
  // changes nothing.
  bool LoadSearchResultFromXml(const std::string& folder, const std::string& fileName, TResults& results,
                               TPreferences& preferences, TPredefined& predefined,
                               const std::function<void()>& beforeSwap = {}) const;
};

// A name a user may give a saved search: no folder separators, no NUL, not
// hidden and not "." or "..".
bool IsValidResultsName(const std::string& name);

// The <option> list of the saved searches in `folder`, the session's own
// file selected; names are escaped for the page.
std::string SavedResultsOptions(const std::string& folder, const std::string& savedResultsName);

}  // namespace orvane
