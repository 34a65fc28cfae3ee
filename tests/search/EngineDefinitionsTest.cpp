// Engines as data: the definitions the data file adds beside the three
// built-in ones, their URL templates and link rules, and what happens to a
// definition that cannot be used.
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/OvException.h"
#include "search/EngineShape.h"
#include "host/GlobalData.h"
#include "search/ResultPage.h"
#include "search/SearchFetch.h"
#include "search/SearchEngines.h"
#include "search/SearchQuery.h"
#include "platform/HttpClient.h"
#include "search/SearchTestSupport.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

using testing::DataXml;
using testing::EngineSectionXml;

// An added engine section: the test patterns, then the given elements.
std::string Added(const std::string& name, const std::string& elements) {
  std::string section = EngineSectionXml(name);
  return section.insert(section.rfind("</"), elements);
}

// An unclosed group in front of the block pattern.
std::string WithBrokenBlockPattern(std::string section) {
  const std::string opening = "<ResultBlock><![CDATA[";
  return section.insert(section.find(opening) + opening.size(), "(");
}

const char* const kUsableURL = "<URL>{scheme}://{host}/find?q={keywords|percent}&from={first1}&n={count}</URL>";

TEST(EngineDefinitions, AddedEnginesFollowTheThreeInDataFileOrderAndBadOnesAreLeftOut) {
  const std::string sections =
      EngineSectionXml("Google") + EngineSectionXml("MSN") + EngineSectionXml("Yahoo") +
      Added("Alpha", std::string(kUsableURL) + "<Label>Alpha Search</Label><MetaBoost>0</MetaBoost>") +
      Added("NoKeywords", "<URL>https://{host}/find?q=fixed</URL><Host>a.example</Host>") +
      WithBrokenBlockPattern(Added("BadPattern", kUsableURL)) +
      Added("Feed", std::string(kUsableURL) + "<Format>gopher</Format>") +
      Added("Typo", "<URL>https://{host}/?q={keywords}&p={pg}</URL>") +
      Added("Paid", std::string(kUsableURL) + "<Key Header=\"X-Token\" Required=\"1\"/>") +
      Added("Paged", std::string(kUsableURL) + "<PerPage>0</PerPage>") +
      Added("Beta", std::string(kUsableURL) + "<Host>beta.example</Host><Enabled>0</Enabled>");
  const testing::TestGlobal global("AlphaHost=127.0.0.1:9", DataXml(sections));

  ASSERT_EQ(global->Engines.size(), 5u);
  const std::vector<std::string> names = {"Google", "MSN", "Yahoo", "Alpha", "Beta"};
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(global->Engines[i]->Name, names[i]);
    EXPECT_EQ(EngineName(static_cast<int>(i)), names[i]);
    EXPECT_EQ(EngineIndex(names[i]), static_cast<int>(i));
  }
  const TSearchEngines& alpha = *global->GetEngine(3);
  EXPECT_EQ(alpha.Shape.Label, "Alpha Search");
  EXPECT_FALSE(alpha.Shape.MetaBoost);
  EXPECT_EQ(alpha.Host, "127.0.0.1:9");
  EXPECT_FALSE(global->GetEngine(4)->Shape.Enabled);

  // One line per left-out engine, naming it and its fault.
  const struct { const char* engine; const char* fault; } faults[] = {
      {"NoKeywords", "no {keywords} placeholder"}, {"BadPattern", "missing closing parenthesis"},
      {"Feed", "unknown format \"gopher\""},       {"Typo", "Unknown placeholder {pg}"},
      {"Paid", "no key set (PaidKey="},             {"Paged", "PerPage is not a number"}};
  for (const auto& [engine, fault] : faults) {
    const std::string line = std::string(engine) + ": ";
    EXPECT_TRUE(global.LogHas(line)) << engine;
    const std::string log = global.LogText();
    const size_t at = log.find(line);
    ASSERT_NE(at, std::string::npos);
    const std::string whole = log.substr(at, log.find('\n', at) - at);
    EXPECT_NE(whole.find(fault), std::string::npos) << whole;
    EXPECT_NE(whole.find("engine left out"), std::string::npos) << whole;
    EXPECT_EQ(log.find(line, at + 1), std::string::npos) << "more than one line for " << engine;
  }
}

TEST(EngineDefinitions, AnAddedEngineWithoutAHostIsOffAndAKeyComesFromTheConfiguration) {
  const std::string sections = Added("Self", kUsableURL) +
                               Added("Paid", std::string(kUsableURL) + "<Host>api.example</Host>"
                                                                       "<Key Header=\"X-Token\" Required=\"1\"/>");
  const testing::TestGlobal global("PaidKey=secret", DataXml(sections));
  ASSERT_EQ(global->Engines.size(), 5u);
  EXPECT_FALSE(global->GetEngine(3)->Shape.Enabled);
  const TSearchEngines& paid = *global->GetEngine(4);
  EXPECT_TRUE(paid.Shape.Enabled);
  EXPECT_EQ(paid.Key, "secret");
  const std::vector<std::pair<std::string, std::string>> headers = {{"X-Token", "secret"}};
  EXPECT_EQ(paid.RequestHeaders(), headers);
}

