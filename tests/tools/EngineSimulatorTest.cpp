#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <algorithm>
#include <future>
#include <memory>
#include <set>

#include "EngineSimulator.h"
#include "SimQuery.h"
#include "data/XMLManager.h"
#include "host/OvException.h"
#include "words/Regex.h"
#include "words/StrUtils.h"

namespace orvane::sim {
namespace {

// ---- What the query thread does with a page, driven by the data file ----

struct TEnginePatterns {
  std::unique_ptr<TRegex> Count, Block;
  std::vector<std::unique_ptr<TRegex>> Elements;
  std::string RawElements;
};

const TEnginePatterns& Patterns(int engine) {
  static const std::vector<TEnginePatterns> all = [] {
    TXMLManager store(std::string(ORVANE_SOURCE_DIR) + "/resources/data/");
    std::vector<TEnginePatterns> list(3);
    for (int e = 0; e < 3; ++e) {
      const pugi::xml_node node = store.Section("engines").child(EngineName(e));
      auto& p = list[e];
      p.Count = std::make_unique<TRegex>(store.ReadString(node, "ResultCount", false), TRegex::kStandard);
      p.Block = std::make_unique<TRegex>(store.ReadString(node, "ResultBlock", false), TRegex::kStandard);
      p.RawElements = store.ReadString(node, "ResultElements", false);
      size_t from = 0;
      for (size_t at = 0; at <= p.RawElements.size(); ++at) {
        if (at == p.RawElements.size() || p.RawElements[at] == '_') {
          p.Elements.push_back(std::make_unique<TRegex>(p.RawElements.substr(from, at - from), TRegex::kStandard));
          from = at + 1;
        }
      }
    }
    return list;
  }();
  return all[engine];
}

struct TParsedResult {
  std::string Title, Link, Description;
  bool Rejected = false, Nested = false, Matched = false;
};

struct TParsedPage {
  int LastShown = 0;
  int64_t Max = 0;
  bool NoResultsText = false;
  int PageCount = 0, FirstRank = 0;
  std::vector<TParsedResult> Blocks;
};

bool PlainInt(std::string_view text, int64_t& value) {
  int32_t v = 0;
  if (!TryStrToInt(text, v)) return false;
  value = v;
  return true;
}

TParsedPage ParseLikeTheQueryThread(int engine, const std::string& html) {
  const TEnginePatterns& p = Patterns(engine);
  TParsedPage page;
  TMatch count(*p.Count);
  if (p.Count->Find(html, count)) {
    int64_t last = 0;
    if (!count.Named("ResultCount").empty()) {
      if (PlainInt(count.Named("ResultCount"), last)) {
        page.LastShown = static_cast<int>(last);
        PlainInt(count.Named("MaxResultCount"), page.Max);
      }
    } else if (!count.Named("ResultCount2").empty()) {
      if (PlainInt(count.Named("ResultCount2"), last)) {
        page.LastShown = static_cast<int>(last);
        PlainInt(count.Named("MaxResultCount2"), page.Max);
      }
    } else {
      page.NoResultsText = !count.Named("ResultCount3").empty();
    }
  }
  page.PageCount = engine == kMSN ? page.LastShown : (page.LastShown + 99) / 100;
  page.FirstRank = ((engine == kMSN ? page.LastShown : page.PageCount) - 1) * 100 + 1;

  std::vector<std::pair<size_t, size_t>> marks;
  TMatch block(*p.Block);
  for (size_t at = 0; p.Block->Find(html, at, block); at = std::max(block.End(), block.Start() + 1))
    marks.emplace_back(block.Start(), block.End());
  static const TRegex tags("<.*?>", TRegex::kStandard);
  static const TRegex translate(".*?translate this page.*?]", TRegex::kCaseless);
  static const TRegex fileFormat(".*?file format:.*?<br>", TRegex::kCaseless);
  static const TRegex descriptionTags("<.*?>", TRegex::kCaseless);
  for (size_t i = 0; i < marks.size(); ++i) {
    const size_t end = i + 1 < marks.size() ? marks[i + 1].first : html.size();
    const std::string text = html.substr(marks[i].second, end - marks[i].second);
    TParsedResult result;
    for (const auto& element : p.Elements) {
      TMatch match(*element);
      if (!element->Find(text, match)) continue;
      result.Matched = true;
      result.Title = match.Named("Title");
      result.Description = match.Named("Description");
      result.Link = URLDecode(match.Named("Link"));
      break;
    }
    if (result.Title.empty() || result.Title == "<") result.Title = result.Link;
    result.Link = Trim(ReplaceAll(tags.ReplaceAll(result.Link, ""), "\"", ""));
    if (engine == kGoogle && result.Link.rfind("/url?q=", 0) == 0) result.Rejected = true;
    for (const char* prefix : {"http://click.yahoo.com/click?u=", "http://track.yahoo.com/click?u="}) {
      if (engine == kYahoo && result.Link.rfind(prefix, 0) == 0) {
        const size_t y = result.Link.find("&y=");
        result.Link = y == std::string::npos ? "" : result.Link.substr(31, y - 31);
      }
    }
    result.Title = tags.ReplaceAll(result.Title, "");
    result.Description = Trim(descriptionTags.ReplaceAll(
        fileFormat.ReplaceAll(translate.ReplaceAll(result.Description, ""), ""), ""));
    result.Nested = engine == kGoogle && i > 0 &&
                    html.substr(marks[i - 1].second, marks[i].first - marks[i - 1].second).find("<blockquote") !=
                        std::string::npos;
    page.Blocks.push_back(std::move(result));
  }
  return page;
}

TEST(EngineSimulatorPatterns, ElementListsSplitCleanlyAndReadAlikeInEveryMode) {
  for (int e = 0; e < 3; ++e) {
    const auto& p = Patterns(e);
    EXPECT_EQ(p.Elements.size(), 2u) << EngineName(e);
    for (char c : p.RawElements) EXPECT_TRUE(static_cast<unsigned char>(c) > ' ' && c != '"' && c != '#') << EngineName(e);
    // Without literal blanks or "#", extended mode changes nothing, so the
    // patterns read the same with or without it.
    for (const auto* pattern : {p.Count.get(), p.Block.get()})
      EXPECT_EQ(pattern->Pattern().find_first_of(" \t\r\n#"), std::string::npos) << EngineName(e);
    for (const auto& element : p.Elements)
      for (const char* group : {"Title", "Link"}) EXPECT_GE(element->GroupNumber(group), 0) << EngineName(e);
  }
}

TEST(EngineSimulatorPatterns, EveryBlockYieldsTheRenderedResult) {
  struct TCase {
    int Engine;
    const char* Keywords;
    int Start;
  };
  const TCase cases[] = {
      {kGoogle, "java garbage collection", 0},  {kGoogle, "bird songs simtotal:5000", 300},
      {kGoogle, "roses site:gardenpath.org", 0}, {kGoogle, "astronomy (dark OR telescope)", 100},
      {kMSN, "language:en cheap flights", 0},   {kMSN, "language:en chess caf\xE9 simtotal:350", 900},
      {kYahoo, "climate change", 0},            {kYahoo, "law \"court decisions\" simtotal:1200", 500},
  };
  int nested = 0, rejected = 0, untitled = 0, bare = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(EngineName(c.Engine)) + " " + c.Keywords);
    const TSimPage page = RenderPage(c.Engine, c.Keywords, c.Start, 100, 2000);
    const TParsedPage parsed = ParseLikeTheQueryThread(c.Engine, page.Html);
    ASSERT_EQ(parsed.Blocks.size(), page.Entries.size());
    ASSERT_FALSE(page.Entries.empty());
    int rank = parsed.FirstRank;
    for (size_t i = 0; i < page.Entries.size(); ++i) {
      const TSimEntry& want = page.Entries[i];
      const TParsedResult& got = parsed.Blocks[i];
      SCOPED_TRACE("block " + std::to_string(i));
      EXPECT_TRUE(got.Matched);
      EXPECT_EQ(got.Rejected, want.Rank == 0);
      if (got.Rejected) {
        ++rejected;
        continue;
      }
      EXPECT_EQ(want.Rank, rank++);
      EXPECT_EQ(got.Link, want.Link);
      EXPECT_EQ(got.Title, want.Title.empty() ? want.Link : want.Title);
      EXPECT_EQ(got.Description, want.Description);
      EXPECT_EQ(got.Nested, want.Nested);
      nested += want.Nested;
      untitled += want.Title.empty();
      bare += want.Description.empty();
    }
  }
  // The cases above must reach the layouts' rarer shapes.
  EXPECT_GT(nested, 0);
  EXPECT_GT(rejected, 0);
  EXPECT_GT(untitled, 0);
  EXPECT_GT(bare, 0);
}

