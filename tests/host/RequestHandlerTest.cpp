#include <gtest/gtest.h>

#include "base/Escape.h"
#include "base/OvException.h"
#include "base/StrUtils.h"
#include "host/RequestHandler.h"
#include "host/TrayIcon.h"
#include "support/TestGlobal.h"

namespace orvane {
namespace {

using testing::TestGlobal;

// A handler driven in process on a template folder whose pages name
// themselves, so the body shows which file the page table chose.
class RequestHandling : public ::testing::Test {
 protected:
  void SetUp() override {
    global.Page("BottomFrame.htm", "bottom <ov:id/>");
    global.Page("main.htm", "main <ov:id/>");
    global.Page("mainframe.htm", "mainframe <ov:id/>");
    global.Page("results.htm", "results");
    global.Page("default.htm", "default <ov:id/>");
    global.Page("topframe3.htm", "top <ov:id/>");
    global.Page("explainrank.htm", "explain");
    global.Page("style.css", "css <ov:id/>");
    global.Page("code.js", "js <ov:id/>");
    global.Page("sleep", "slept");
  }

  // Document is the path part of `target`; the query becomes the parameters.
  THttpResponse Get(const std::string& target) {
    THttpRequest request;
    request.Method = "GET";
    request.Document = URLDecode(target.substr(0, target.find('?')));
    request.Params = ParseParams(target, "GET", "", "");
    request.RemoteIP = "127.0.0.1";
    THttpResponse response;
    TRequestHandler handler(request, response);
    handler.Execute();
    lastKeywords = handler.Keywords;
    lastSessionId = handler.SessionId;
    return response;
  }

  // The start page, told why the browser was sent there.
  static std::string StartPageScript(const std::string& failure) {
    return "<script>parent.location=\"http://127.0.0.1:8425/default.htm?Failure=" + EscapeJS(URLEncode(failure)) +
           "\"</script>";
  }
  static bool IsStartPageScript(const std::string& text) {
    return text.starts_with("<script>parent.location=\"http://127.0.0.1:8425/default.htm?Failure=");
  }

