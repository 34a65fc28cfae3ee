// TGlobal: everything that lives as long as the process (configuration,
// folders, log threads, the data store and what is loaded from it, the engine
// definitions, the session table). Created by main before any other thread
// exists and freed after the HTTP server has stopped; its configuration fields
// are never written after construction and are read without a lock.
//
// TSessionData: one search session. Sessions are shared (std::shared_ptr): the
// table owns one reference, every request that uses the session holds another,
// so the clean-up never frees a session under a running request.
//
// Locks, always taken in this order and never the other way round:
//   Global->SessionLock   the session table and NextSessionId; held only for a
//                         lookup, a creation, a reuse check or the clean-up.
//   Session.SearchLock    a search, a subject selection or a load of saved
//                         results runs; held across the engine downloads, so
//                         a second search of the same session waits (its
//                         query threads read the session's tasks unlocked).
//   Session.DataLock      (shared_mutex) everything a page reads: Preferences,
//                         Profile, Results, MetaResults and what is built from
//                         them. Pages and read-only steps take it shared;
//                         actions, filters and the search's own changes take it
//                         exclusively, never across a network wait.
//   Session.Totals.Lock   query threads hand in their results and timings.
//   Session.FileLock      saved results files.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "base/Log.h"
#include "host/HttpTypes.h"
#include "clusters/SessionPanes.h"
#include "pages/ResultFilters.h"
#include "pages/SessionView.h"
#include "platform/Clock.h"
#include "search/FetchContext.h"
#include "search/FetchTotals.h"

namespace orvane {

class TLogFile;
class TLogRemote;
class TXMLManager;
class TTrayIcon;
class TPreferences;
class TProfile;
class TResults;
class TMetaResults;
class TSeperateWords;
class TPlural;
class TPredefined;
class TExtTypeGroups;
class TSearchEngines;
class TIniFile;
class TIgnoreWords;
class TResultsXml;
class TEngineRest;

// The configuration store that stands in for the registry key
// "Software\Orvane": an INI file with that section. Reads never fail: a
// missing value, one of the wrong type or an empty string yields the default.
class TOrvaneReg {
 public:
  static constexpr const char* kSection = "Software\\Orvane";
  explicit TOrvaneReg(const std::string& fileName);
  ~TOrvaneReg();

  int32_t ReadInteger(const std::string& name, int32_t fallback) const;
  std::string ReadString(const std::string& name, const std::string& fallback) const;
  bool WriteString(const std::string& name, const std::string& value);
  const std::string& FileName() const;

 private:
  std::unique_ptr<TIniFile> ini_;
};

class TGuidEx {
 public:
  // A new random identifier in registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
  static std::string NewGuidString();
};

struct TGlobalData {
  TGlobalData();
  ~TGlobalData();

  std::unique_ptr<TIgnoreWords> IgnoreWords;
  std::unique_ptr<TPlural> Plural;
  std::unique_ptr<TResultsXml> ResultsXml;  // stateless, shared by every request
  TDateTime StartTime = Now();
  std::string Version;
  std::atomic<int32_t> PageCount{0};
  std::atomic<TTrayIcon*> TrayIcon{nullptr};  // owned by the server object
};

class TSessionData {
 public:
  TSessionData(int32_t id, const std::string& preferencesFolder, bool metaBoost);
  ~TSessionData();
  TSessionData(const TSessionData&) = delete;
  TSessionData& operator=(const TSessionData&) = delete;

  const int32_t Id;

  std::mutex SearchLock;
  std::shared_mutex DataLock;
  std::mutex FileLock;

  // Guarded by DataLock. The panes and word tables are rebuilt from the
  // results with the lock held exclusively. The panes hold the word storage
  // the results point into, so they are declared first and freed last.
  TSessionPanes Panes;
  std::unique_ptr<TPreferences> Preferences;
  std::unique_ptr<TResults> Results;
  std::unique_ptr<TMetaResults> MetaResults;
  std::unique_ptr<TSeperateWords> SeperateWords;
  std::unique_ptr<TProfile> Profile;
  std::string SavedResultsName;
  bool SearchPending = true;
  bool ResultsLoaded = false;

  // The query threads' totals and tallies, under their own lock (taken
  // after DataLock, never the other way round).
  TFetchTotals Totals;

