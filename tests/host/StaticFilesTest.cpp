#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "base/OvException.h"
#include "host/RequestHandler.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

using testing::TestGlobal;

// ServePage and ServeImage called on a handler of their own, the way the page
// table calls them.
class StaticFiles : public ::testing::Test {
 protected:
  struct TCall { THttpRequest request; THttpResponse response; TRequestHandler handler{request, response}; };

  // The not-found message, or "" when the page (image) was served.
  std::string Error(const std::string& name, bool image = false) {
    TCall call;
    try {
      served = image ? call.handler.ServeImage(name) : call.handler.ServePage(name);
      return "";
    } catch (const TOvException& e) {
      return e.Message();
    }
  }

  TestGlobal global;
  std::string served;
};

TEST_F(StaticFiles, PagesAreFoundWithoutCaseAndSentWithCrLf) {
  const struct { const char* stored; const char* text; const char* asked; const char* sent; } rows[] = {
      {"lines.htm", "a\nb", "lines.htm", "a\r\nb\r\n"},
      {"lines.htm", "a\r\nb\r\n", "lines.htm", "a\r\nb\r\n"},
      {"lines.htm", "a\n\n\nb\n", "lines.htm", "a\r\n\r\n\r\nb\r\n"},
      {"lines.htm", "", "lines.htm", ""},
      {"lines.htm", "mixed\r\nends\nhere", "lines.htm", "mixed\r\nends\r\nhere\r\n"},
      // Names are matched without case, segment by segment; an exact match wins.
      {"Sub/Deep/Page.HTM", "deep", "sub/deep/page.htm", "deep\r\n"},
      {"Sub/Deep/Page.HTM", "deep", "SUB/DEEP/PAGE.htm", "deep\r\n"},
      {"exact.htm", "lower", "exact.htm", "lower\r\n"},
      {"EXACT.htm", "upper", "EXACT.htm", "upper\r\n"},
      {"EXACT.htm", "upper", "exact.htm", "lower\r\n"},
  };
  for (const auto& row : rows) {
    global.Page(row.stored, row.text);
    EXPECT_EQ(Error(row.asked), "") << row.asked;
    EXPECT_EQ(served, row.sent) << row.text;
  }
}

TEST_F(StaticFiles, OnlyThePlainKindsSkipTheTemplateEngine) {
  const struct { const char* name; bool plain; } rows[] = {
      {"spacer.htm", true},     {"topframe3.htm", true}, {"site.css", true},    {"app.js", true},
      {"UPPER.CSS", true},      {"myspacer.htm", false}, {"topframe.htm", false}, {"app.json", false},
      {"app.js.htm", false},    {"css", false},
  };
  for (const auto& row : rows) {
    global.Page(row.name, "id=<ov:id/><ov:unknown>");
    EXPECT_EQ(Error(row.name), "") << row.name;
    EXPECT_EQ(served, row.plain ? "id=<ov:id/><ov:unknown>\r\n" : "id=-1\r\n") << row.name;
  }
}

TEST_F(StaticFiles, NamesThatLeaveTheFolderAreNotFound) {
  // Files the escapes would reach, beside and above the template folder.
  global.Folder().Write("inst/Resources/secret.htm", "SECRET");
  global.Folder().Write("inst/secret.gif", "SECRET");
  global.Page("sub/inside.htm", "inside");
  const std::string outside = global.Install() + "secret.gif";
  const std::string names[] = {
      "../secret.htm",   "sub/../../secret.htm", "../../secret.gif", "sub/../inside.htm", "./sub/inside.htm",
      outside,           "/etc/passwd",          "..\\secret.htm",   "sub\\inside.htm",   "sub//inside.htm",
      std::string("sub/inside.htm\0.gif", 19),   "sub",              "sub/",              "",
      ".",               "..",
  };
  for (const std::string& name : names) {
    served = "untouched";
    // An exception message ends at a NUL byte.
    const std::string message = ("File not found: " + global->HtmlDir + name).c_str();
    EXPECT_EQ(Error(name), message) << name;
    EXPECT_EQ(Error(name, true), message) << name;
    EXPECT_EQ(served, "untouched") << name;
  }
  EXPECT_EQ(global->Data->PageCount, 0);
  EXPECT_TRUE(global.LogHas("] [ServeImage] file: ../secret.htm not found\r\n"));
}

