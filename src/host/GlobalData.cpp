#include "host/GlobalData.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "base/StrUtils.h"
#include "clusters/AutoWordClusters.h"
#include "clusters/DeepWordCluster.h"
#include "clusters/ExtClusters.h"
#include "clusters/IgnoreWords.h"
#include "clusters/PageTypes.h"
#include "clusters/PredefinedCluster.h"
#include "clusters/WordCluster.h"
#include "clusters/WordStorage.h"
#include "data/XMLManager.h"
#include "host/LogThreads.h"
#include "pages/ResultsXml.h"
#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/HttpClient.h"
#include "platform/Memory.h"
#include "platform/IniFile.h"
#include "search/EngineRest.h"
#include "search/MetaResults.h"
#include "search/Results.h"
#include "search/SearchEngines.h"
#include "words/ExtGroups.h"
#include "words/Plural.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {

TGlobal* Global = nullptr;

// ---- TOrvaneReg ----

TOrvaneReg::TOrvaneReg(const std::string& fileName) : ini_(std::make_unique<TIniFile>(fileName)) {}
TOrvaneReg::~TOrvaneReg() = default;

int32_t TOrvaneReg::ReadInteger(const std::string& name, int32_t fallback) const {
  return StrToIntDef(ini_->ReadString(kSection, name, ""), fallback);
}

std::string TOrvaneReg::ReadString(const std::string& name, const std::string& fallback) const {
  const std::string value = ini_->ReadString(kSection, name, "");
  return value.empty() ? fallback : value;
}

bool TOrvaneReg::WriteString(const std::string& name, const std::string& value) {
  return ini_->WriteString(kSection, name, value);
}

const std::string& TOrvaneReg::FileName() const { return ini_->FileName; }

// ---- TGuidEx ----

std::string TGuidEx::NewGuidString() {
  std::random_device device;
  std::uniform_int_distribution<int> nibble(0, 15);
  static const char kHex[] = "0123456789ABCDEF";
  std::string text = "{";
  for (int group : {8, 4, 4, 4, 12}) {
    if (text.size() > 1) text += '-';
    for (int i = 0; i < group; ++i) text += kHex[nibble(device)];
  }
  return text + "}";
}

// ---- TGlobalData ----

TGlobalData::TGlobalData() : ResultsXml(std::make_unique<TResultsXml>()) {}
TGlobalData::~TGlobalData() = default;

// ---- TSessionData ----

TSessionData::TSessionData(int32_t id, const std::string& preferencesFolder, bool metaBoost)
    : Id(id),
      Panes(Global ? Global->DomainGroupData.get() : nullptr, Global ? Global->FileGroupData.get() : nullptr,
            Global ? Global->Predefined.get() : nullptr),
      Preferences(std::make_unique<TPreferences>(preferencesFolder)),
      Results(std::make_unique<TResults>()),
      MetaResults(std::make_unique<TMetaResults>(metaBoost)),
      SeperateWords(std::make_unique<TSeperateWords>()),
      Profile(std::make_unique<TProfile>()),
      LastAccess(MonotonicNow()) {
  Preferences->LoadPreferences();
}

void TSessionData::RebuildWordClusters(const std::string& keywords) {
  Panes.RebuildWordClusters(*Results, *Profile, keywords, Global->ClusterSettings());
}

TSessionView TSessionData::View() const {
  return TSessionView{Id, *Results, *Preferences, *Profile, Panes, Totals, SavedResultsName};
}

// The clusterers point at results: they go before the results do.
TSessionData::~TSessionData() { Panes.DropWordClusters(); }

void TSessionData::AddHtmlTime(double ms) {
  double current = htmlTime_.load();
  while (!htmlTime_.compare_exchange_weak(current, current + ms)) {
  }
}

double TSessionData::HtmlTime() const { return htmlTime_.load(); }

// ---- TGlobal ----

