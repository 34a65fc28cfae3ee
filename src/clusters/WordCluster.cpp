#include "clusters/WordCluster.h"

#include <algorithm>

#include "base/StrUtils.h"

namespace orvane {

namespace {

constexpr int kMaxShown = 10;
constexpr int kColumnLength = 5;

}  // namespace

TPredefinedWord TWordCluster::NewClusterWord(const std::string& text, int32_t count, const std::string& title) {
  TPredefinedWord word;
  word.Text = text;
  word.SearchText = text;
  word.Count = count;
  word.FirstFlag = true;
  word.SecondFlag = false;
  word.Title = title;
  return word;
}

std::string TWordCluster::TitleOf(const TWordRecord& record) {
  std::string forms;
  for (const std::string& form : record.Forms) forms += (forms.empty() ? "" : ", ") + form;
  return std::string("Show results with ") + (record.Forms.size() == 1 ? "word '" : "words '") + forms + "'";
}

void TWordCluster::BuildFromAutoClusters(const TAutoClusterList& clusters) {
  for (const auto& cluster : clusters) {
    const TWordRecord& record = *cluster->Record;
    Items.push_back(NewClusterWord(record.Forms.front(), record.Count, TitleOf(record) + cluster->RelatedText));
  }
}

void TWordCluster::BuildFromProfileWords(const std::vector<TPredefinedWord>& words,
                                         const TAutoWordClusters& clusterer) {
  for (const TPredefinedWord& word : words) {
    const TWordRecord* record = clusterer.FindWord(LowerCase(word.Text));
    if (record && !record->Forms.empty())
      Items.push_back(NewClusterWord(record->Forms.front(), record->Count, TitleOf(*record)));
  }
}

void TWordCluster::Render(int32_t sessionId) {
  std::stable_sort(Items.begin(), Items.end(),
                   [](const TPredefinedWord& a, const TPredefinedWord& b) { return a.Count > b.Count; });
  Html = "<table cellpadding=\"0\" cellspacing=\"0\" border=\"0\" class=\"regTextPref\" style=\"margin-top: 10px;\">"
         "<tr valign=\"top\"><td></td><td width=\"13\"></td><td style=\"white-space: nowrap;\">";
  int n = 0;
  for (const TPredefinedWord& item : Items) {
    if (n >= kMaxShown) break;
    if (item.Count <= 0) continue;
    Html += "<a title= \"" + item.Title + "\" target=\"bottomFrame\" class=\"prefLink\" href=\"selectword?ShowOnlyWord=" +
            item.Text + "&CurrentPage=Clusters&id=" + std::to_string(sessionId) + "\"><ov:WordStartTag_" + item.Text +
            ">" + item.SearchText + " (" + std::to_string(item.Count) + ")<ov:WordEndTag_" + item.Text +
            "></a><br/><img alt=\"\" src=\"/images/trans.gif\" width=\"1\" height=\"3\"/><br/>";
    ++n;
    if (n % kColumnLength == 0)
      Html += "</td><td width=\"10\"></td><td align=\"Left\" style=\"white-space: nowrap;\">";
  }
  if (n == 0) Html += "No Words";
  Html += "</td></tr></table>";
}

}  // namespace orvane