TEST_F(StaticFiles, ConditionalImageRequestsGet304WithoutTouchingTheDisk) {
  for (const char* header : {"If-Modified-Since", "if-modified-since"}) {
    for (const char* value : {"Sat, 01 Jan 2000 00:00:00 GMT", "", "nonsense"}) {
      TCall call;
      call.request.RawHeaders = {{header, value}};
      EXPECT_EQ(call.handler.ServeImage("missing.gif"), "");
      EXPECT_EQ(call.response.ResponseNo, 304);
      EXPECT_FALSE(call.response.LastModified.has_value());
    }
  }
}

TEST_F(StaticFiles, HeadersAndCountsOfImagesAndPages) {
  global.Page("Logo.gif", "GIF89a\r\nraw\n");
  TCall image;
  EXPECT_EQ(image.handler.ServeImage("logo.gif"), "GIF89a\r\nraw\n");
  EXPECT_EQ(image.response.LastModified, global->Data->StartTime);
  EXPECT_TRUE(global.LogHas("] [ServeImage] file: logo.gif loaded from disk\r\n"));
  global.Page("page.htm", "x");
  global.Page("page.css", "x");
  TCall page;
  const TDateTime before = Now();
  page.handler.ServePage("page.htm");
  EXPECT_EQ(page.response.CacheControl, "no-cache");
  ASSERT_TRUE(page.response.Expires.has_value());
  EXPECT_GE(*page.response.Expires, before);
  EXPECT_LE(*page.response.Expires, Now());
  EXPECT_EQ(Error("page.css"), "");
  EXPECT_NE(Error("missing.htm"), "");
  EXPECT_EQ(global->Data->PageCount, 2);  // pages served, not images or misses
}

TEST_F(StaticFiles, PresentationDurationText) {
  const struct { bool session; double htmlTime; int32_t pages; const char* text; } rows[] = {
      {false, 0, 0, "N/A"},         {true, 10, 0, "N/A"},          {false, 0, 5, "0 / 5 = 0"},
      {true, 10, 4, "10 / 4 = 2.5"}, {true, 1, 3, "1 / 3 = 0.33"}, {true, 2, 3, "2 / 3 = 0.67"},
      {true, 0.125, 1, "0.12 / 1 = 0.12"}, {true, 0.375, 1, "0.38 / 1 = 0.38"}, {true, 0.25, 2, "0.25 / 2 = 0.12"},
  };
  for (const auto& row : rows) {
    TCall call;
    if (row.session) {
      call.handler.Session = global.NewSession();
      call.handler.Session->AddHtmlTime(row.htmlTime);
    }
    global->Data->PageCount = row.pages;
    EXPECT_EQ(call.handler.PresentationDurationText(), row.text) << row.htmlTime << " " << row.pages;
  }
}

TEST(StaticFilesConcurrency, NoPageOrHtmlTimeIsLost) {
  TestGlobal global;
  global.Page("page.htm", "<ov:id/>");
  const TSessionPtr session = global.NewSession();
  constexpr int kThreads = 4, kPages = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kPages; ++i) {
        THttpRequest request;
        THttpResponse response;
        TRequestHandler handler(request, response);
        handler.Session = session;
        handler.SessionId = session->Id;
        EXPECT_EQ(handler.ServePage("page.htm"), "0\r\n");
        session->AddHtmlTime(1);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(global->Data->PageCount, kThreads * kPages);
  // Whole milliseconds of page building plus the ones added above.
  EXPECT_GE(session->HtmlTime(), kThreads * kPages);
  EXPECT_EQ(session->HtmlTime(), std::floor(session->HtmlTime()));
}

}  // namespace
}  // namespace orvane
