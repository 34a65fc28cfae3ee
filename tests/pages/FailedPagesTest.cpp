// The notice above the results list and the failed pages of the statistics
// panel, and that a saved search keeps what they show.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "pages/FailedPages.h"
#include "search/Results.h"

namespace orvane {
namespace {

TEST(FailedPages, NoticeNamesEngineCountAndEachReasonOnce) {
  const struct { std::vector<TFailedPages> failed; std::string notice; } rows[] = {
      {{}, ""},
      {{{"MSN", 10, {{3, "time-out after 8 s"}, {7, "time-out after 8 s"}}}},
       "<p class=\"failedpages\" role=\"alert\">MSN: 2 of 10 pages failed (time-out after 8 s)</p>\n"},
      {{{"Google", 1, {{0, "it answered 503"}}}, {"Yahoo", 4, {{1, "a <b> & \"c\""}, {2, "it answered 500"}}}},
       "<p class=\"failedpages\" role=\"alert\">Google: 1 of 1 page failed (it answered 503)<br>"
       "Yahoo: 2 of 4 pages failed (a &lt;b&gt; &amp; &quot;c&quot;; it answered 500)</p>\n"},
  };
  for (const auto& row : rows) EXPECT_EQ(FailedPagesNotice(row.failed), row.notice);
}

TEST(FailedPages, PanelListsEveryFailedPageWithItsReason) {
  EXPECT_EQ(FailedPagesPanel({}), "");
  const std::string panel =
      FailedPagesPanel({{"Google", 4, {{0, "connection refused"}, {9, "x<y"}}}, {"MSN", 1, {{0, "it answered 429"}}}});
  EXPECT_NE(panel.find("<tr><td>Google</td><td class=\"num\">1</td><td>connection refused</td></tr>\n"
                       "<tr><td>Google</td><td class=\"num\">10</td><td>x&lt;y</td></tr>\n"
                       "<tr><td>MSN</td><td class=\"num\">1</td><td>it answered 429</td></tr>\n</table>"),
            std::string::npos)
      << panel;
}

TEST(FailedPages, ASavedTaskKeepsThemAndATaskWithoutWritesNothingNew) {
  TTask task;
  task.SE_Name = "Google";
  pugi::xml_document plain;
  task.WriteXml(plain.append_child("Task"));
  EXPECT_FALSE(plain.child("Task").child("FailedPages"));

  task.FailedPages = {{"Google", 5, {{2, "it answered 500"}, {4, "time-out after 8 s"}}}, {"Yahoo", 1, {{0, "TLS error"}}}};
  pugi::xml_document saved;
  task.WriteXml(saved.append_child("Task"));
  TTask loaded;
  loaded.ReadXml(saved.child("Task"));
  ASSERT_EQ(loaded.FailedPages.size(), 2u);
  EXPECT_EQ(FailedPagesNotice(loaded.FailedPages), FailedPagesNotice(task.FailedPages));
  EXPECT_EQ(FailedPagesPanel(loaded.FailedPages), FailedPagesPanel(task.FailedPages));
}

}  // namespace
}  // namespace orvane
