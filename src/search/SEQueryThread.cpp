#include "search/SEQueryThread.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/Log.h"
#include "base/StrUtils.h"
#include "platform/Folders.h"
#include "platform/HttpClient.h"
#include "platform/Memory.h"
#include "platform/Threads.h"
#include "search/EngineRest.h"
#include "search/FetchContext.h"
#include "search/FetchTotals.h"
#include "search/ResultPage.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"

namespace orvane {

namespace {

double SecondsSince(TMonotonic start) { return std::chrono::duration<double>(MonotonicNow() - start).count(); }

std::string RoundedSeconds(double seconds) { return FloatToStr(std::round(seconds * 100) / 100); }

std::string ReadWholeFile(const std::string& fileName) {
  // A folder opens like a file but reads as empty; it must fail the page.
  std::error_code error;
  std::ifstream in;
  if (std::filesystem::is_regular_file(fileName, error)) in.open(fileName, std::ios::binary);
  if (!in.is_open()) throw TOvException("Cannot open file " + fileName, "SEQueryThread", "FetchPage");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A page that came but cannot count: its engine rests, or it is a CAPTCHA.
class TPageRefused : public TOvException {
 public:
  TPageRefused(const std::string& message, std::string reason)
      : TOvException(message, "SEQueryThread", "FetchParse"), Reason(std::move(reason)) {}
  std::string Reason;
};

// Each pool thread reads its pages into one buffer that keeps its room, so a
// search does not take the memory of its pages fresh from the system. An
// unusually large page gives its room back.
class TPageBuffer {
 public:
  TPageBuffer() : page_(Kept()) { page_.clear(); }
  ~TPageBuffer() {
    if (page_.capacity() > kKeptBytes)
      std::string().swap(page_);
    else
      page_.clear();
  }
  TPageBuffer(const TPageBuffer&) = delete;
  TPageBuffer& operator=(const TPageBuffer&) = delete;
  std::string& Page() { return page_; }

 private:
  static constexpr size_t kKeptBytes = 1u << 20;
  static std::string& Kept() {
    thread_local std::string page;
    return page;
  }
  std::string& page_;
};

}  // namespace

TSEQueryThread::TSEQueryThread(const TFetchContext& context, TSearchQuery& query, const TSearchEngines* engine)
    : context_(context), query_(query), engine_(engine ? engine : context.Engine(query.Engine)) {}

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
    TPageBuffer buffer;
    std::string& page = buffer.Page();
    std::exception_ptr downloadFailure;
    bool sent = true;  // a resting engine's page is refused before it is sent
    try {
      FetchPage(page);
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
  if (!context_.Totals) return;
  TFetchTotals& totals = *context_.Totals;
  std::lock_guard guard(totals.Lock);
  TEngineTally* tally = totals.TallyOf(query_.Engine);
  if (answered) {
    totals.DownloadTime += seconds;
    totals.FetchCpuMs += cpuMs;
    totals.DownloadCount += 1;
  }
  if (!tally) return;
  ++tally->PagesAsked;
  ++(answered ? tally->PagesAnswered : tally->HttpFailures);
  tally->Seconds += seconds;
}

void TSEQueryThread::HandIn(TResultList& results, double seconds, double cpuMs) {
  if (!context_.Totals) {
    for (auto& result : results) query_.Results->push_back(std::move(result));
    return;
  }
  TFetchTotals& totals = *context_.Totals;
  std::lock_guard guard(totals.Lock);
  const auto found = static_cast<int32_t>(results.size());
  for (auto& result : results) query_.Results->push_back(std::move(result));
  totals.ParseTime += seconds;
  totals.ParseCpuMs += cpuMs;
  totals.ParseCount += 1;
  if (TEngineTally* tally = totals.TallyOf(query_.Engine)) {
    tally->ResultsParsed += found;
    tally->Seconds += seconds;
  }
}

std::string TSEQueryThread::DebugSetting(const char* name) const {
  return context_.Setting ? context_.Setting(name) : std::string();
}

void TSEQueryThread::Fail(const std::string& module, const std::string& message, std::string reason) {
  Log(module, "Exception: " + message);
  error_.emplace(message, "TSEQueryThread", "Execute");
  reason_ = std::move(reason);
}

void TSEQueryThread::FetchPage(std::string& page) {
  const std::string engineName = engine_ ? engine_->Name : EngineName(query_.Engine);
  const std::string fileName = engineName + "_file_" + IntToStr(query_.Page) + ".htm";
  const std::string loadPath = DebugSetting("LoadPath");
  // Replaying saved pages lets a search run without the network.
  if (!loadPath.empty()) {
    page = ReadWholeFile(loadPath + "/" + fileName);
    return;
  }
  if (context_.Rest) {
    const std::string resting = context_.Rest->RestingReason(query_.Engine);
    if (!resting.empty()) throw TPageRefused(engineName + " is " + resting, resting);
  }

  THttpClient client(context_.PageTimeout);
  client.RefusePlainHttpBeyondLoopback = true;
  if (engine_) client.Headers = engine_->RequestHeaders();
  client.OnProgress = [this] {
    if (!terminated_) return true;
    // A page that does not count goes quietly.
    if (!held_ || !Dropped()) Log("OnProgress: " + IntToStr(query_.Page), "Terminating...");
    return false;
  };
  try {
    client.GetInto(query_.GetURL(engine_), page);
  } catch (const THttpError& e) {
    if (TEngineRest::AsksForRest(e.Status) && context_.Rest)
      context_.Rest->Rest(query_.Engine, e.Status, e.RetryAfterSeconds);
    throw;
  }
  const std::string savePath = DebugSetting("SavePath");
  if (!savePath.empty()) SaveDebugPage(savePath + "/" + fileName, page);
}

// The page an engine shows instead of results when it wants a person holds
// no results; one that does is a result page, whatever its texts say (a
// search for the words of a CAPTCHA page finds pages that quote them).
void TSEQueryThread::RefuseBlockPage(const std::string& page) const {
  const TRegex* blockPage = engine_->BlockPageRegex();
  if (!blockPage || !blockPage->Matches(page)) return;
  const std::string reason = "asked for a CAPTCHA: open " + query_.HomePage(engine_) + " in your browser once";
  throw TPageRefused(reason, reason);
}

void TSEQueryThread::Parse(const std::string& page, const std::string& module) {
  if (!engine_) throw TOvException("Unknown search engine " + IntToStr(query_.Engine), "SEQueryThread", "FetchParse");
  if (!query_.Results) throw TOvException("No result list for the query", "SEQueryThread", "FetchParse");
  const TMonotonic parseStart = MonotonicNow();
  const double parseCpuStart = ThreadCpuMs();
  TResultPage parsed(*engine_, query_, module, context_.FailedBlockFolder);
  try {
    // Each block makes a result and its texts: the heaviest allocating of a search.
    const TArenaTurn turn;
    parsed.Parse(page);
  } catch (...) {
    RefuseBlockPage(page);
    lastShown_ = parsed.Count.LastShown;
    pageCount_ = parsed.PageCount;
    throw;
  }
  if (parsed.Results.empty()) RefuseBlockPage(page);
  lastShown_ = parsed.Count.LastShown;
  pageCount_ = parsed.PageCount;
  const size_t found = parsed.Results.size();
  const double parseSeconds = SecondsSince(parseStart);
  const double parseCpu = ThreadCpuMs() - parseCpuStart;
  HandIn(parsed.Results, parseSeconds, parseCpu);
  Log(module, "Parsed " + IntToStr(static_cast<int64_t>(found)) + " results " + RoundedSeconds(parseSeconds) + " s.");
  const int32_t perPage = engine_->ResultsPerPage();
  if (parsed.Count.MaxResults % perPage != static_cast<int32_t>(found % static_cast<size_t>(perPage)))
    Log(module, "Incorrect result count, this can lead to missing results");
}

}  // namespace orvane
