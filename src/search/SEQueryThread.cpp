#include "search/SEQueryThread.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/StrUtils.h"
#include "host/GlobalData.h"
#include "platform/Folders.h"
#include "platform/HttpClient.h"
#include "platform/Threads.h"
#include "search/EngineRest.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

namespace orvane {

namespace {

double SecondsSince(TMonotonic start) { return std::chrono::duration<double>(MonotonicNow() - start).count(); }

std::string RoundedSeconds(double seconds) { return FloatToStr(std::round(seconds * 100) / 100); }

// Blocks that fail to parse are kept next to the data folder for inspection.
std::string FailedBlockFolder() {
  if (!Global || Global->DataDir.empty()) return "";
  std::filesystem::path data(Global->DataDir);
  if (!data.has_filename()) data = data.parent_path();
  const std::string folder = data.parent_path().string();
  if (folder.empty()) return "";
  return IsWritableFolder(folder) ? folder + "/" : Global->WritableDir;
}

std::string ReadWholeFile(const std::string& fileName) {
  // A folder opens like a file but reads as empty; it must fail the page.
  std::error_code error;
  std::ifstream in;
  if (std::filesystem::is_regular_file(fileName, error)) in.open(fileName, std::ios::binary);
  if (!in.is_open()) throw TOvException("Cannot open file " + fileName, "SEQueryThread", "FetchPage");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Caller holds ResultsLock. The tallies grow to the highest engine asked.
TEngineTally* TallyOf(TSessionData& session, int engine) {
  if (engine < 0) return nullptr;
  if (engine >= static_cast<int>(session.EngineTallies.size())) session.EngineTallies.resize(engine + 1);
  return &session.EngineTallies[engine];
}

// Read at every fetch, so replaying or keeping pages can be switched on while
// the server runs.
std::string DebugFolder(const char* name) { return Global && Global->Reg ? Global->Reg->ReadString(name, "") : ""; }

// A page that came but cannot count: its engine rests, or it is a CAPTCHA.
class TPageRefused : public TOvException {
 public:
  TPageRefused(const std::string& message, std::string reason)
      : TOvException(message, "SEQueryThread", "FetchParse"), Reason(std::move(reason)) {}
  std::string Reason;
};

}  // namespace

TSEQueryThread::TSEQueryThread(TSessionData& session, TSearchQuery& query, const TSearchEngines* engine)
    : session_(session), query_(query), engine_(engine ? engine : query.EngineDefinition()) {}

TSEQueryThread::~TSEQueryThread() {
  Terminate();
  Join();
}

void TSEQueryThread::Start() {
  if (started_) return;
  TThreadPool::Shared().Run([this] { FetchParse(); });
  started_ = true;
}

void TSEQueryThread::Terminate() {
  terminated_ = true;
  if (held_) Release(false);
}

void TSEQueryThread::Release(bool counts) {
  {
    std::lock_guard guard(doneLock_);
    if (decision_ != kUndecided) return;
    decision_ = counts ? kCount : kDrop;
    doneSignal_.notify_all();
  }
  if (!counts) terminated_ = true;
}

bool TSEQueryThread::Dropped() const {
  std::lock_guard guard(doneLock_);
  return decision_ == kDrop;
}

bool TSEQueryThread::WaitForRelease() {
  if (!held_) return true;
  std::unique_lock lock(doneLock_);
  doneSignal_.wait(lock, [this] { return decision_ != kUndecided; });
  return decision_ == kCount;
}

bool TSEQueryThread::Done() const {
  std::lock_guard guard(doneLock_);
  return done_;
}

bool TSEQueryThread::WaitUntil(TMonotonic deadline) const {
  std::unique_lock lock(doneLock_);
  return doneSignal_.wait_until(lock, deadline, [this] { return done_; });
}

bool TSEQueryThread::WaitFor(int64_t milliseconds) const {
  return WaitUntil(MonotonicNow() + std::chrono::milliseconds(milliseconds));
}

void TSEQueryThread::Join() {
  if (!started_) return;
  std::unique_lock lock(doneLock_);
  doneSignal_.wait(lock, [this] { return done_; });
}

void TSEQueryThread::SetDone() {
  // Signalled under the lock: the owner may destroy this object as soon as
  // it sees done_, and the pool thread must not touch it after that.
  std::lock_guard guard(doneLock_);
  done_ = true;
  doneSignal_.notify_all();
}

void TSEQueryThread::FetchParse() {
  const std::string tid = IntToStr(CurrentThreadId());
  const std::string module = "Query Thread " + tid;
  error_.reset();
  reason_.clear();
  try {
    Log(module, "Start, tid=" + tid);
    const TMonotonic downloadStart = MonotonicNow();
    const double fetchCpuStart = ThreadCpuMs();
    std::string page;
    std::exception_ptr downloadFailure;
    bool sent = true;  // a resting engine's page is refused before it is sent
    try {
      page = FetchPage();
    } catch (const TPageRefused&) {
      downloadFailure = std::current_exception();
      sent = false;
    } catch (...) {
      downloadFailure = std::current_exception();
    }
    const double downloadSeconds = SecondsSince(downloadStart);
    const double fetchCpu = ThreadCpuMs() - fetchCpuStart;
    if (!WaitForRelease()) {
      Log(module, "Dropped page " + IntToStr(query_.Page) + ": beyond the pages the engine has");
      SetDone();
      return;
    }
    if (sent) CountDownload(!downloadFailure, downloadSeconds, fetchCpu);
    if (downloadFailure) std::rethrow_exception(downloadFailure);
    Log(module, "Downloaded page " + RoundedSeconds(downloadSeconds) + " s.");
    Parse(page, module);
  } catch (const THttpError& e) {
    Fail(module, e.what(), e.Reason);
  } catch (const TPageRefused& e) {
    Fail(module, e.what(), e.Reason);
  } catch (const TAbortException& e) {
    Fail(module, e.what(), "stopped");
  } catch (const std::exception& e) {
    Fail(module, e.what(), "unreadable page");
  } catch (...) {
    Log(module, "Exception");
    error_.emplace("Query thread unknown error", "TSEQueryThread", "Execute");
    reason_ = "unknown error";
  }
  SetDone();
}

void TSEQueryThread::CountDownload(bool answered, double seconds, double cpuMs) {
  std::lock_guard guard(session_.ResultsLock);
  TEngineTally* tally = TallyOf(session_, query_.Engine);
  if (answered) {
    session_.DownloadTime += seconds;
    session_.FetchCpuMs += cpuMs;
    session_.DownloadCount += 1;
  }
  if (!tally) return;
  ++tally->PagesAsked;
  ++(answered ? tally->PagesAnswered : tally->HttpFailures);
  tally->Seconds += seconds;
}

void TSEQueryThread::Fail(const std::string& module, const std::string& message, std::string reason) {
  Log(module, "Exception: " + message);
  error_.emplace(message, "TSEQueryThread", "Execute");
  reason_ = std::move(reason);
}

std::string TSEQueryThread::FetchPage() {
  const std::string engineName = engine_ ? engine_->Name : EngineName(query_.Engine);
  const std::string fileName = engineName + "_file_" + IntToStr(query_.Page) + ".htm";
  const std::string loadPath = DebugFolder("LoadPath");
  // Replaying saved pages lets a search run without the network.
  if (!loadPath.empty()) return ReadWholeFile(loadPath + "/" + fileName);
  if (Global && Global->EngineRest) {
    const std::string resting = Global->EngineRest->RestingReason(query_.Engine);
    if (!resting.empty()) throw TPageRefused(engineName + " is " + resting, resting);
  }

  THttpClient client(Global ? Global->PageTimeout : THttpClient::kTransferTimeoutSeconds);
  client.RefusePlainHttpBeyondLoopback = true;
  if (engine_) client.Headers = engine_->RequestHeaders();
  client.OnProgress = [this] {
    if (!terminated_) return true;
    // A page that does not count goes quietly.
    if (!held_ || !Dropped()) Log("OnProgress: " + IntToStr(query_.Page), "Terminating...");
    return false;
  };
  std::string page;
  try {
    page = client.Get(query_.GetURL());
  } catch (const THttpError& e) {
    if (TEngineRest::AsksForRest(e.Status) && Global && Global->EngineRest)
      Global->EngineRest->Rest(query_.Engine, e.Status, e.RetryAfterSeconds);
    throw;
  }
  const std::string savePath = DebugFolder("SavePath");
  if (!savePath.empty()) SaveDebugPage(savePath + "/" + fileName, page);
  return page;
}

void TSEQueryThread::Parse(const std::string& page, const std::string& module) {
  if (!engine_) throw TOvException("Unknown search engine " + IntToStr(query_.Engine), "SEQueryThread", "FetchParse");
  if (!query_.Results) throw TOvException("No result list for the query", "SEQueryThread", "FetchParse");
  if (const TRegex* blockPage = engine_->BlockPageRegex(); blockPage && blockPage->Matches(page)) {
    const std::string reason = "asked for a CAPTCHA: open " + query_.HomePage() + " in your browser once";
    throw TPageRefused(reason, reason);
  }
  const TMonotonic parseStart = MonotonicNow();
  const double parseCpuStart = ThreadCpuMs();
  TResultPage parsed(*engine_, query_, module, FailedBlockFolder());
  try {
    parsed.Parse(page);
  } catch (...) {
    lastShown_ = parsed.Count.LastShown;
    pageCount_ = parsed.PageCount;
    throw;
  }
  lastShown_ = parsed.Count.LastShown;
  pageCount_ = parsed.PageCount;
  const size_t found = parsed.Results.size();
  const double parseSeconds = SecondsSince(parseStart);
  const double parseCpu = ThreadCpuMs() - parseCpuStart;
  {
    std::lock_guard guard(session_.ResultsLock);
    for (auto& result : parsed.Results) query_.Results->push_back(std::move(result));
    session_.ParseTime += parseSeconds;
    session_.ParseCpuMs += parseCpu;
    session_.ParseCount += 1;
    if (TEngineTally* tally = TallyOf(session_, query_.Engine)) {
      tally->ResultsParsed += static_cast<int32_t>(found);
      tally->Seconds += parseSeconds;
    }
  }
  Log(module, "Parsed " + IntToStr(static_cast<int64_t>(found)) + " results " + RoundedSeconds(parseSeconds) + " s.");
  const int32_t perPage = engine_->ResultsPerPage();
  if (parsed.Count.MaxResults % perPage != static_cast<int32_t>(found % static_cast<size_t>(perPage)))
    Log(module, "Incorrect result count, this can lead to missing results");
}

}  // namespace orvane