TEST(EngineSimulatorPatterns, CountGroupFollowsThePageRules) {
  struct TCase {
    int Engine;
    const char* Keywords;
    int Start;
    int LastShown, PageCount, FirstRank, Entries;
    int64_t Max;
  };
  const TCase cases[] = {
      // The probe page beyond the end answers the last page.
      {kGoogle, "tomato simtotal:350", 900, 350, 4, 301, 50, 350},
      {kMSN, "language:en tomato simtotal:350", 900, 4, 4, 301, 50, 350},
      {kYahoo, "tomato simtotal:350", 900, 350, 4, 301, 50, 350},
      // More than 1000: ten full pages, the claim stays in the total.
      {kGoogle, "tomato simtotal:48000", 900, 1000, 10, 901, 100, 48000},
      {kMSN, "language:en tomato simtotal:48000", 900, 10, 10, 901, 100, 48000},
      {kYahoo, "tomato simtotal:1200", 900, 1000, 10, 901, 100, 1200},
      {kGoogle, "tomato simtotal:3", 0, 3, 1, 1, 3, 3},
      // Grouped digits are not plain numbers: the count stays 0.
      {kGoogle, "tomato simtotal:48000 simsep", 900, 0, 0, -99, 100, 0},
      {kYahoo, "tomato simtotal:48000 simsep", 900, 0, 0, -99, 100, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(EngineName(c.Engine)) + " " + c.Keywords);
    const TSimPage page = RenderPage(c.Engine, c.Keywords, c.Start);
    const TParsedPage parsed = ParseLikeTheQueryThread(c.Engine, page.Html);
    EXPECT_EQ(parsed.LastShown, c.LastShown);
    EXPECT_EQ(parsed.PageCount, c.PageCount);
    EXPECT_EQ(parsed.FirstRank, c.FirstRank);
    EXPECT_EQ(parsed.Max, c.Max);
    const auto results = std::count_if(page.Entries.begin(), page.Entries.end(), [](auto& e) { return e.Rank > 0; });
    EXPECT_EQ(results, c.Entries);
  }
  for (int e = 0; e < 3; ++e) {
    const TParsedPage none = ParseLikeTheQueryThread(e, RenderPage(e, "tomato simtotal:none", 900).Html);
    EXPECT_TRUE(none.NoResultsText) << EngineName(e);
    EXPECT_TRUE(none.Blocks.empty()) << EngineName(e);
    EXPECT_EQ(none.PageCount, 0) << EngineName(e);
  }
}

