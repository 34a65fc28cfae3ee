#include "EngineSimulator.h"

#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>

#include "DataLayouts.h"
#include "Layouts.h"
#include "base/OvException.h"
#include "base/StrUtils.h"

namespace orvane::sim {

namespace {

constexpr const char* kContentType = "text/html; charset=ISO-8859-1";
constexpr const char* kJsonType = "application/json; charset=utf-8";
constexpr const char* kAtomType = "application/atom+xml; charset=UTF-8";

const char* ContentType(int engine) { return engine == kArxiv ? kAtomType : DataEngine(engine) ? kJsonType : kContentType; }

const char* PathOf(int engine) {
  switch (engine) {
    case kMSN: return "/results.aspx";
    case kWikipedia: return "/w/api.php";
    case kArxiv: return "/api/query";
    case kBrave: return "/res/v1/web/search";
    default: return "/search";
  }
}

std::string RenderView(int engine, const TPageView& view) {
  switch (engine) {
    case kMSN: return RenderMSN(view);
    case kYahoo: return RenderYahoo(view);
    case kWikipedia: return RenderWikipedia(view);
    case kArxiv: return RenderArxiv(view);
    case kSearxng: return RenderSearxng(view);
    case kBrave: return RenderBrave(view);
    default: return RenderGoogle(view);
  }
}

// The entry as the pipeline should read it from the engine's page.
TSimEntry Expected(int engine, const TViewEntry& entry) {
  TSimEntry out;
  out.Rank = entry.Rank;
  out.Nested = entry.Nested;
  if (entry.Rank == 0) {
    out.Link = entry.Href;
    return out;
  }
  out.Link = entry.Doc.Link;
  if (!entry.Untitled) out.Title = HtmlEscape(entry.Doc.Title);
  if (!entry.NoSnippet) out.Description = HtmlEscape(entry.Doc.Snippet);
  if (engine == kWikipedia) {
    out.Title = WikiTitle(entry.Doc.Title);
    out.Link = kWikiBase + ReplaceAll(out.Title, " ", "_");
  } else if (engine == kArxiv) {
    // A feed carries plain text, not markup.
    out.Link = kArxivBase + ArxivNumber(entry.Doc.Link) + "v1";
    if (!entry.Untitled) out.Title = entry.Doc.Title;
    if (!entry.NoSnippet) out.Description = entry.Doc.Snippet;
  }
  return out;
}
constexpr const char* kClickPrefix = "http://click.yahoo.com/click?u=";
constexpr const char* kTrackPrefix = "http://track.yahoo.com/click?u=";

std::string YahooRedirect(const std::string& link, uint64_t choice) {
  return std::string(choice % 2 ? kTrackPrefix : kClickPrefix) + URLEncode(link) + "&y=0" +
         IntToStr(static_cast<int64_t>(choice % 90000000 + 10000000)) + "&i=" + IntToStr(static_cast<int64_t>(choice % 997)) +
         "&w=3";
}

// A Google news box ("/url?q=" link): shown above the first page's results and
// sometimes in the middle of a page.
TViewEntry NewsBox(const TSimQuery& query, uint64_t seed, int engine) {
  TViewEntry box;
  box.Doc = MakeDoc(query, {Mix(seed, 77), Mix(seed, 78)}, engine);
  std::string slug = Slug(query.Phrase());
  if (slug.empty()) slug = "today";
  box.Href = "/url?q=http://news." + slug + "-daily.com/story" + IntToStr(static_cast<int64_t>(seed % 9000 + 1000)) +
             ".html&sa=X&oi=news&ct=result";
  return box;
}

std::string RetryAfterValue(const TControls& controls) {
  if (!controls.RetryAsDate) return IntToStr(controls.RetryAfterS);
  const std::time_t at = std::time(nullptr) + controls.RetryAfterS;
  std::tm parts{};
  gmtime_r(&at, &parts);
  char text[64];
  std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
  return text;
}

}  // namespace

const char* EngineName(int engine) {
  switch (engine) {
    case kGoogle: return "Google";
    case kMSN: return "MSN";
    case kYahoo: return "Yahoo";
    case kWikipedia: return "Wikipedia";
    case kArxiv: return "ArXiv";
    case kSearxng: return "SearXNG";
    case kBrave: return "Brave";
    default: return "";
  }
}

TSimPage RenderPage(int engine, std::string_view keywords, int start, int count, int64_t defaultTotal) {
  const TSimQuery query = ParseKeywords(keywords);
  count = std::clamp(count, 1, DataEngine(engine) ? 500 : 100);
  start = std::max(start, 0);
  TPageView view;
  view.Query = &query;
  view.Keywords = std::string(keywords);
  view.Total = TotalFor(query, engine, defaultTotal);
  view.PageSize = count;
  view.GroupedCount = query.Controls.GroupedCount;
  // A data source lists nothing past its end; the HTML engines show their last page.
  const bool pastEnd = DataEngine(engine) && start >= view.Total.Served;
  if (view.Total.Served > 0 && !query.Empty() && !pastEnd) {
    if (start >= view.Total.Served) start = (view.Total.Served - 1) / count * count;
    view.First = start + 1;
    view.Last = std::min(start + count, view.Total.Served);
    view.Page = start / count + 1;
    const uint64_t seed = HashText(query.Seed);
    for (int k = start; k < view.Last; ++k) {
      TViewEntry entry;
      entry.Doc = MakeDoc(query, DocAt(query, engine, k), engine);
      entry.Rank = k + 1;
      entry.Nested = engine == kGoogle && k != start && NestedAt(query, engine, k);
      const uint64_t look = Mix(Mix(seed, 40 + static_cast<uint64_t>(engine)), static_cast<uint64_t>(k));
      entry.NoSnippet = look % (engine == kMSN ? 35 : 30) == 0;
      entry.Untitled = engine == kMSN && look % 41 == 1;
      if (query.Controls.BadEscape && k == std::min(start + 3, view.Last - 1)) entry.Doc.Link += "?ref=100%zz";
      entry.Href = entry.Doc.Link;
      if (engine == kYahoo && look % 4 != 0 && !query.Controls.BadEscape) entry.Href = YahooRedirect(entry.Doc.Link, look >> 8);
      view.Entries.push_back(std::move(entry));
    }
    if (engine == kGoogle) {
      // A box never stands between a result and the one nested under it.
      if (Mix(seed, 900 + static_cast<uint64_t>(view.Page)) % 4 == 0) {
        for (size_t i = 50; i < view.Entries.size(); ++i) {
          if (!view.Entries[i].Nested) {
            view.Entries.insert(view.Entries.begin() + static_cast<std::ptrdiff_t>(i), NewsBox(query, seed + 1, engine));
            break;
          }
        }
      }
      if (start == 0) view.Entries.insert(view.Entries.begin(), NewsBox(query, seed, engine));
    }
  }

  TSimPage page;
  page.Html = RenderView(engine, view);
  page.Total = view.Total;
  page.FirstShown = view.First;
  page.LastShown = view.Last;
  page.PageNumber = view.Page;
  for (const TViewEntry& entry : view.Entries) page.Entries.push_back(Expected(engine, entry));
  return page;
}

namespace {

std::vector<std::string> BlankSeparated(std::string_view text) {
  std::vector<std::string> words;
  for (size_t at = text.find_first_not_of(' '); at != std::string_view::npos; at = text.find_first_not_of(' ', at)) {
    const size_t end = std::min(text.find(' ', at), text.size());
    words.emplace_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

// arXiv wants a field on every word: "all:a AND all:b".
std::string ArxivQuery(std::string_view keywords) {
  std::string query;
  for (const std::string& word : BlankSeparated(keywords)) query += (query.empty() ? "all:" : " AND all:") + word;
  return query;
}

// The words of an arXiv query, as the other engines are sent them.
std::string ArxivKeywords(const std::string& query) {
  std::string keywords;
  for (std::string word : BlankSeparated(query)) {
    if (word == "AND") continue;
    if (word.starts_with("all:")) word.erase(0, 4);
    keywords += (keywords.empty() ? "" : " ") + word;
  }
  return keywords;
}

}  // namespace

std::string QueryTarget(int engine, std::string_view keywords, int page, std::string_view site) {
  const std::string encoded = URLEncode(keywords);
  switch (engine) {
    case kGoogle:
      return "/search?num=100&start=" + IntToStr(page * 100) + "&q=" +
             (site.empty() ? encoded : "site:" + std::string(site) + "%20" + encoded) + "&lr=lang_en";
    case kMSN:
      return "/results.aspx?q=language:en%20" + encoded + "&count=100&first=" + IntToStr(page * 100 + 1) +
             "&FORM=PORE";
    case kYahoo:
      return "/search?_adv_prop=web&ei=UTF-8&va=" + encoded + "&fl=1&vl=lang_en&n=100&b=" +
             IntToStr(page * 100 + 1);
    case kWikipedia:
      return "/w/api.php?action=query&list=search&format=json&formatversion=2&srsearch=" + encoded +
             "&srlimit=100&sroffset=" + IntToStr(page * 100);
    case kArxiv:
      return "/api/query?search_query=" + URLEncode(ArxivQuery(keywords)) + "&start=" + IntToStr(page * 200) +
             "&max_results=200&sortBy=relevance";
    case kSearxng: return "/search?q=" + encoded + "&format=json&pageno=" + IntToStr(page + 1);
    case kBrave: return "/res/v1/web/search?q=" + encoded + "&count=20&offset=" + IntToStr(page);
    default: return {};
  }
}

int PageSize(int engine) {
  switch (engine) {
    case kArxiv: return 200;
    case kSearxng:
    case kBrave: return 20;
    default: return 100;
  }
}

TEngineSimulator::TEngineSimulator(TSimOptions options) : options_(std::move(options)) {}

TEngineSimulator::~TEngineSimulator() { Stop(); }

std::string TEngineSimulator::HostOf(int engine) const { return "127.0.0.1:" + IntToStr(ports_[engine]); }

void TEngineSimulator::Start() {
  if (servers_[0]) return;  // already serving
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
  }
  for (int e = 0; e < kEngineCount; ++e) {
    auto server = std::make_unique<httplib::Server>();
    // A search asks for up to ten pages of one engine at once, and keeps
    // its connections for the next search, as real engines let it: each
    // connection holds a thread until it has been idle for a second.
    server->new_task_queue = [] { return new httplib::ThreadPool(48); };
    server->set_keep_alive_max_count(1000);
    server->set_keep_alive_timeout(1);
    // Address reuse only: sharing the port with another listener would hide a
    // second simulator (or anything else) bound to the same port.
    int listener = -1;
    server->set_socket_options([&listener](int sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
      // Accepted connections inherit it: on a kept connection the head and
      // the body would otherwise wait for the client's delayed ACK.
      setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
      listener = sock;
    });
    server->Get(PathOf(e),
                [this, e](const httplib::Request& request, httplib::Response& response) { Serve(e, request, response); });
    const int wanted = options_.Ports[e];
    const int port = wanted > 0 ? (server->bind_to_port("127.0.0.1", wanted) ? wanted : -1)
                                : server->bind_to_any_port("127.0.0.1");
    if (port <= 0) {
      for (auto& bound : servers_) bound.reset();
      throw TOvException("Cannot listen on 127.0.0.1:" + IntToStr(wanted) + " for " + EngineName(e),
                         "EngineSimulator", "Start");
    }
    // cpp-httplib listens with a backlog of 5: the ten page requests of a
    // search would overflow it and wait a second for the SYN to be resent.
    if (listener >= 0) ::listen(listener, SOMAXCONN);
    ports_[e] = port;
    servers_[e] = std::move(server);
  }
  // The sockets already listen, so clients may connect at once; stop() only
  // takes effect once the accept loop runs, hence the wait.
  for (int e = 0; e < kEngineCount; ++e) threads_[e] = std::thread([server = servers_[e].get()] { server->listen_after_bind(); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (auto& server : servers_)
    while (!server->is_running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void TEngineSimulator::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (int e = 0; e < kEngineCount; ++e) {
    if (servers_[e]) servers_[e]->stop();
    if (threads_[e].joinable()) threads_[e].join();
    servers_[e].reset();
  }
}

bool TEngineSimulator::Pause(int ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void TEngineSimulator::Record(TRequestRecord record, bool prerendered) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (prerendered) ++prerenderedHits_;
  if (!options_.LogFile.empty()) {
    std::ofstream log(options_.LogFile, std::ios::app | std::ios::binary);
    log << EngineName(record.Engine) << ' ' << record.Outcome << ' ' << record.Target
        << " | Accept-Encoding: " << record.AcceptEncoding << " | User-Agent: " << record.UserAgent << '\n';
  }
  requests_.push_back(std::move(record));
  changed_.notify_all();
}

namespace {

// The keywords, the 0-based first result and the results per page of a
// request, read from each engine's own parameters.
int ReadQuery(int engine, const httplib::Request& request, TRequestRecord& record) {
  auto intParam = [&request](const char* name, int fallback) {
    int32_t value = fallback;
    return request.has_param(name) && TryStrToInt(request.get_param_value(name), value) ? value : fallback;
  };
  int count = 10;
  if (engine == kWikipedia) {
    record.Keywords = request.get_param_value("srsearch");
    record.Start = intParam("sroffset", 0);
    count = intParam("srlimit", 10);
  } else if (engine == kArxiv) {
    record.Keywords = ArxivKeywords(request.get_param_value("search_query"));
    record.Start = intParam("start", 0);
    count = intParam("max_results", 10);
  } else if (engine == kSearxng || engine == kBrave) {
    record.Keywords = request.get_param_value("q");
    count = engine == kBrave ? intParam("count", 20) : PageSize(kSearxng);
    record.Start = (engine == kBrave ? intParam("offset", 0) : intParam("pageno", 1) - 1) * count;
  } else if (engine == kGoogle) {
    record.Keywords = request.get_param_value("q");
    record.Start = intParam("start", 0);
    count = intParam("num", 10);
  } else if (engine == kMSN) {
    record.Keywords = request.get_param_value("q");
    record.Start = intParam("first", 1) - 1;
    count = intParam("count", 10);
  } else {
    record.Keywords = request.get_param_value(request.has_param("va") ? "va" : "p");
    record.Start = intParam("b", 1) - 1;
    count = intParam("n", 10);
  }
  return count;
}

}  // namespace

void TEngineSimulator::Serve(int engine, const httplib::Request& request, httplib::Response& response) {
  TRequestRecord record;
  record.Engine = engine;
  record.Target = request.target;
  const int count = ReadQuery(engine, request, record);
  record.AcceptEncoding = request.get_header_value("Accept-Encoding");
  record.Accept = request.get_header_value("Accept");
  record.AcceptLanguage = request.get_header_value("Accept-Language");
  record.UserAgent = request.get_header_value("User-Agent");
  record.Token = request.get_header_value("X-Subscription-Token");
  if (ServePrerendered(engine, request, response, record)) return;

  const TSimQuery query = ParseKeywords(record.Keywords);
  const int pageIndex = std::max(record.Start, 0) / (DataEngine(engine) ? std::max(count, 1) : 100);
  const TControls& controls = query.Controls;
  const bool fail = !controls.Fail.empty() && controls.FailWhere.Matches(engine, pageIndex);
  const bool refused = engine == kBrave && record.Token != options_.BraveKey;
  record.Outcome = refused ? "401" : fail ? controls.Fail : "page";
  const std::string keywords = record.Keywords;
  const int start = record.Start;
  Record(std::move(record));

  const int delay = options_.DelayMs + (controls.DelayWhere.Matches(engine, pageIndex) ? controls.DelayMs : 0);
  if (delay > 0 && !Pause(delay)) {
    response.status = 503;
    return;
  }
  const std::string& mode = controls.Fail;
  const char* type = ContentType(engine);
  if (refused) {
    response.status = 401;
    response.set_content(RenderJsonError(401), kJsonType);
  } else if (fail && mode == "junk") {
    response.set_content(RenderJunk(), kContentType);
  } else if (fail && mode == "hang") {
    Pause(24 * 3600 * 1000);  // until Stop
    response.status = 503;
  } else if (fail && mode == "length") {
    auto html = std::make_shared<std::string>(RenderPage(engine, keywords, start, count, options_.DefaultTotal).Html);
    response.set_content_provider(html->size() * 2, type,
                                  [html](size_t offset, size_t, httplib::DataSink& sink) {
                                    if (offset == 0) sink.write(html->data(), html->size());
                                    return offset == 0;
                                  });
  } else if (fail && mode == "huge") {
    // A whole page first, so the results are there, then padding in pieces.
    auto html = std::make_shared<std::string>(RenderPage(engine, keywords, start, count, options_.DefaultTotal).Html);
    constexpr size_t kHuge = 50u << 20;
    response.set_content_provider(kHuge, type,
                                  [html](size_t offset, size_t, httplib::DataSink& sink) {
                                    static const std::string kPadding(64 * 1024, ' ');
                                    if (offset == 0) return sink.write(html->data(), html->size());
                                    return sink.write(kPadding.data(), std::min(kPadding.size(), kHuge - offset));
                                  });
  } else if (fail && mode == "binary") {
    std::string bytes(64 * 1024, '\0');
    uint32_t seed = 2463534242u;
    for (char& c : bytes) {
      seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
      c = static_cast<char>(seed);
    }
    response.set_content(bytes, "application/octet-stream");
  } else if (fail && mode == "captcha") {
    // A data source that wants a person answers with an HTML page instead.
    response.set_content(DataEngine(engine) ? RenderJunk() : RenderBlockPage(engine), kContentType);
  } else if (fail && mode == "loop") {
    response.status = 302;
    response.set_header("Location", request.target);
  } else if (fail && controls.Fail == "drop") {
    // The length announces the whole page, but the connection closes halfway.
    auto html = std::make_shared<std::string>(RenderPage(engine, keywords, start, count, options_.DefaultTotal).Html);
    response.set_content_provider(html->size(), type,
                                  [html](size_t offset, size_t, httplib::DataSink& sink) {
                                    if (offset == 0) sink.write(html->data(), html->size() / 2);
                                    return false;
                                  });
  } else if (fail) {
    response.status = std::stoi(controls.Fail);
    if (controls.RetryAfterS >= 0) response.set_header("Retry-After", RetryAfterValue(controls));
    if (DataEngine(engine)) response.set_content(RenderJsonError(response.status), kJsonType);
    else response.set_content(RenderError(response.status), kContentType);
  } else {
    response.set_content(RenderPage(engine, keywords, start, count, options_.DefaultTotal).Html, type);
  }
}

bool TEngineSimulator::ServePrerendered(int engine, const httplib::Request& request, httplib::Response& response,
                                        TRequestRecord& record) {
  std::shared_ptr<const TPrerenderedPages> pages;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pages = prerendered_;
  }
  const TPrerenderedPage* page = pages ? pages->Find(engine, request.target) : nullptr;
  if (!page) return false;
  const bool gzip = record.AcceptEncoding.find("gzip") != std::string::npos;
  record.Outcome = "page";
  Record(std::move(record), true);
  if (options_.DelayMs > 0 && !Pause(options_.DelayMs)) {
    response.status = 503;
    return true;
  }
  if (!gzip) {
    response.set_content(page->Html, kContentType);
    return true;
  }
  // A provider of known length is sent as it is, so the page is not gzipped again.
  response.set_header("Content-Encoding", "gzip");
  response.set_content_provider(page->Gzipped.size(), kContentType,
                                [pages, page](size_t offset, size_t length, httplib::DataSink& sink) {
                                  return sink.write(page->Gzipped.data() + offset, length);
                                });
  return true;
}

void TEngineSimulator::UsePrerendered(std::shared_ptr<const TPrerenderedPages> pages) {
  std::lock_guard<std::mutex> lock(mutex_);
  prerendered_ = std::move(pages);
}

size_t TEngineSimulator::PrerenderedHits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return prerenderedHits_;
}

std::vector<TRequestRecord> TEngineSimulator::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void TEngineSimulator::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

bool TEngineSimulator::WaitForRequests(size_t count, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requests_.size() >= count; });
}

}  // namespace orvane::sim