  // The word clusters and the word pane again over the results; the caller
  // holds DataLock exclusively.
  void RebuildWordClusters(const std::string& keywords);

  // What the pages read; the caller holds DataLock shared or exclusively.
  TSessionView View() const;

  // Milliseconds spent building pages of this session.
  void AddHtmlTime(double ms);
  double HtmlTime() const;

  // Guarded by Global->SessionLock.
  TMonotonic LastAccess;
  // Requests working on the session now: the clean-up passes over it while
  // there are any. Guarded by Global->SessionLock.
  int32_t RequestsInProgress = 0;

 private:
  std::atomic<double> htmlTime_{0};
};

using TSessionPtr = std::shared_ptr<TSessionData>;

// Ports below 1024 need privileges on Linux.
constexpr int32_t kDefaultPort = 8425;

class TGlobal : public TLogSink {
 public:
  // Reads the configuration file (see TOrvaneReg), starts the log threads and
  // loads the data store. Raises when the data file is unusable.
  explicit TGlobal(const std::string& configFile);
  ~TGlobal();
  TGlobal(const TGlobal&) = delete;
  TGlobal& operator=(const TGlobal&) = delete;

  void Log(const std::string& module, const std::string& text) override;
  void RemoteLog(const std::string& line) override;
  void LogException(const std::string& keywords, const std::string& engineName, const std::string& unitName,
                    const std::string& methodName, const std::string& message) override;

  std::string GetAddress() const;
  TSearchEngines* GetEngine(int index) const;
  // What the query threads of a search in `session` read: the engines, the
  // rest table, the limits, the debug settings; their totals go to the
  // session.
  TFetchContext FetchContext(TSessionData& session) const;
  // What the word clusters read of the configuration and the shared tables.
  TClusterSettings ClusterSettings() const;
  // The parts of `session` the result filters change, with their settings.
  TFilterState FilterState(TSessionData& session) const;
  // What the pages read of the process.
  TPageSettings PageSettings() const;

  // Caller holds SessionLock. Stamps LastAccess of the session found.
  TSessionPtr FindSession(int32_t id);
  // Caller holds SessionLock. Adds a new session under NextSessionId.
  TSessionPtr CreateSession();
  // Frees every session idle for longer than TimeOut; takes SessionLock.
  void CleanUpSessions();

  static std::string GetFileVersion(const std::string& format);

  // Configuration, fixed after construction.
  std::string OrvaneURL;
  double TimeOut = 0;  // days
  int32_t Port = kDefaultPort;
  std::string UID;
  std::string Refer;
  std::string InstallationDir;
  std::string WritableDir;     // the log, the identifier files, blocks that failed to parse
  std::string PreferencesDir;  // Preferences.ini: DataDir, unless that is read-only
  std::string HtmlDir;
  std::string DataDir;
  std::string UserDir;
  bool AlwaysSearch = false;
  bool MetaBoost = true;
  bool DeepWordCluster = false;
  std::string RelatedWordHighLightColor;
  std::string NarrowHighLightColor;
  std::string GoogleHost, MSNHost, YahooHost;
  int32_t WordClustersDebug = 0;
  int32_t PageTimeout = 8;  // seconds for one engine page, connecting and receiving
  bool ProbeFirst = false;  // the probe page alone first, then the rest

  std::unique_ptr<TOrvaneReg> Reg;
  std::unique_ptr<TXMLManager> XMLManager;
  std::unique_ptr<TGlobalData> Data;
  std::unique_ptr<TExtTypeGroups> DomainGroupData;
  std::unique_ptr<TExtTypeGroups> FileGroupData;
  std::unique_ptr<TPredefined> Predefined;
  TEngineList Engines;
  std::unique_ptr<TEngineRest> EngineRest;  // engines that asked us to wait

  std::mutex SessionLock;
  int32_t NextSessionId = 0;
  std::vector<TSessionPtr> Sessions;

 private:
  std::string FailedBlockFolder() const;

  std::unique_ptr<TLogFile> logFile_;
  std::unique_ptr<TLogRemote> logRemote_;
};

// The process-wide object; set by main (and by tests that need one) through
// SetGlobal, which also makes it the sink of the free log functions.
extern TGlobal* Global;
void SetGlobal(TGlobal* global);

}  // namespace orvane