// ---- The generated results ----

std::vector<std::string> Links(const TSimPage& page) {
  std::vector<std::string> links;
  for (const auto& entry : page.Entries)
    if (entry.Rank > 0) links.push_back(entry.Link);
  return links;
}

TEST(EngineSimulatorCorpus, PagesAreDeterministicAndControlWordsOnlySteer) {
  const TSimPage first = RenderPage(kYahoo, "solar panels", 100, 100, 900);
  EXPECT_EQ(first.Html, RenderPage(kYahoo, "solar panels", 100, 100, 900).Html);
  EXPECT_EQ(Links(first), Links(RenderPage(kYahoo, "Solar  panels simdelay:10 simtotal:900", 100)));
  std::set<std::string> other;
  for (const auto& link : Links(RenderPage(kYahoo, "solar power", 100, 100, 900))) other.insert(link);
  int same = 0;
  for (const auto& link : Links(first)) same += other.count(link);
  EXPECT_LT(same, 5);
}

TEST(EngineSimulatorCorpus, EnginesShareTopResultsInTheirOwnOrder) {
  const auto google = Links(RenderPage(kGoogle, "medieval castles", 0, 100, 5000));
  for (int e : {kMSN, kYahoo}) {
    const auto other = Links(RenderPage(e, "medieval castles", 0, 100, 5000));
    std::vector<std::string> common;
    for (const auto& link : google)
      if (std::find(other.begin(), other.end(), link) != other.end()) common.push_back(link);
    EXPECT_GE(common.size(), 15u) << EngineName(e);
    EXPECT_LE(common.size(), 60u) << EngineName(e);
    std::vector<std::string> otherOrder;
    for (const auto& link : other)
      if (std::find(common.begin(), common.end(), link) != common.end()) otherOrder.push_back(link);
    EXPECT_NE(common, otherOrder) << EngineName(e);
  }
}