namespace {

void WriteFirstLine(const std::string& path, const std::string& line) { WriteFileAtomically(path, line + "\r\n"); }

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return "";
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The settings read from the configuration.
void ReadSettings(TGlobal& global) {
  global.Port = global.Reg->ReadInteger("Port", kDefaultPort);
  global.OrvaneURL = global.Reg->ReadString("OrvaneURL", "");
  global.TimeOut = global.Reg->ReadInteger("TimeOut", 24);
  if (global.TimeOut != 0) global.TimeOut = 1.0 / global.TimeOut;
  global.AlwaysSearch = global.Reg->ReadString("AlwaysSearch", "0") == "1";
  global.MetaBoost = global.Reg->ReadString("MetaBoost", "1") == "1";
  global.DeepWordCluster = global.Reg->ReadString("DeepWordCluster", "0") == "1";
  global.InstallationDir = global.Reg->ReadString("InstallationDir", DefaultInstallationFolder());
  global.HtmlDir = global.InstallationDir + "Resources/html/";
  global.DataDir = global.InstallationDir + "Data/";
  global.GoogleHost = global.Reg->ReadString("GoogleHost", "www.google.com");
  global.MSNHost = global.Reg->ReadString("MSNHost", "search.msn.com");
  global.YahooHost = global.Reg->ReadString("YahooHost", "search.yahoo.com");
  global.WordClustersDebug = global.Reg->ReadInteger("WordClustersDebug", 0);
  global.PageTimeout = std::max(1, global.Reg->ReadInteger("PageTimeout", 8));
  global.ProbeFirst = global.Reg->ReadString("ProbeFirst", "0") == "1";
}

// The machine's id for the remote log, and the user's folder.
void ReadIdentity(TGlobal& global) {
  global.UID = global.Reg->ReadString("UID", "");
  if (global.UID.empty()) {
    global.UID = TGuidEx::NewGuidString();
    global.Reg->WriteString("UID", global.UID);
  }
  WriteFirstLine(global.WritableDir + "ie/affid.dat", global.UID);
  WriteFirstLine(global.WritableDir + "firefox/affid.dat", global.UID);

  const std::string userBase = UserDataFolder();
  global.UserDir = userBase.empty() ? "" : userBase + (userBase.back() == '/' ? "" : "/") + "Orvane/";
  if (!global.UserDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(global.UserDir, ec);
  }
}

// The data files: groups, profiles, colours, word lists and engines.
void LoadData(TGlobal& global) {
  global.XMLManager = std::make_unique<TXMLManager>(global.DataDir);
  global.DomainGroupData = std::make_unique<TExtTypeGroups>(*global.XMLManager, "DomainGroupData");
  global.FileGroupData = std::make_unique<TExtTypeGroups>(*global.XMLManager, "FileGroupData");
  global.Predefined = std::make_unique<TPredefined>(*global.XMLManager, *global.DomainGroupData, *global.FileGroupData);
  if (const pugi::xml_node colors = global.XMLManager->Section("Colors")) {
    global.RelatedWordHighLightColor = global.XMLManager->ReadString(colors, "RelatedWordHighLightColor", false);
    global.NarrowHighLightColor = global.XMLManager->ReadString(colors, "NarrowHighLightColor", false);
  }
  global.Data = std::make_unique<TGlobalData>();
  global.Data->Plural = std::make_unique<TPlural>(*global.XMLManager);
  global.Data->IgnoreWords = std::make_unique<TIgnoreWords>(*global.XMLManager);
  global.Data->Version = TGlobal::GetFileVersion("%d.%d.%d.%d");
  // The log sink is not installed yet: the free Log would drop these lines.
  global.Engines = LoadSearchEngines(
      *global.XMLManager, [&global](const std::string& key) { return global.Reg->ReadString(key, ""); },
      [&global](const std::string& line) { global.Log("SearchEngines", line); });
  std::vector<std::string> added;
  for (size_t i = kBuiltInEngines; i < global.Engines.size(); ++i) added.push_back(global.Engines[i]->Name);
  SetEngineNames(std::move(added));
  global.Refer = ReadFirstLine(global.DataDir + "refer.txt");
}

}  // namespace

TGlobal::TGlobal(const std::string& configFile) {
  Reg = std::make_unique<TOrvaneReg>(configFile);
  ReadSettings(*this);
  EngineRest = std::make_unique<TEngineRest>();

  // A read-only installation (a system package) keeps what we write in the
  // user's state folder instead.
  WritableDir = InstallationDir;
  const std::string landsIn = std::filesystem::path(InstallationDir + "OrvaneServer.log").parent_path().string();
  if (!IsWritableFolder(landsIn.empty() ? "." : landsIn)) {
    WritableDir = StateFolder();
    std::error_code ec;
    std::filesystem::create_directories(WritableDir, ec);
  }
  PreferencesDir = IsWritableFolder(DataDir) ? DataDir : WritableDir;
  const std::string logName = WritableDir + "OrvaneServer.log";
  std::remove(logName.c_str());
  logFile_ = std::make_unique<TLogFile>(logName);
  // A service on this machine needs no Internet connection.
  const bool localService = IsLocalServiceURL(OrvaneURL);
  logRemote_ = std::make_unique<TLogRemote>(OrvaneURL, [localService] { return localService || IsConnected(); });
  ReadIdentity(*this);
  LoadData(*this);
}

TGlobal::~TGlobal() {
  {
    std::lock_guard guard(SessionLock);
    while (!Sessions.empty()) Sessions.pop_back();
  }
  Engines.clear();
  SetEngineNames({});
  logFile_->Stop();
  logRemote_->Stop();
}