TEST(EngineDefinitions, AnOldDataFileGetsTheBuiltInShapesAndHostOverrides) {
  const testing::TestGlobal global("YahooHost=127.0.0.1:8003",
                                   DataXml(EngineSectionXml("Google") + EngineSectionXml("Yahoo")));
  ASSERT_EQ(global->Engines.size(), 3u);
  for (int engine = 0; engine < 3; ++engine) {
    const TEngineShape builtIn = BuiltInShape(EngineName(engine));
    EXPECT_EQ(global->GetEngine(engine)->Shape.URL, builtIn.URL);
    EXPECT_EQ(global->GetEngine(engine)->Shape.Redirects.size(), builtIn.Redirects.size());
  }
  EXPECT_EQ(global->GetEngine(kYahoo)->Host, "127.0.0.1:8003");
  TResults results;
  TTask* task = results.AddTask("web", "", nullptr, "");
  EXPECT_EQ(TSearchQuery(0, "web", kYahoo, -1, task, &results.List).GetURL(global->GetEngine(kYahoo)),
            "http://127.0.0.1:8003/search?_adv_prop=web&ei=UTF-8&va=web&fl=1&vl=lang_en&n=100&b=1");
}

TEST(EngineDefinitions, AnAddedEngineBuildsItsURLFromItsTemplate) {
  const std::string sections =
      Added("Alpha", "<URL>{scheme}://{host}/find?q={keywords|utf8}&p={page1}&o={first0}&n={count}</URL>"
                     "<SiteURL>{scheme}://{host}/find?q={keywords|utf8}+site%3A{site|percent}&p={page1}</SiteURL>"
                     "<PerPage>20</PerPage><Host>alpha.example</Host>");
  const testing::TestGlobal global("", DataXml(sections));
  TResults results;
  TTask* plain = results.AddTask("caf\xe9 au lait", "", nullptr, "");
  TTask* site = results.AddTask("tea", "", nullptr, "a.org/x y");
  EXPECT_EQ(TSearchQuery(2, "", 3, -1, plain, &results.List).GetURL(global->GetEngine(3)),
            "https://alpha.example/find?q=caf%C3%A9%20au%20lait&p=3&o=40&n=20");
  EXPECT_EQ(TSearchQuery(0, "", 3, -1, site, &results.List).GetURL(global->GetEngine(3)),
            "https://alpha.example/find?q=tea+site%3Aa.org%2Fx%20y&p=1");
}

TEST(EngineDefinitions, AnAddedEngineIsSearchedEndToEndWithItsOwnRequestsAndLinkRules) {
  testing::TLocalHttpStub stub;
  std::mutex lock;
  std::set<std::string> firsts;
  std::string userAgent, token, query;
  stub.Server().Get("/find", [&](const httplib::Request& request, httplib::Response& response) {
    const int first = std::stoi(request.get_param_value("from"));
    {
      std::lock_guard guard(lock);
      firsts.insert(request.get_param_value("from"));
      userAgent = request.get_header_value("User-Agent");
      token = request.get_header_value("X-Token");
      query = request.get_param_value("q");
    }
    const int last = std::min(first + 9, 25);
    std::vector<testing::TBlock> blocks;
    for (int i = first; i <= last; ++i)
      blocks.push_back({"https://out.example/?to=http://site" + std::to_string(i) + ".org/&sig=1",
                        "T" + std::to_string(i), "D"});
    response.set_content(testing::MakePage("Results " + std::to_string(first) + " - " + std::to_string(last) +
                                               " of about 25", blocks),
                         "text/html");
  });
  const std::string sections =
      EngineSectionXml("Google") + EngineSectionXml("MSN") + EngineSectionXml("Yahoo") +
      Added("Mirror", std::string(kUsableURL) +
                          "<PerPage>10</PerPage><MaxPages>3</MaxPages><Header Name=\"User-Agent\">Orvane-test</Header>"
                          "<Key Header=\"X-Token\" Required=\"1\"/><Redirect Prefix=\"https://out.example/?to=\" "
                          "End=\"&amp;sig=\"/>");
  const testing::TestGlobal global("MirrorHost=" + stub.Host() + "\nMirrorKey=t0k", DataXml(sections));
  TSessionData session(1, global->DataDir, true);
  TTask* task = session.Results->AddTask("caf\xe9 noir", "Mirror", nullptr, "");
  TFetchedResults fetched;
  FetchResults(Global->FetchContext(session), 3, "caf\xe9 noir", task, false, fetched);

  EXPECT_EQ(firsts, (std::set<std::string>{"1", "11", "21"}));  // the probe (last page) told of three pages
  EXPECT_EQ(userAgent, "Orvane-test");
  EXPECT_EQ(token, "t0k");
  EXPECT_EQ(query, "caf\xe9 noir");  // "percent" sends the Latin-1 byte as it is
  std::set<std::string> links;
  for (const auto& result : fetched.Main) {
    EXPECT_EQ(result->Source.Engine, 3);
    links.insert(result->Source.Link);
  }
  EXPECT_EQ(links.size(), 25u);
  EXPECT_TRUE(links.count("http://site1.org/"));
  EXPECT_TRUE(links.count("http://site25.org/"));
  ReleaseKeptConnections();
}

