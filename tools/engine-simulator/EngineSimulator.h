// TEngineSimulator: local HTTP listeners on 127.0.0.1, one per engine, that
// answer the query URLs of the Google, MSN and Yahoo engines with result pages
// in three layouts of our own, and those of the Wikipedia, arXiv, SearXNG and
// Brave definitions with JSON or Atom in each source's documented shape, so
// the search pipeline, its tests and the demo run without the real engines.
// Owned by whoever starts it (a test fixture, the engine-simulator program);
// its request log is guarded by its own mutex.
//
// Results are generated from a built-in corpus and depend only on the query
// words, the engine and the position, so every run answers alike.
//
// Control words: keywords that start with "sim" steer one query and are left
// out of the generated text, so one running simulator serves every case:
//   simtotal:N      the engines claim N results (serve at most 1000);
//                   simtotal:none or simtotal:0 gives the "no results" page
//   simdelay:MS     wait MS milliseconds before answering
//   simfail:500     answer with that HTTP status (any 3-digit code)
//   simfail:drop    send the headers and part of the body, then close
//   simfail:junk    answer 200 with a page that is not a result page
//   simfail:hang    accept the request and never answer (until Stop)
//   simfail:length  announce twice the page's length, send the page, close
//   simfail:huge    a result page padded to 50 MB
//   simfail:binary  answer 200 with 64 KB of binary garbage
//   simfail:loop    redirect to the same address, for ever
//   simfail:captcha answer 200 with the engine's consent or CAPTCHA page
//   simretry:S      a failing status carries "Retry-After: S" (seconds)
//   simretrydate:S  ... as an HTTP date S seconds ahead
//   simsep          write the count group with thousands separators
//   simbadescape    one link per page carries a malformed "%" escape
// simdelay and simfail take an optional "@" selector: an engine name, a page
// index (start / 100) or both, e.g. simfail:500@msn, simdelay:3000@9,
// simfail:drop@google2 (also @wikipedia, @arxiv, @searxng, @brave; their page
// index is start / their page size). Without one they apply to every request.
// The Brave listener answers 401 unless X-Subscription-Token holds the key.
//
// A start beyond the last result answers the last page, as the real engines
// did. Blanks in the request target must be sent as "%20".
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "PrerenderedPages.h"
#include "ResultList.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}

namespace orvane::sim {

enum TEngineIndex : int { kGoogle = 0, kMSN = 1, kYahoo = 2, kWikipedia = 3, kArxiv = 4, kSearxng = 5, kBrave = 6 };
constexpr int kEngineCount = 7;
// The key the Brave listener expects unless TSimOptions says otherwise.
constexpr const char* kBraveKey = "sim-brave-key";

// The definition name of each engine ("Google" ... "ArXiv", "SearXNG", "Brave").
const char* EngineName(int engine);
// The engines that answer with JSON or Atom.
inline bool DataEngine(int engine) { return engine >= kWikipedia; }

// One result as the pipeline should take it from the page: the title and
// description with tags removed (entities stay), the link after decoding and
// redirect removal.
struct TSimEntry {
  int Rank = 0;          // engine rank from 1; 0 for a box whose link is rejected
  std::string Title;     // empty when the page shows no title (the link stands in)
  std::string Link;
  std::string Description;
  bool Nested = false;   // Google: indented under the previous result
};

struct TSimPage {
  std::string Html;
  std::vector<TSimEntry> Entries;  // one per result block, in page order
  TEngineTotal Total;
  int FirstShown = 0;  // 0 on a page without results
  int LastShown = 0;
  int PageNumber = 0;  // 1-based
};

// Renders one result page. `start` is the 0-based position of the first
// result (Google "start", MSN "first" - 1, Yahoo "b" - 1, Wikipedia
// "sroffset", arXiv "start", SearXNG and Brave their page times `count`);
// `count` results per page (at most 100 for the three, 500 for the others);
// `keywords` as the engine received them, control words included.
TSimPage RenderPage(int engine, std::string_view keywords, int start, int count = 100,
                    int64_t defaultTotal = kVariedTotal);

// The request target (path and query) the pipeline sends for a page index,
// blanks as "%20": handy for tests and benchmarks.
std::string QueryTarget(int engine, std::string_view keywords, int page, std::string_view site = {});
// Results per page of the shipped definition of an engine.
int PageSize(int engine);

struct TSimOptions {
  int Ports[kEngineCount] = {};  // 0: any free port
  int64_t DefaultTotal = kVariedTotal;
  int DelayMs = 0;      // added to every answer
  std::string LogFile;  // one line per request when not empty
  std::string BraveKey = kBraveKey;
};

struct TRequestRecord {
  int Engine = -1;
  std::string Target;  // path and query as sent
  std::string Keywords;
  int Start = 0;
  std::string AcceptEncoding, Accept, AcceptLanguage, UserAgent, Token;
  std::string Outcome;  // "page", "drop", "junk" or the status code of a failure
};

class TEngineSimulator {
 public:
  explicit TEngineSimulator(TSimOptions options = {});
  ~TEngineSimulator();
  TEngineSimulator(const TEngineSimulator&) = delete;
  TEngineSimulator& operator=(const TEngineSimulator&) = delete;

  // Binds the listeners and starts serving; raises TOvException when a
  // port cannot be bound.
  void Start();
  // Stops serving; waiting answers are cut short. Safe to call twice.
  void Stop();

  int Port(int engine) const { return ports_[engine]; }
  // "127.0.0.1:P", the value of a <Name>Host setting such as GoogleHost.
  std::string HostOf(int engine) const;

  std::vector<TRequestRecord> Requests() const;
  void ClearRequests();
  // Waits until at least `count` requests were logged; false on time-out.
  bool WaitForRequests(size_t count, int timeoutMs) const;

  // Pre-render mode: pages found in `pages` are answered from memory without
  // rendering; others as before. nullptr renders every page again.
  void UsePrerendered(std::shared_ptr<const TPrerenderedPages> pages);
  // Pages answered from the pre-rendered set so far.
  size_t PrerenderedHits() const;

 private:
  void Serve(int engine, const httplib::Request& request, httplib::Response& response);
  void Record(TRequestRecord record, bool prerendered = false);
  // Answers from the pre-rendered pages; false when the page is not there.
  bool ServePrerendered(int engine, const httplib::Request& request, httplib::Response& response,
                        TRequestRecord& record);
  // Waits `ms` or until Stop; false when stopped.
  bool Pause(int ms);

  TSimOptions options_;
  int ports_[kEngineCount] = {};
  std::unique_ptr<httplib::Server> servers_[kEngineCount];
  std::thread threads_[kEngineCount];

  mutable std::mutex mutex_;  // guards everything below
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  std::vector<TRequestRecord> requests_;
  std::shared_ptr<const TPrerenderedPages> prerendered_;
  size_t prerenderedHits_ = 0;
};

}  // namespace orvane::sim