  TestGlobal global;
  std::string lastKeywords;
  int32_t lastSessionId = -2;
};

TEST_F(RequestHandling, PageTableChoosesTheFile) {
  const TSessionPtr session = global.NewSession();  // id 0
  const struct { const char* target; const char* body; const char* contentType; } rows[] = {
      {"/bottomframe.htm", "bottom -1\r\n", "text/html"},
      {"/BOTTOMFRAME.HTM", "bottom -1\r\n", "text/html"},
      {"/Results.HTM", "results\r\n", "text/html"},
      {"/mainframe.htm", "main -1\r\n", "text/html"},
      {"/mainframe.htm?x=1", "main -1\r\n", "text/html"},
      {"/mainframe.htm?id=abc", "main -1\r\n", "text/html"},
      {"/mainframe.htm?id=-1", "main -1\r\n", "text/html"},
      {"/mainframe.htm?id=0", "mainframe 0\r\n", "text/html"},
      {"/mainframe.htm?ID=+0+", "mainframe 0\r\n", "text/html"},
      {"/slicestatisticsresults.htm", "mainframe -1\r\n", "text/html"},
      {"/selectword?id=0", "bottom 0\r\n", "text/html"},
      {"/changeorder.htm", "bottom -1\r\n", "text/html"},
      {"/topframe3.htm?id=0", "top <ov:id/>\r\n", "text/html"},
      {"/style.css", "css <ov:id/>\r\n", "text/css"},
      {"/code.js", "js <ov:id/>\r\n", "text/html"},
      {"/sleep", "slept\r\n", "text/html"},
  };
  for (const auto& row : rows) {
    const THttpResponse response = Get(row.target);
    EXPECT_EQ(response.ContentText, row.body) << row.target;
    EXPECT_EQ(response.ContentType, row.contentType) << row.target;
    EXPECT_TRUE(response.CloseConnection) << row.target;
  }
}

TEST_F(RequestHandling, OwnErrorsLoadTheStartPageWithABalloon) {
  TTrayIcon tray;
  global->Data->TrayIcon = &tray;
  const struct { const char* target; std::string message; int status; } rows[] = {
      {"/mainframe.htm?id=42", "Source timeout", 200},
      {"/", "File not found: " + global->HtmlDir, 404},
      {"/nothere.htm", "File not found: " + global->HtmlDir + "nothere.htm", 404},
      {"/nothere.gif", "File not found: " + global->HtmlDir + "nothere.gif", 404},
      {"/search?keywords=&se=1", "No search keywords", 200},
      {"/search?keywords=+++&se=1", "No search keywords", 200},
      {"/search?se=1", "No search keywords", 200},
  };
  for (const auto& row : rows) {
    const THttpResponse response = Get(row.target);
    EXPECT_EQ(response.ContentText, StartPageScript(row.message)) << row.target;
    EXPECT_EQ(response.ResponseNo, row.status) << row.target;
    EXPECT_EQ(response.CacheControl, "no-cache") << row.target;
    EXPECT_TRUE(global.LogHas("] [RequestHandler] OvException : " + row.message + "\r\n")) << row.target;
    EXPECT_TRUE(global.LogHas("Balloon \"Orvane Server\" (10000 ms): " + row.message + "\r\n")) << row.target;
  }
  global->Data->TrayIcon = nullptr;
  EXPECT_TRUE(global->Sessions.empty());
}

TEST_F(RequestHandling, AFailedSearchLeavesAnEmptySessionThatTheNextSearchTakes) {
  // No engines are defined here, so every search fails after its session exists.
  EXPECT_TRUE(IsStartPageScript(Get("/search?keywords=red+apple&se=1&site=example.com").ContentText));
  EXPECT_EQ(lastKeywords, "red apple");
  EXPECT_TRUE(IsStartPageScript(Get("/search?keywords=pear&se=2").ContentText));
  EXPECT_EQ(global->Sessions.size(), 1u);
  EXPECT_EQ(global->NextSessionId, 1);
  EXPECT_TRUE(global->Sessions[0]->SearchPending);
  // The keywords are decoded once more after the parameter reader.
  Get("/search?keywords=a%252Bb&se=1");
  EXPECT_EQ(lastKeywords, "a+b");
}

TEST_F(RequestHandling, ForeignErrorsLoadTheErrorPageWithAnEncodedMessage) {
  const struct { const char* target; const char* url; const char* logged; } rows[] = {
      {"/explainrank.htm?RankId=abc", "/Error.htm?Error=\\'abc\\'+is+not+a+valid+integer+value",
       "Exception : 'abc' is not a valid integer value"},
      {"/explainrank.htm?id=-1", "/Error.htm?Error=\\'\\'+is+not+a+valid+integer+value",
       "Exception : '' is not a valid integer value"},
      {"/explainrank.htm?RankId=%22%3C/script%3E%0a",
       "/Error.htm?Error=\\'%22%3c%2fscript%3e%0a\\'+is+not+a+valid+integer+value",
       "Exception : '\"</script>\n' is not a valid integer value"},
  };
  for (const auto& row : rows) {
    const THttpResponse response = Get(row.target);
    EXPECT_EQ(response.ContentText, std::string("<script>parent.location=\"http://127.0.0.1:8425") + row.url +
                                        "\"</script>")
        << row.target;
    EXPECT_EQ(response.CacheControl, "no-cache");
    EXPECT_TRUE(global.LogHas(std::string("] [RequestHandler] ") + row.logged)) << row.target;
  }
  // Without a session there is no result to explain: the page comes out empty.
  EXPECT_EQ(Get("/explainrank.htm?RankId=7").ContentText, "");
}

TEST(RedirectScript, NoUrlCanBreakOutOfTheScript) {
  const std::string script = TRequestHandler::RedirectScript("/a\"b\\c'd</script><script>alert(1)//\r\n&e");
  EXPECT_EQ(script,
            "<script>parent.location=\"/a\\\"b\\\\c\\'d\\x3c/script\\x3e\\x3cscript\\x3ealert(1)//"
            "\\r\\n\\x26e\"</script>");
  EXPECT_EQ(TRequestHandler::RedirectScript("http://127.0.0.1:8425/default.htm"),
            "<script>parent.location=\"http://127.0.0.1:8425/default.htm\"</script>");
}

}  // namespace
}  // namespace orvane