TEST(EngineSimulatorCorpus, ResultsSpanExtensionsFileTypesHomePagesAndRepeats) {
  std::set<std::string> domains, files;
  int homes = 0, repeats = 0;
  std::string html;
  std::set<std::string> seen;
  for (int start = 0; start < 300; start += 100) {
    const TSimPage page = RenderPage(kGoogle, "jazz piano", start, 100, 5000);
    html += page.Html + RenderPage(kYahoo, "jazz piano", start, 100, 5000).Html;
    for (const auto& link : Links(page)) {
      repeats += !seen.insert(link).second;
      const size_t hostEnd = link.find('/', 7);
      const std::string host = link.substr(7, hostEnd == std::string::npos ? std::string::npos : hostEnd - 7);
      domains.insert(host.substr(host.rfind('.') + 1));
      const std::string path = hostEnd == std::string::npos ? "" : link.substr(hostEnd);
      homes += path.empty() || path == "/" || path == "/index.html";
      const size_t dot = path.rfind('.');
      if (dot != std::string::npos && path.find('?') == std::string::npos) files.insert(path.substr(dot + 1));
    }
  }
  EXPECT_GE(domains.size(), 10u);
  for (const char* ext : {"com", "org", "net", "edu", "gov", "uk", "de", "fr"}) EXPECT_TRUE(domains.count(ext)) << ext;
  for (const char* ext : {"htm", "html", "php", "pdf", "doc", "ppt", "xls"}) EXPECT_TRUE(files.count(ext)) << ext;
  EXPECT_GT(homes, 3);
  EXPECT_GT(repeats, 0);
  for (const char* text : {"Translate this page", "File Format:", "&amp;", "<b>", "http://click.yahoo.com/click?u=",
                           "http://track.yahoo.com/click?u=", "&y="})
    EXPECT_NE(html.find(text), std::string::npos) << text;
}

TEST(SimQuery, SeparatesWordsOperatorsAndControls) {
  const TSimQuery q = ParseKeywords(
      "site:Example.org language:en Java -coffee (tutorial OR guide) simtotal:1,200 simfail:500@msn9 "
      "simdelay:250@3 simsep simulation");
  EXPECT_EQ(q.Words, (std::vector<std::string>{"Java", "simulation"}));
  EXPECT_EQ(q.AltWords, (std::vector<std::string>{"tutorial", "guide"}));
  EXPECT_EQ(q.Site, "example.org");
  EXPECT_EQ(q.Controls.Total, 1200);
  EXPECT_EQ(q.Controls.Fail, "500");
  EXPECT_TRUE(q.Controls.FailWhere.Matches(kMSN, 9));
  EXPECT_FALSE(q.Controls.FailWhere.Matches(kMSN, 0));
  EXPECT_FALSE(q.Controls.FailWhere.Matches(kGoogle, 9));
  EXPECT_EQ(q.Controls.DelayMs, 250);
  EXPECT_TRUE(q.Controls.DelayWhere.Matches(kYahoo, 3));
  EXPECT_TRUE(q.Controls.GroupedCount);
  EXPECT_EQ(ParseKeywords("x simtotal:none").Controls.Total, 0);
  EXPECT_EQ(ParseKeywords("x simfail:bogus").Controls.Fail, "");
}

// ---- Over HTTP ----

class EngineSimulatorServer : public ::testing::Test {
 protected:
  void SetUp() override {
    TSimOptions options;
    options.DefaultTotal = 350;
    simulator_ = std::make_unique<TEngineSimulator>(options);
    simulator_->Start();
  }

  httplib::Result Get(int engine, const std::string& target, const std::string& encoding = "identity") {
    httplib::Client client("127.0.0.1", simulator_->Port(engine));
    client.set_url_encode(false);
    client.set_decompress(false);
    return client.Get(target.c_str(), {{"Accept-Encoding", encoding},
                                       {"Accept-Language", "en-us"},
                                       {"User-Agent", "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"}});
  }

  std::unique_ptr<TEngineSimulator> simulator_;
};

std::string Gunzip(const std::string& data) {
  z_stream stream{};
  inflateInit2(&stream, 16 + MAX_WBITS);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  std::string out;
  char buffer[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - stream.avail_out);
  }
  inflateEnd(&stream);
  return status == Z_STREAM_END ? out : "<corrupt>";
}

