// The saved-results area of the route table (TSavedResults).
//
// Locking, in the order of the lock list: a load holds the session's
// SearchLock (a search of the session must not run while its tasks are
// replaced), then its DataLock exclusively around what changes the session,
// then its FileLock around each file operation; the session table's lock
// only while a session is looked up or made.
#include <filesystem>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "base/OvException.h"
#include "base/StrUtils.h"
#include "clusters/SessionPanes.h"
#include "clusters/WordStorage.h"
#include "host/SavedResults.h"
#include "host/SearchRequest.h"
#include "pages/ResultsXml.h"
#include "search/MetaResults.h"
#include "search/Results.h"
#include "words/Predefined.h"
#include "words/Preferences.h"
#include "words/Profile.h"

namespace orvane {

namespace {

constexpr const char* kModule = "RequestHandler";

// A name that could leave the user's folder is refused like an empty one.
bool UsableName(const std::string& name) {
  if (name.empty()) {
    Global->Log(kModule, "Error filename is empty");
    return false;
  }
  if (!IsValidResultsName(name)) {
    Global->Log(kModule, "Invalid file name: " + name);
    return false;
  }
  return true;
}

}  // namespace

void TSavedResults::FindOrCreateRequestedSession() {
  Handler.SessionId = GetParamInt(Request.Params, "id", -1);
  std::lock_guard guard(Global->SessionLock);
  if (Session && Session->Id != Handler.SessionId) Session = Global->FindSession(Handler.SessionId);
  if (!Session) {
    Session = Global->CreateSession();
    Handler.SessionId = Session->Id;
  }
  Handler.HoldSession();
}

void TSavedResults::HandleRequest_SaveResults() {
  const std::string name = GetParamStr(Request.Params, "filenametosave", "");
  if (!Session || !UsableName(name)) return;
  TSessionData& session = *Session;
  std::unique_lock guard(session.DataLock);
  std::lock_guard fileGuard(session.FileLock);
  session.SavedResultsName = name + ".xml";
  Global->Log(kModule, "Save results to xml : " + name + ".xml");
  Global->Data->ResultsXml->SaveSearchResultToXml(Global->UserDir, name + ".xml", *session.Results,
                                                  *session.Preferences, *session.Profile);
  session.Preferences->SetPreferenceType("Data Tools");
}

void TSavedResults::HandleRequest_LoadResults() {
  const std::string name = GetParamStr(Request.Params, "xmlfilename", "");
  FindOrCreateRequestedSession();
  if (!UsableName(name)) return;
  TSessionData& session = *Session;
  const std::string fileName = name + ".xml";
  std::lock_guard searchGuard(session.SearchLock);
  std::unique_lock guard(session.DataLock);
  std::lock_guard fileGuard(session.FileLock);
  Global->Log(kModule, "Load results from xml : " + fileName);
  // The word tables, the word index and the meta lists point at the
  // results that the loaded ones replace.
  auto dropOldResults = [&session] {
    session.Panes.DropWordTables();
    session.MetaResults = std::make_unique<TMetaResults>(Global->MetaBoost);
  };
  if (!Global->Data->ResultsXml->LoadSearchResultFromXml(Global->UserDir, fileName, *session.Results,
                                                         *session.Preferences, *Global->Predefined, dropOldResults))
    return;
  TPreferences& preferences = *session.Preferences;
  preferences.ClearFilters(false, false);
  session.Results->Narrow.clear();
  Global->Predefined->SetProfileVisible("Custom", preferences.ProfileName == "Custom");
  Global->Predefined->CopyProfile(preferences.ProfileName, *session.Profile);
  session.SavedResultsName = fileName;
  session.SearchPending = false;
  session.ResultsLoaded = true;
  session.Totals.Reset();  // no engine was asked for these results
  preferences.SetPreferenceType("Data Tools");
  const TTask* last = session.Results->LastTask();
  TSearchRequest(Handler).PostProcess(last ? last->Keywords : std::string(), true, session.Profile->RunSearch);
}

void TSavedResults::HandleRequest_DeleteResults() {
  const std::string name = GetParamStr(Request.Params, "xmlfilename", "");
  FindOrCreateRequestedSession();
  TSessionData& session = *Session;
  {
    std::unique_lock guard(session.DataLock);
    session.SavedResultsName.clear();
  }
  if (name.empty() || !UsableName(name)) return;
  std::unique_lock guard(session.DataLock);
  std::lock_guard fileGuard(session.FileLock);
  const std::string path = Global->UserDir + name + ".xml";
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) {
    const bool removed = std::filesystem::remove(path, ec);
    Global->Log(kModule, "Filename : " + path + (removed ? "deleted" : "deleting failed"));
  } else {
    Global->Log(kModule, "Filename : " + path + "does not exist");
  }
  session.Preferences->SetPreferenceType("Data Tools");
}

// Loaded results are shown by the search they came from, in their session.
void TSavedResults::RedirectToLoadedSearch() {
  if (!Session) throw TOvException("Source timeout", "RequestHandler", "Execute");
  std::string keywords, site;
  int se = 0;
  {
    std::shared_lock guard(Session->DataLock);
    if (const TTask* first = Session->Results->FirstTask()) {
      keywords = first->Keywords;
      site = first->SiteOnly;
    }
    se = Session->Preferences->SE + 1;
  }
  // Encoded twice: the parameter reader decodes once and the search decodes
  // the keywords once more; a raw text could also break the header.
  Response.Redirect("/search?keywords=" + URLEncode(URLEncode(keywords)) + "&se=" + std::to_string(se) +
                    "&site=" + URLEncode(site) + "&id=" + std::to_string(Session->Id));
}

}  // namespace orvane