TEST(EngineShape, ExpandsEachPlaceholderInItsEncoding) {
  TURLValues values{"https", "h.example:8443", "a b&c~\xe9", "s.org/p q", "k/y", 4, 25};
  const struct { const char* pattern; const char* url; } rows[] = {
      {"{keywords}", "a+b%26c%7e%e9"},
      {"{keywords|form}", "a+b%26c%7e%e9"},
      {"{keywords|percent}", "a%20b%26c~%E9"},
      {"{keywords|utf8}", "a%20b%26c~%C3%A9"},
      {"{keywords|raw}", "a b&c~\xe9"},
      {"{site}", "s.org/p q"},
      {"{key}", "k%2fy"},
      {"{scheme}://{host}/", "https://h.example:8443/"},
      {"{first0},{first1},{page0},{page1},{count}", "100,101,4,5,25"},
      {"no placeholders", "no placeholders"},
  };
  for (const auto& row : rows) EXPECT_EQ(ExpandURLTemplate(row.pattern, values), row.url) << row.pattern;
  for (const char* bad : {"{unknown}", "{keywords|rot13}", "{keywords", "q={}"})
    EXPECT_THROW(ExpandURLTemplate(bad, values), TOvException) << bad;
}

// arXiv's query language: a field on every word, AND between words; the
// subject query's OR and parentheses, and quoted phrases, stay whole.
TEST(EngineShape, FieldedKeywordsPutTheFieldOnEveryWord) {
  TEngineShape arxiv;
  arxiv.WordPrefix = "all:";
  arxiv.WordJoin = " AND ";
  const struct { const char* keywords; const char* query; } rows[] = {
      {"chess", "all:chess"},
      {"  chess   openings ", "all:chess AND all:openings"},
      {"chess (tactics OR endgames)", "all:chess AND (all:tactics OR all:endgames)"},
      {"((a OR b)) c", "((all:a OR all:b)) AND all:c"},
      {"\"red apple\" pie", "all:\"red apple\" AND all:pie"},
      {"(\"red apple\" OR pear)", "(all:\"red apple\" OR all:pear)"},
      {"\"unclosed phrase", "all:\"unclosed phrase"},
      {"OR", "OR"},
      {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(FieldedKeywords(row.keywords, arxiv, "OR"), row.query) << row.keywords;
  // A shape without them sends the keywords as they are.
  EXPECT_EQ(FieldedKeywords("  a (b OR c)", TEngineShape{}, "OR"), "  a (b OR c)");
}

TEST(EngineShape, LinkRulesRejectUnwrapAndCompleteLinks) {
  TEngineShape shape;
  shape.RejectPrefixes = {"/url?q=", "javascript:"};
  shape.Redirects = {{"https://r.example/?to=", "&sig="}, {"https://go.example/", ""}};
  shape.LinkBase = "https://site.example";
  const struct { const char* link; bool kept; const char* after; } rows[] = {
      {"/url?q=http://a.org/", false, ""},
      {"javascript:alert(1)", false, ""},
      {"https://r.example/?to=http://b.org/x&sig=9", true, "http://b.org/x"},
      {"https://r.example/?to=http://b.org/x", false, ""},  // a redirect without its terminator has no target
      {"https://go.example/http://c.org/", true, "http://c.org/"},
      {"/wiki/Page", true, "https://site.example/wiki/Page"},
      {"//cdn.example/a", true, "//cdn.example/a"},
      {"http://d.org/", true, "http://d.org/"},
  };
  for (const auto& row : rows) {
    std::string link = row.link;
    EXPECT_EQ(ApplyLinkRules(shape, link), row.kept) << row.link;
    if (row.kept) {
      EXPECT_EQ(link, row.after);
    }
  }
}

TEST(EngineShape, TheBuiltInShapesKeepTheOldLinkRules) {
  const struct { int engine; const char* link; bool kept; const char* after; } rows[] = {
      {kGoogle, "/url?q=http://a.org/", false, ""},
      {kMSN, "/url?q=http://a.org/", true, "/url?q=http://a.org/"},
      {kYahoo, "http://click.yahoo.com/click?u=http://b.org/&y=1", true, "http://b.org/"},
      {kYahoo, "http://track.yahoo.com/click?u=http://c.org/&y=", true, "http://c.org/"},
      {kYahoo, "http://click.yahoo.com/click?u=http://b.org/", false, ""},
      {kGoogle, "http://click.yahoo.com/click?u=http://b.org/&y=1", true,
       "http://click.yahoo.com/click?u=http://b.org/&y=1"},
  };
  for (const auto& row : rows) {
    std::string link = row.link;
    EXPECT_EQ(NormaliseLink(row.engine, link), row.kept) << row.link;
    if (row.kept) {
      EXPECT_EQ(link, row.after);
    }
  }
}

}  // namespace
}  // namespace orvane