void TGlobal::Log(const std::string& module, const std::string& text) {
  logFile_->Post("[" + DateTimeText(Now()) + "] [" + module + "] " + text);
}

void TGlobal::RemoteLog(const std::string& line) {
  if (!logRemote_->Post(line)) Log("Remote log", "Failed to post thread message");
}

void TGlobal::LogException(const std::string& keywords, const std::string& engineName, const std::string& unitName,
                           const std::string& methodName, const std::string& message) {
  RemoteLog("UID:" + UID + "|EXCEPTION|" + DateTimeText(Now()) + "|" + keywords + "|" + engineName + "|" +
            unitName + "|" + methodName + "|" + message);
}

std::string TGlobal::GetAddress() const { return "127.0.0.1:" + std::to_string(Port); }

TSearchEngines* TGlobal::GetEngine(int index) const { return FindEngine(Engines, index); }

TClusterSettings TGlobal::ClusterSettings() const {
  TClusterSettings settings;
  settings.IgnoreWords = Data->IgnoreWords ? &Data->IgnoreWords->List() : nullptr;
  settings.Plural = Data->Plural.get();
  settings.Debug = WordClustersDebug == 1;
  settings.DeepWordCluster = DeepWordCluster;
  return settings;
}

TFilterState TGlobal::FilterState(TSessionData& session) const {
  TFilterSettings settings{RelatedWordHighLightColor, NarrowHighLightColor, ClusterSettings(), XMLManager.get()};
  return TFilterState{*session.Results, *session.Profile, *session.Preferences, session.Panes, *session.SeperateWords,
                      std::move(settings)};
}

TPageSettings TGlobal::PageSettings() const {
  return TPageSettings{Data->Version, &Engines, Predefined.get(), UserDir};
}

TFetchContext TGlobal::FetchContext(TSessionData& session) const {
  TFetchContext context;
  context.Engines = &Engines;
  context.Rest = EngineRest.get();
  context.Totals = &session.Totals;
  context.PageTimeout = PageTimeout;
  context.ProbeFirst = ProbeFirst;
  context.FailedBlockFolder = FailedBlockFolder();
  const TOrvaneReg* reg = Reg.get();
  context.Setting = [reg](const char* name) { return reg ? reg->ReadString(name, "") : std::string(); };
  return context;
}

// Blocks that fail to parse are kept next to the data folder for inspection.
std::string TGlobal::FailedBlockFolder() const {
  if (DataDir.empty()) return "";
  std::filesystem::path data(DataDir);
  if (!data.has_filename()) data = data.parent_path();
  const std::string folder = data.parent_path().string();
  if (folder.empty()) return "";
  return IsWritableFolder(folder) ? folder + "/" : WritableDir;
}

TSessionPtr TGlobal::FindSession(int32_t id) {
  for (const auto& session : Sessions) {
    if (session->Id == id) {
      session->LastAccess = MonotonicNow();
      return session;
    }
  }
  return nullptr;
}

TSessionPtr TGlobal::CreateSession() {
  auto session = std::make_shared<TSessionData>(NextSessionId, PreferencesDir, MetaBoost);
  Sessions.push_back(session);
  ++NextSessionId;
  return session;
}

void TGlobal::CleanUpSessions() {
  const auto timeout = std::chrono::duration<double, std::ratio<86400>>(TimeOut);
  const TMonotonic now = MonotonicNow();
  // Sessions are released outside the lock: a request may still hold one, and
  // its destructor runs when the last holder lets go.
  std::vector<TSessionPtr> expired;
  bool none = false;
  {
    std::lock_guard guard(SessionLock);
    for (auto it = Sessions.end(); it != Sessions.begin();) {
      --it;
      if ((*it)->RequestsInProgress == 0 && now - (*it)->LastAccess > timeout) {
        expired.push_back(std::move(*it));
        it = Sessions.erase(it);
      }
    }
    none = Sessions.empty();
  }
  if (expired.empty()) return;
  expired.clear();
  if (!none) return;
  // Nobody has used the server for a session's lifetime: connections kept
  // for the engines would long have been closed at their end. While other
  // sessions live, the freed memory stays for the next search, which would
  // otherwise take every page of it fresh from the system again.
  ReleaseKeptConnections();
  ReturnFreedMemory();
}

std::string TGlobal::GetFileVersion(const std::string& format) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format.c_str(), ORVANE_VERSION_MAJOR, ORVANE_VERSION_MINOR,
                ORVANE_VERSION_RELEASE, ORVANE_VERSION_BUILD);
  return buffer;
}

void SetGlobal(TGlobal* global) {
  Global = global;
  SetLogSink(global);
}

}  // namespace orvane