TEST_F(EngineSimulatorServer, AnswersEachEngineContractAndLogsTheRequest) {
  for (int e = 0; e < 3; ++e) {
    const std::string target = QueryTarget(e, "garden roses", 1, e == kGoogle ? "roses.org" : "");
    const auto res = Get(e, target);
    ASSERT_TRUE(res) << EngineName(e);
    EXPECT_EQ(res->status, 200);
    const std::string keywords = e == kGoogle ? "site:roses.org garden roses" : e == kMSN ? "language:en garden roses" : "garden roses";
    EXPECT_EQ(res->body, RenderPage(e, keywords, 100, 100, 350).Html) << EngineName(e);
  }
  ASSERT_TRUE(simulator_->WaitForRequests(3, 5000));
  const auto log = simulator_->Requests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].Engine, kMSN);
  EXPECT_EQ(log[1].Target, QueryTarget(kMSN, "garden roses", 1));
  EXPECT_EQ(log[1].Start, 100);
  EXPECT_EQ(log[1].Keywords, "language:en garden roses");
  EXPECT_EQ(log[2].AcceptLanguage, "en-us");
  EXPECT_EQ(log[2].UserAgent.rfind("Mozilla/4.0", 0), 0u);
  EXPECT_EQ(log[0].Outcome, "page");
  EXPECT_EQ(Get(kGoogle, "/elsewhere")->status, 404);
}

TEST_F(EngineSimulatorServer, GzipsOnlyWhenAsked) {
  const std::string target = QueryTarget(kYahoo, "opera lyrics", 0);
  const auto zipped = Get(kYahoo, target, "gzip, deflate");
  ASSERT_TRUE(zipped);
  EXPECT_EQ(zipped->get_header_value("Content-Encoding"), "gzip");
  EXPECT_EQ(Gunzip(zipped->body), RenderPage(kYahoo, "opera lyrics", 0, 100, 350).Html);
  const auto plain = Get(kYahoo, target);
  EXPECT_EQ(plain->get_header_value("Content-Encoding"), "");
  EXPECT_EQ(plain->body, RenderPage(kYahoo, "opera lyrics", 0, 100, 350).Html);
  EXPECT_EQ(simulator_->Requests().front().AcceptEncoding, "gzip, deflate");
}

TEST_F(EngineSimulatorServer, FailureControlsHitOnlyTheirTargets) {
  const auto failed = Get(kMSN, QueryTarget(kMSN, "chess simfail:503@msn", 0));
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->status, 503);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:503@msn", 0))->status, 200);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:500@9", 0))->status, 200);
  EXPECT_EQ(Get(kGoogle, QueryTarget(kGoogle, "chess simfail:500@9", 9))->status, 500);

  const auto dropped = Get(kYahoo, QueryTarget(kYahoo, "chess simfail:drop", 0));
  EXPECT_FALSE(dropped && dropped->body == RenderPage(kYahoo, "chess simfail:drop", 0, 100, 350).Html);

  const auto junk = Get(kGoogle, QueryTarget(kGoogle, "chess simfail:junk", 0));
  ASSERT_TRUE(junk);
  EXPECT_EQ(junk->status, 200);
  const TParsedPage parsed = ParseLikeTheQueryThread(kGoogle, junk->body);
  EXPECT_TRUE(parsed.Blocks.empty());
  EXPECT_EQ(parsed.LastShown, 0);
  EXPECT_FALSE(parsed.NoResultsText);
  const auto log = simulator_->Requests();
  EXPECT_EQ(log.front().Outcome, "503");
  EXPECT_EQ(log.back().Outcome, "junk");
}

TEST_F(EngineSimulatorServer, StopCutsAWaitingAnswerShort) {
  auto pending = std::async(std::launch::async,
                            [this] { return Get(kGoogle, QueryTarget(kGoogle, "chess simdelay:600000", 0)); });
  ASSERT_TRUE(simulator_->WaitForRequests(1, 5000));
  simulator_->Stop();
  const auto res = pending.get();
  EXPECT_FALSE(res && res->status == 200);
}

TEST_F(EngineSimulatorServer, ABusyPortFailsToStart) {
  TSimOptions options;
  options.Ports[kMSN] = simulator_->Port(kMSN);
  TEngineSimulator second(options);
  EXPECT_THROW(second.Start(), TOvException);
}

}  // namespace
}  // namespace orvane::sim
